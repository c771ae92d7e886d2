// The reports as the calculation receives them: text, verdict and level for
// each kind, the bounds of every input, and what a full buffer keeps.
#include <gtest/gtest.h>

#include <math.h>

#include "reports/report_run.h"
#include "support/prepared_tool.h"

namespace {

TEST(ReportDispatch, KindsWithoutAReportGiveTheFallback) {
    for (int kind : {0, 12, -1, INT32_MIN, INT32_MAX}) {
        Report r = generate(kind, {{"kind", 1}});
        EXPECT_EQ(REPORT_FALLBACK_TEXT, r.text) << kind;
        EXPECT_EQ(REPORT_FALLBACK_VERDICT, r.verdict);
        EXPECT_EQ(0, r.level);
    }
}

TEST(ReportDispatch, AppendLineKeepsWhatTheCapacityHolds) {
    const wchar_t* expected[] = {L"", L"a", L"ab", L"ab\r", L"ab\r\n", L"ab\r\nc", L"ab\r\ncd",
                                L"ab\r\ncd\r", L"ab\r\ncd\r\n"};
    for (int capacity = 1; capacity <= 9; capacity++) {
        wchar_t text[9] = L"";
        report_append_line(text, capacity, L"%ls", L"ab");
        report_append_line(text, capacity, L"c%c", 'd');
        EXPECT_STREQ(expected[capacity - 1], text) << capacity;
    }
    wchar_t untouched[1] = {L'#'};
    report_append_line(untouched, 0, L"x");
    text_append(untouched, 0, L"x");
    EXPECT_EQ(L'#', untouched[0]);

    // A formatted line is cut at 511 characters, the last of them the cut
    // mark; the line break still follows.
    std::wstring long_piece(600, L'字');
    wchar_t text[1024] = L"";
    report_append_line(text, 1024, L"%ls", long_piece.c_str());
    EXPECT_EQ(std::wstring(510, L'字') + L"…\r\n", text);
    report_append_line(text, 1024, L"100%% %d", 5);
    EXPECT_EQ(L"100% 5\r\n", std::wstring(text).substr(513));
}

TEST(ReportDispatch, WholeNumberReading) {
    struct Case {
        double value;
        int whole;
    };
    const Case cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.5, 0},
        {2147483647.9, 2147483647},
        {2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {1e12, INT32_MIN},
        {NAN, INT32_MIN},
        {INFINITY, INT32_MIN},
        {-INFINITY, INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(c.whole, report_whole_number(c.value)) << c.value;
}

TEST(ReportDispatch, InputsAreReadByExactKeyFirstMatchFirst) {
    InputDef defs[] = {{.key = "Kind"}, {.key = nullptr}, {.key = "kind"}, {.key = "kind"}};
    double values[] = {1, 2, 3, 4};
    const Prepared tool({.input_count = 4, .inputs = defs});
    EXPECT_EQ(3, report_input_value(tool, values, "kind"));
    EXPECT_EQ(1, report_input_value(tool, values, "Kind"));
    EXPECT_EQ(0, report_input_value(tool, values, "kin"));

    // The caller's values end at the program's 16; an input described
    // beyond them is not read.
    InputDef many[20];
    many[18].key = "far";
    double sixteen[TOOL_MAX_INPUTS] = {};
    const Prepared crowded({.input_count = 20, .inputs = many});
    EXPECT_EQ(0, report_input_value(crowded, sixteen, "far"));
}

// One selected line (by index) of each report that picks its text by number.
TEST(FixedTextReports, SelectionsAndBounds) {
    struct Case {
        int kind;
        std::vector<Input> inputs;
        size_t line_count;  // lines ended by "\r\n"
        size_t index;
        const wchar_t* line;
    };
    const wchar_t* other_draw = L"本次：其他项目，请按检验科项目手册执行。";
    const wchar_t* anaesthesia = L"麻醉与肌松药：丙泊酚、维库溴铵、琥珀胆碱、阿片类";
    const wchar_t* bed_one =
        L"01 床：诊断＿＿；体温＿℃ 脉搏＿次/分 呼吸＿次/分 血压＿/＿mmHg SpO2＿%；本班处置＿＿；"
        L"管路（静脉/引流/导尿/吸氧）＿＿；下一班关注＿＿。";
    const Case cases[] = {
        {3, {{"kind", 2.9}}, 9, 8, L"本次：凝血 → 淡蓝管，需采满刻度线（约 2.0ml），采血后立即轻柔颠倒 3-4 次。"},
        {3, {}, 9, 8, other_draw},
        {3, {{"kind", 7}}, 9, 8, other_draw},
        {3, {{"kind", 6}}, 9, 7, L""},
        {5, {{"kind", 1}}, 3, 1, L"高浓度电解质：10% 氯化钾、10% 氯化钠、25% 硫酸镁"},
        {5, {{"kind", 4}}, 3, 1, anaesthesia},
        {5, {{"kind", 4}}, 3, 2, L"要点：专柜加锁、基数管理、使用后登记、拮抗剂（纳洛酮/新斯的明）备用。"},
        {9, {{"beds", 0}}, 4, 1, bed_one},
        {9, {}, 4, 1, bed_one},
        {9, {{"beds", -5}}, 4, 1, bed_one},
        {9, {{"beds", 1e12}}, 4, 1, bed_one},
        {9, {{"beds", 45}}, 33, 1, bed_one},
        {11, {{"panel", 6}}, 2, 0, L"尿常规（清洁中段尿）：尿蛋白、尿糖、尿潜血、白细胞、亚硝酸盐、比重、pH、镜检。"},
        {11, {{"panel", 3}}, 2, 1, L"注意：采血量必须达刻度；肝素治疗中查 APTT。"},
        {4, {{"kind", 1}}, 6, 3, L"血钙 <1.5 或 >3.5 mmol/L"},
        {4, {}, 4, 1, L"请查阅本院《危急值报告目录》"},
        {4, {{"kind", 0}}, 4, 1, L"请查阅本院《危急值报告目录》"},
        {4, {{"kind", 7}}, 4, 2, L""},
        {8, {}, 6, 4, L""},
    };
    for (const Case& c : cases) {
        Report r = generate(c.kind, c.inputs);
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " line " << c.index);
        ASSERT_EQ(c.line_count + 1, r.lines.size());
        EXPECT_EQ(L"", r.lines.back()) << "every report ends with a line break";
        EXPECT_EQ(c.line, r.lines[c.index]);
        EXPECT_EQ(0, r.level);
    }
    EXPECT_EQ(L"30" + std::wstring(bed_one).substr(2), generate(9, {{"beds", 45}}).lines[30]);
}

// A number outside a report's list is given no entry's name or lines: one
// line asks for a listed number instead.
TEST(FixedTextReports, UnlistedNumbersNameNoEntry) {
    struct Case {
        int kind;
        std::vector<Input> inputs;
        const wchar_t *text, *verdict;
    };
    const wchar_t* heading = L"高警示药品类别与要点：\r\n";
    const Case cases[] = {
        {5, {{"kind", 0}}, L"编号 0 不在列表中：请按编号 1–4 选择药品类别。\r\n", L"请按编号 1–4 选择药品类别"},
        {5, {{"kind", 5}}, L"编号 5 不在列表中：请按编号 1–4 选择药品类别。\r\n", L"请按编号 1–4 选择药品类别"},
        {11, {{"panel", 7}}, L"编号 7 不在列表中：请按编号 1–6 选择检验套餐。\r\n", L"请按编号 1–6 选择检验套餐"},
        {11, {}, L"编号 0 不在列表中：请按编号 1–6 选择检验套餐。\r\n", L"请按编号 1–6 选择检验套餐"},
    };
    for (const Case& c : cases) {
        Report r = generate(c.kind, c.inputs);
        EXPECT_EQ((c.kind == 5 ? heading : L"") + std::wstring(c.text), r.text) << c.kind;
        EXPECT_EQ(c.verdict, r.verdict);
        EXPECT_EQ(1, r.level);
    }
}

TEST(FixedTextReports, VerdictsAndTheCutAtTheCapacity) {
    struct Case {
        int kind;
        const wchar_t* verdict;
    };
    const Case cases[] = {
        {3, L"按标准顺序采血可减少溶血与交叉污染"}, {5, L"高警示药品须专区、专标识、双人核对"},
        {8, L"三方核查缺一不可，签字后归档"},       {9, L"模板已生成，床旁交接并双方签名"},
        {11, L"套餐与采血管已列出，按顺序采血"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.verdict, generate(c.kind, {{"kind", 1}, {"panel", 1}}).verdict) << c.kind;

    Report r = generate(8, {}, 10);
    EXPECT_EQ(L"手术安全核查表（三", r.text);
    EXPECT_EQ(L"三方核查缺一不可，签字后归档", r.verdict);
}

TEST(DrugCompatibility, PairsInEitherOrder) {
    const wchar_t* calcium = L"结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。";
    const wchar_t* vancomycin = L"结论：不宜同瓶。万古霉素与碱性药物/奥美拉唑配伍稳定性差，应分开输注并冲管。";
    const wchar_t* furosemide = L"结论：不宜同瓶。呋塞米与多巴胺、氨溴索与碱性液混合易发生理化变化。";
    const wchar_t* unlisted = L"结论：本工具库内未收录该组合的明确禁忌，但仍须查本院配伍表并现配现用、注意冲管。";
    const wchar_t* no_such_drug = L"未作配伍判断：请按编号 1–10 选择药品。";
    struct Case {
        double a, b;
        int level;
        const wchar_t *line, *verdict;
    };
    const Case cases[] = {
        {1, 2, 3, calcium, L"禁忌：不可同瓶输注，需间隔冲管"},
        {2, 1, 3, calcium, L"禁忌：不可同瓶输注，需间隔冲管"},
        {9, 2, 3, calcium, L"禁忌：不可同瓶输注，需间隔冲管"},
        {2.7, 1, 3, calcium, L"禁忌：不可同瓶输注，需间隔冲管"},
        {6, 3, 2, vancomycin, L"不宜同瓶，分开输注并冲管"},
        {3, 9, 2, vancomycin, L"不宜同瓶，分开输注并冲管"},
        {10, 4, 2, furosemide, L"不宜同瓶，建议分开输注"},
        {5, 9, 2, furosemide, L"不宜同瓶，建议分开输注"},
        {7, 6, 1, L"结论：奥美拉唑与维生素C 同瓶 pH 冲突，稳定性下降，建议分开。", L"建议分开输注"},
        {1, 1, 0, unlisted, L"未收录明确禁忌，仍需核对院内配伍表"},
        {8, 2, 0, unlisted, L"未收录明确禁忌，仍需核对院内配伍表"},
        {1, 9, 0, unlisted, L"未收录明确禁忌，仍需核对院内配伍表"},
        // 11 is no drug: the pair 1 and 2 it would borrow is not judged.
        {11, 2, 2, no_such_drug, L"请按编号 1–10 选择药品"},
        {2, 11, 2, no_such_drug, L"请按编号 1–10 选择药品"},
        {NAN, 2, 2, no_such_drug, L"请按编号 1–10 选择药品"},
    };
    for (const Case& c : cases) {
        Report r = generate(6, {{"drugA", c.a}, {"drugB", c.b}});
        SCOPED_TRACE(testing::Message() << c.a << " + " << c.b);
        ASSERT_EQ(7u, r.lines.size());
        EXPECT_EQ(c.line, r.lines[5]);
        EXPECT_EQ(c.verdict, r.verdict);
        EXPECT_EQ(c.level, r.level);
    }

    Report r = generate(6, {{"drugB", 2}});
    EXPECT_EQ(L"待查：0 号（无此编号）  +  2 号 葡萄糖酸钙\r\n"
              L"\r\n"
              L"编号：1头孢曲松 2葡萄糖酸钙 3万古霉素 4呋塞米 5氨溴索\r\n"
              L"      6奥美拉唑 7维生素C 8胰岛素 9碳酸氢钠 10多巴胺\r\n"
              L"\r\n" + std::wstring(no_such_drug) + L"\r\n",
              r.text);
    EXPECT_EQ(L"待查：11 号（无此编号）  +  2 号 葡萄糖酸钙",
              generate(6, {{"drugA", 11}, {"drugB", 2}}).lines[0]);
    EXPECT_EQ(L"待查：10 号 多巴胺  +  4 号 呋塞米", generate(6, {{"drugA", 10}, {"drugB", 4}}).lines[0]);
}

TEST(InfusionCardAndCriticalValues, WholeTexts) {
    const wchar_t* tail = L"核对：药名/剂量/浓度/有效期/配伍；双人签名。\r\n"
                          L"观察：穿刺点、滴速、输注反应；每 30 分钟巡视并记录。\r\n";
    Report empty = generate(10, {});
    EXPECT_EQ(std::wstring(L"静脉输液卡\r\n床号：0\r\n药液：医嘱药量 0.00 ，加入溶媒 0 ml\r\n"
                           L"滴速：0 滴/分（约 0 ml/h）\r\n") + tail,
              empty.text);
    EXPECT_EQ(L"输液卡已生成，双人核对后执行", empty.verdict);
    Report card = generate(10, {{"bed", 12.8}, {"dose", 2.5}, {"volume", 250}, {"gtt", 40}});
    EXPECT_EQ(L"床号：12", card.lines[1]);
    EXPECT_EQ(L"药液：医嘱药量 2.50 ，加入溶媒 250 ml", card.lines[2]);
    EXPECT_EQ(L"滴速：40 滴/分（约 120 ml/h）", card.lines[3]);

    Report lab = generate(4, {{"kind", 2}});
    EXPECT_EQ(L"常见检验危急值（参考，需以本院文件为准）：\r\n"
              L"血糖 <2.8 或 >22.2 mmol/L\r\n"
              L"pH <7.20 或 >7.60；PaO2 <45 mmHg；PaCO2 >70 mmHg\r\n"
              L"\r\n"
              L"处置要求：核实标本→15 分钟内电话报告临床→记录报告与接听人→医师 30 分钟内处理并记录。\r\n",
              lab.text);
    EXPECT_EQ(L"危急值必须闭环：报告、接收、处理、记录", lab.verdict);
}

}  // namespace
