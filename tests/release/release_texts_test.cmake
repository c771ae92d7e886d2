# Checks the release texts helper (scripts/release_texts.cpp) as
# scripts/release.sh uses it: template in, text out, for three descriptors.
#   -DGLYVANT=<helper linked with t009_glyvant>
#   -DCHECKLIST=<helper linked with t108_surgical_safety_checklist: a report, no inputs>
#   -DFAILING=<helper linked with tests/suite/failing_formulas_tool: no summary,
#              outputs without units, a level-1 rule>
#   -DGCS=<helper linked with t017_glasgow_coma_scale: lists>
#   -DBLEEDING=<helper linked with t026_bleeding_medical: boxes in two sections>
#   -DSOURCE_DIR=<repository>  -DWORK_DIR=<scratch folder>  -DVERSION=<project version>
#   -DPYTHON=<python3>, for the Group Policy template's check
cmake_minimum_required(VERSION 3.25)
file(MAKE_DIRECTORY "${WORK_DIR}")
set(failures "")

# Runs a helper on a template. The text comes back twice: as text, and as
# bytes (hex), since CMake drops carriage returns from text it reads.
function(render helper template out_var rc_var err_var)
  file(WRITE "${WORK_DIR}/template.txt" "${template}")
  execute_process(COMMAND ${${helper}} Tool.exe INPUT_FILE "${WORK_DIR}/template.txt"
                  OUTPUT_FILE "${WORK_DIR}/text.txt" ERROR_VARIABLE err RESULT_VARIABLE rc)
  file(READ "${WORK_DIR}/text.txt" out)
  file(READ "${WORK_DIR}/text.txt" bytes HEX)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${out_var}_bytes "${bytes}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

# expect(<case> <helper> <template> <expected text>)
function(expect name helper template expected)
  render(${helper} "${template}" out rc err)
  string(HEX "${expected}" expected_bytes)
  if(NOT rc EQUAL 0 OR NOT out_bytes STREQUAL expected_bytes)
    set(failures "${failures}\n${name}: exit ${rc} ${err}\n  expected [${expected}]\n  got      [${out}]"
        PARENT_SCOPE)
  endif()
endfunction()

# ---- Marks ----------------------------------------------------------------------
expect(scalars GLYVANT "@TITLE@ @CATEGORY@ T@ID@.csv @EXE@ V@VERSION@ @TITLE@ @CAUTION@\n"
       "Glyvant 内分泌 T009.csv Tool.exe V${VERSION} Glyvant 需结合校正剂量与运动量；夜间与饮酒后低血糖风险升高。\n")
expect(program_facts CHECKLIST
       "@EXIT_OK@ @EXIT_NO_WINDOW@ @EXIT_FORMULA_FAILED@ @EXIT_REPORT_NOT_WRITTEN@ @WINDOW_WIDTH@x@WINDOW_HEIGHT@ @LEVEL_1@ @MEANING_3@\n"
       "0 1 2 3 1036x680 黄色（1 级） 需立即处理\n")
expect(id_of_three_digits CHECKLIST "T@ID@\n" "T108\n")
expect(absent_summary_drops_its_line FAILING "a\n用途：@SUMMARY@\n注意：@CAUTION@\nb\n" "a\nb\n")
expect(at_signs_in_text_stay GLYVANT "a@b @ @lower@ @@ 5@\n" "a@b @ @lower@ @@ 5@\n")

# ---- Lines repeated per item ----------------------------------------------------
string(CONCAT glyvant_inputs "  · 本餐碳水（g）：默认 60；范围 0–300 g，最多 1 位小数\n"
       "  · 碳水系数（g/U）：默认 10；范围 1–150 g/U，最多 1 位小数\n  · 规格（U/ml）：默认 100；范围 40–500 U/ml，整数\n")
expect(inputs_with_units_defaults_and_limits GLYVANT "  · @INPUT@\n" "${glyvant_inputs}")
expect(default_in_window_form FAILING "@INPUT@\n" "剂量（mg）：默认 40\n体重（kg）：默认 0\n")
expect(no_inputs_no_line CHECKLIST "a\n- @INPUT@\nb\n" "a\nb\n")
expect(outputs GLYVANT "@OUTPUT@ @TITLE@\n" "餐时胰岛素（U） Glyvant\n抽取体积（ml） Glyvant\n")
expect(absent_or_empty_unit_left_out FAILING "@OUTPUT@\n" "每公斤剂量（mg/kg）\n半量\n两倍半量\n平方根\n")
expect(verdict_colours_by_level GLYVANT "@VERDICT@\n"
       "橙色（2 级）：单次餐时剂量较大，建议复核对碳水与比值\n绿色（0 级）：按碳水系数计算完成\n")
expect(verdict_level_one_is_yellow FAILING "@VERDICT@\n" "黄色（1 级）：剂量偏大\n绿色（0 级）：正常\n")
expect(report_shows_no_outputs_or_rules CHECKLIST "a\n@OUTPUT@\n@VERDICT@\n@METHOD@\n" "a\n")
string(CONCAT glyvant_method "计算方法（由程序实际使用的计算式生成，“→”前为条件，“其余”指以上条件都不成立）：\n"
       "  · 餐时胰岛素 = 本餐碳水 ÷ 碳水系数\n  · 抽取体积 = 本餐碳水 ÷ 碳水系数 ÷ 规格\n"
       "结论（按顺序判断，第一条成立的即为结论）：\n"
       "  · 餐时胰岛素 > 20 → 单次餐时剂量较大，建议复核对碳水与比值（橙色，需关注）\n"
       "  · 其余 → 按碳水系数计算完成（绿色，完成）\n")
expect(method_whole_on_lines_of_its_own GLYVANT "a\n@METHOD@\nb\n" "a\n${glyvant_method}b\n")

# ---- Tags -----------------------------------------------------------------------
set(tagged "[formula]F\n[report]R\n[inputs]I\n[no-inputs]N\nall [report]\n")
expect(tags_formula_tool GLYVANT "${tagged}" "F\nI\nall [report]\n")
expect(tags_report_tool_without_inputs CHECKLIST "${tagged}" "R\nN\nall [report]\n")
expect(tagged_list_line CHECKLIST "[inputs]- @INPUT@\n[report]R @ID@\n" "R 108\n")
expect(fields_and_lists GCS "[fields]F\n[lists]L\n" "L\n")
expect(fields_and_lists_typed GLYVANT "[fields]F\n[lists]L\n" "F\n")
string(CONCAT gcs_inputs
       "  · 睁眼反应（下拉列表，选其一）：\n        4 分：自动睁眼\n        3 分：呼唤睁眼\n        2 分：刺痛睁眼\n        1 分：无睁眼\n"
       "  · 语言反应（下拉列表，选其一）：\n        5 分：回答正确\n        4 分：回答错乱\n        3 分：言语不当\n        2 分：言语难辨\n        1 分：不能发声\n"
       "        T：气管插管或切开，不能评估\n"
       "  · 运动反应（下拉列表，选其一）：\n        6 分：遵嘱动作\n        5 分：刺痛定位\n        4 分：刺痛躲避\n        3 分：刺痛屈曲\n        2 分：刺痛伸直\n        1 分：无反应\n")
expect(a_list_names_its_options GCS "  · @INPUT@\n" "${gcs_inputs}")
expect(boxes_only BLEEDING "[fields]F\n[lists]L\n[boxes]B\n" "B\n")
string(CONCAT bleeding_inputs
       "  · 【单项高危因素（具备 1 项即为出血高危）】\n  · 活动性消化道溃疡（勾选项，1 项）\n"
       "  · 入院前 3 个月内有出血事件（勾选项，1 项）\n  · 血小板计数 <50×10⁹/L（勾选项，1 项）\n"
       "  · 【其他危险因素（≥3 项为出血高危）】\n  · 年龄 ≥85 岁（勾选项，1 项）\n"
       "  · 肝功能不全（INR >1.5）（勾选项，1 项）\n  · 严重肾功能不全（GFR <30 ml/(min·m²)）（勾选项，1 项）\n"
       "  · 入住 ICU 或 CCU（勾选项，1 项）\n  · 中心静脉置管（勾选项，1 项）\n  · 风湿性疾病（勾选项，1 项）\n"
       "  · 现患恶性肿瘤（勾选项，1 项）\n  · 男性（勾选项，1 项）\n")
expect(boxes_under_their_sections BLEEDING "  · @INPUT@\n" "${bleeding_inputs}")

# What a hospital system fills with --set=key=value, in the tool's own keys.
string(CONCAT glyvant_set "carbs：本餐碳水（g），数字，范围 0–300 g\n"
       "icr：碳水系数（g/U），数字，范围 1–150 g/U\nconc：规格（U/ml），数字，范围 40–500 U/ml\n")
expect(set_keys_of_fields GLYVANT "@SET@\n" "${glyvant_set}")
foreach(case "GCS@eye：睁眼反应，取以下值之一：\n        4 = 4 分：自动睁眼\n        3 = 3 分：呼唤睁眼\n"
             "BLEEDING@peptic_ulcer：活动性消化道溃疡，1（是）/0（否）\nbleeding_3_months：")
  string(REPLACE "@" ";" case "${case}")
  list(POP_FRONT case helper)
  render(${helper} "@SET@\n" out rc err)
  string(FIND "${out}" "${case}" at)
  if(NOT at EQUAL 0)
    set(failures "${failures}\nset_values ${helper}: [${out}]")
  endif()
endforeach()

# ---- Template files saved on Windows ---------------------------------------------
string(ASCII 239 187 191 bom)
expect(mark_and_cr_lf_dropped GLYVANT "${bom}@TITLE@\r\n[formula]x\r\n" "Glyvant\nx\n")

# ---- A slip in a template is refused, ----------------------------------------------
# even on a line the packaged tool does not show.
render(GLYVANT "ok\n[report]@TITEL@\n" out rc err)
if(rc EQUAL 0 OR NOT err MATCHES "line 2: unknown mark @TITEL@")
  set(failures "${failures}\nunknown_mark: exit ${rc}, stderr [${err}]")
endif()

# ---- The real templates render for every kind of tool ---------------------------
file(GLOB templates "${SOURCE_DIR}/docs/release/*.template.txt")
list(LENGTH templates count)
if(NOT count EQUAL 2)
  set(failures "${failures}\nexpected the two templates in docs/release, found ${count}")
endif()
foreach(template IN LISTS templates)
  file(READ "${template}" text)
  foreach(helper GLYVANT CHECKLIST FAILING GCS BLEEDING)
    render(${helper} "${text}" out rc err)
    if(NOT rc EQUAL 0 OR out MATCHES "@[A-Z_]+@|\\[(formula|report|inputs|no-inputs|fields|lists|boxes)\\]"
       OR NOT out MATCHES "Tool\\.exe")
      get_filename_component(file "${template}" NAME)
      set(failures "${failures}\n${file} with ${helper}: exit ${rc} ${err}")
    endif()
  endforeach()
endforeach()

# The deployment notes' --set examples name keys that Braden has.
file(READ "${SOURCE_DIR}/suite/t018_braden.cpp" braden)
file(GLOB_RECURSE notes "${SOURCE_DIR}/docs/release/*部署说明*.template.txt")
foreach(note IN LISTS notes)
  file(STRINGS "${note}" examples REGEX "--set=[a-z]")
  string(REGEX MATCHALL "--set=[a-z_0-9]+" keys "${examples}")
  foreach(key IN LISTS keys)
    string(REPLACE "--set=" "" key "${key}")
    if(NOT braden MATCHES "\\.key = \"${key}\"")
      set(failures "${failures}\n${note}: Braden has no input ${key}")
    endif()
  endforeach()
endforeach()

# The Group Policy template: well-formed, and every language defines what
# the template names.
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/scripts/check-policy.py ${SOURCE_DIR}/docs/release/policy
                ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  set(failures "${failures}\npolicy template: ${err}")
endif()
# The template lets IT type as long a connection string as the programs
# read, and no longer.
render(GLYVANT "@CONNECTION_LIMIT@" limit rc err)
string(STRIP "${limit}" limit)
file(READ "${SOURCE_DIR}/docs/release/policy/OrvoMedSuite.admx" admx)
string(REGEX MATCH "valueName=\"RecordsDatabase\"[^/]*maxLength=\"([0-9]+)\"" found "${admx}")
if(NOT CMAKE_MATCH_1 STREQUAL limit)
  set(failures "${failures}
policy template: RecordsDatabase takes ${CMAKE_MATCH_1} characters, the programs ${limit}")
endif()
# A copy with one slip is refused: a text box for no element of its policy,
# an example .reg value that no policy sets.
foreach(slip "en-US/OrvoMedSuite.adml|refId=\"RecordsDatabase\"|refId=\"RecordsDb\"|has no element of"
             "RecordsDatabase.example.reg|\"RecordsDatabase\"=|\"RecordDatabase\"=|which no policy of the template sets")
  string(REPLACE "|" ";" slip "${slip}")
  list(POP_FRONT slip file from to finding)
  file(REMOVE_RECURSE "${WORK_DIR}/policy")
  file(COPY "${SOURCE_DIR}/docs/release/policy" DESTINATION "${WORK_DIR}")
  file(READ "${WORK_DIR}/policy/${file}" text)
  string(REPLACE "${from}" "${to}" text "${text}")
  file(WRITE "${WORK_DIR}/policy/${file}" "${text}")
  execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/scripts/check-policy.py ${WORK_DIR}/policy
                  ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(rc EQUAL 0 OR NOT err MATCHES "${finding}")
    set(failures "${failures}\npolicy slip in ${file} passed: ${err}")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "release texts:${failures}")
endif()
