// The suite's formula tools against worked examples from their published
// sources, at every band edge and beyond their inputs' limits, as a nurse
// would see them.
#include "tool/tool.h"  // first, so the descriptors' own include is a no-op

#include <gtest/gtest.h>

#include <math.h>

#include "calc/calc.h"
#include "suite/catalogue.h"

namespace t010 {
#include "suite/t010_insulin_correction.cpp"
}
namespace t011 {
#include "suite/t011_bmi_bsa.cpp"
}
namespace t012 {
#include "suite/t012_creatinine_clearance.cpp"
}
namespace t013 {
#include "suite/t013_infusion_rate.cpp"
}
namespace t014 {
#include "suite/t014_pump_rate.cpp"
}
namespace t015 {
#include "suite/t015_potassium_infusion.cpp"
}
namespace t016 {
#include "suite/t016_maintenance_fluids.cpp"
}
namespace t017 {
#include "suite/t017_glasgow_coma_scale.cpp"
}

namespace {

const wchar_t INSULIN_DONE[] = L"按敏感系数计算完成";
const wchar_t INSULIN_LOW[] = L"低血糖：不使用校正剂量，按低血糖流程处理";
const wchar_t INSULIN_CRISIS[] = L"血糖 ≥33.3 mmol/L：高血糖危象可能，立即通知医师，不按皮下校正剂量给药";
const wchar_t INSULIN_CRISIS_LINE[] = L"校正剂量：不适用：血糖 ≥33.3 mmol/L，高血糖危象按医嘱静脉胰岛素治疗\r\n";
const wchar_t BMI_NORMAL[] = L"体重正常（BMI 18.5–23.9）";
const wchar_t BMI_OVERWEIGHT[] = L"超重（BMI 24–27.9）";
const wchar_t CRCL_DONE[] = L"肌酐清除率估算完成";
const wchar_t CRCL_FAILURE[] = L"肾衰竭范围（<15 ml/min）：多数经肾排泄药物须避免或大幅减量";
const wchar_t DRIP_DONE[] = L"滴速计算完成";
const wchar_t PUMP_FAST[] = L"泵速过快，请复核剂量单位与配制浓度";
const wchar_t PUMP_SLOW[] = L"泵速 <0.1 ml/h，微量泵难以准确输注，请复核剂量单位与配制浓度";
const wchar_t KCL_WITHIN[] = L"浓度与速度在常规范围内";
const wchar_t KCL_MONITOR[] = L"补钾速度超过 0.75 g/h，须心电监护";
const wchar_t FLUIDS_DONE[] = L"按 Holliday-Segar 法计算完成";
// A value outside its input's limits is refused by the window; calculated
// anyway, whatever reads it shows "--" and no verdict is drawn from it.
const wchar_t* const REFUSED = CALC_FALLBACK_VERDICT;
constexpr int FAILED = CALC_FAILURE_LEVEL;

struct Row {
    const ToolDef& (*tool)();
    double values[4];
    const wchar_t* result;
    int level;
    const wchar_t* verdict;
};

const Row rows[] = {
    // Correction dose = (glucose - target) / sensitivity, rounded down to
    // whole units: HSCNI CHOICE programme, (14 - 8) / 2 = 3 units. The rest
    // by hand; 16.1 - 6.1 at 1 is exactly the 10 U limit, which binary
    // arithmetic, 10.000000000000002, would put past it, and 7.3 - 7 at 0.1
    // exactly 3, which it puts just below.
    {t010::tool_builtin, {14, 8, 2}, L"校正剂量：3 U\r\n", 0, INSULIN_DONE},
    {t010::tool_builtin, {7.3, 7, 0.1}, L"校正剂量：3 U\r\n", 0, INSULIN_DONE},
    {t010::tool_builtin, {3.8, 7, 2}, L"校正剂量：不适用：血糖 <3.9 mmol/L，按低血糖流程处理\r\n", 3, INSULIN_LOW},
    {t010::tool_builtin, {3.9, 7, 2}, L"校正剂量：0 U\r\n", 0, INSULIN_DONE},
    {t010::tool_builtin, {12, 7, 0}, L"校正剂量：-- U\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t010::tool_builtin, {16.1, 6.1, 1}, L"校正剂量：10 U\r\n", 0, INSULIN_DONE},
    {t010::tool_builtin, {20, 6, 1}, L"校正剂量：14 U\r\n", 2, L"校正剂量较大，请复核血糖与敏感系数"},
    {t010::tool_builtin, {16.7, 5, 3}, L"校正剂量：3 U\r\n", 2, L"血糖明显升高，注意排查酮症"},
    {t010::tool_builtin, {12, 0, 2}, L"校正剂量：-- U\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t010::tool_builtin, {180, 7, 2}, L"校正剂量：-- U\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},  // mg/dL
    // The meter's ceiling, 33.3 ("HI" above), and a laboratory glucose above
    // it (HHS at 45) call the doctor, never a subcutaneous dose.
    {t010::tool_builtin, {33.2, 7, 2}, L"校正剂量：13 U\r\n", 2, L"校正剂量较大，请复核血糖与敏感系数"},
    {t010::tool_builtin, {33.3, 7, 1}, INSULIN_CRISIS_LINE, 3, INSULIN_CRISIS},
    {t010::tool_builtin, {45, 7, 2}, INSULIN_CRISIS_LINE, 3, INSULIN_CRISIS},
    {t010::tool_builtin, {150.1, 7, 2}, L"校正剂量：-- U\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},

    // BMI: 170 cm, 68 kg gives 23.5 (Chinese adult cut-off guide, 2003, as
    // taught). Mosteller 1987 NEJM: 170 cm, 70 kg gives 1.82 m². 160 cm puts
    // 47.36 and 61.44 kg exactly on 18.5 and 24, where a BMI from metres
    // squared falls just short; 200 cm and 112 kg is exactly 28.
    {t011::tool_builtin, {170, 68}, L"体重指数：23.5 kg/m²\r\n体表面积：1.79 m²\r\n", 0, BMI_NORMAL},
    {t011::tool_builtin, {170, 70}, L"体重指数：24.2 kg/m²\r\n体表面积：1.82 m²\r\n", 1, BMI_OVERWEIGHT},
    {t011::tool_builtin, {170, 50}, L"体重指数：17.3 kg/m²\r\n体表面积：1.54 m²\r\n", 1, L"体重过低（BMI<18.5）"},
    {t011::tool_builtin, {160, 47.36}, L"体重指数：18.5 kg/m²\r\n体表面积：1.45 m²\r\n", 0, BMI_NORMAL},
    {t011::tool_builtin, {160, 61.44}, L"体重指数：24.0 kg/m²\r\n体表面积：1.65 m²\r\n", 1, BMI_OVERWEIGHT},
    {t011::tool_builtin, {200, 112}, L"体重指数：28.0 kg/m²\r\n体表面积：2.49 m²\r\n", 2, L"肥胖（BMI≥28）"},
    {t011::tool_builtin, {0, 65}, L"体重指数：-- kg/m²\r\n体表面积：-- m²\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},

    // Cockcroft & Gault 1976 Nephron, the usual mg/dL examples with creatinine
    // at 88 µmol/L per mg/dL (0.818 = 72 / 88): a man of 50, 80 kg, 1.0 mg/dL
    // gives 100; a woman of 45, 60 kg, 0.9 mg/dL gives 74.8. 81.8 kg cancels
    // 0.818 for the band edges 60, 30 and 15; at the last two, binary
    // arithmetic with 0.85 and 0.818 falls just below the edge (29.999999999999996).
    {t012::tool_builtin, {50, 80, 88, 0}, L"性别：男\r\n肌酐清除率：100.0 ml/min\r\n", 0, CRCL_DONE},
    {t012::tool_builtin, {45, 60, 79.2, 1}, L"性别：女\r\n肌酐清除率：74.8 ml/min\r\n", 0, CRCL_DONE},
    {t012::tool_builtin, {80, 81.8, 100, 0}, L"性别：男\r\n肌酐清除率：60.0 ml/min\r\n", 0, CRCL_DONE},
    {t012::tool_builtin, {26, 81.8, 323, 1}, L"性别：女\r\n肌酐清除率：30.0 ml/min\r\n", 1,
     L"中度肾功能减退（30–59 ml/min）：注意剂量调整"},
    {t012::tool_builtin, {77, 81.8, 420, 0}, L"性别：男\r\n肌酐清除率：15.0 ml/min\r\n", 2,
     L"重度肾功能减退（15–29 ml/min）：按说明书调整剂量"},
    {t012::tool_builtin, {80, 81.8, 800, 0}, L"性别：男\r\n肌酐清除率：7.5 ml/min\r\n", 3, CRCL_FAILURE},
    {t012::tool_builtin, {65, 60, 88.4, 2}, L"性别：--\r\n肌酐清除率：-- ml/min\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t012::tool_builtin, {17, 60, 88.4, 0}, L"性别：男\r\n肌酐清除率：102.1 ml/min\r\n", 2, L"本公式适用于成人"},
    // An impossible weight, creatinine (or one in mg/dL) or age is never read as renal failure.
    {t012::tool_builtin, {65, 0, 88.4, 1}, L"性别：女\r\n肌酐清除率：-- ml/min\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t012::tool_builtin, {65, 60, 1.0, 1}, L"性别：女\r\n肌酐清除率：-- ml/min\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t012::tool_builtin, {140, 60, 88.4, 0}, L"性别：男\r\n肌酐清除率：-- ml/min\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},

    // Drops per minute = volume x drop factor / minutes (basic nursing
    // textbook example): 1500 ml over 10 h at 20 drops/ml gives 50; other sets by hand.
    {t013::tool_builtin, {1500, 10, 20}, L"滴系数：20 滴/ml\r\n每小时输液量：150 ml/h\r\n滴速：50 滴/分\r\n", 0, DRIP_DONE},
    {t013::tool_builtin, {600, 5, 10}, L"滴系数：10 滴/ml\r\n每小时输液量：120 ml/h\r\n滴速：20 滴/分\r\n", 0, DRIP_DONE},
    {t013::tool_builtin, {60, 1, 60}, L"滴系数：60 滴/ml\r\n每小时输液量：60 ml/h\r\n滴速：60 滴/分\r\n", 0, DRIP_DONE},
    {t013::tool_builtin, {960, 4, 20}, L"滴系数：20 滴/ml\r\n每小时输液量：240 ml/h\r\n滴速：80 滴/分\r\n", 0, DRIP_DONE},
    {t013::tool_builtin, {1000, 4, 20}, L"滴系数：20 滴/ml\r\n每小时输液量：250 ml/h\r\n滴速：83 滴/分\r\n", 2,
     L"滴速较快，请确认医嘱与患者心肺功能"},
    {t013::tool_builtin, {500, 0, 20}, L"滴系数：20 滴/ml\r\n每小时输液量：-- ml/h\r\n滴速：-- 滴/分\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t013::tool_builtin, {-500, 4, 20}, L"滴系数：20 滴/ml\r\n每小时输液量：-- ml/h\r\n滴速：-- 滴/分\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t013::tool_builtin, {500, 4, 37}, L"滴系数：--\r\n每小时输液量：125 ml/h\r\n滴速：-- 滴/分\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},

    // ml/h = dose x weight x 60 / concentration: weight x 3 mg made up to
    // 50 ml runs 1 ml/h per µg/kg/min (60 kg at 5 gives 5 ml/h); dopamine
    // 400 mg in 250 ml, 70 kg at 5 gives 13.125 ml/h (13.12, the half to
    // even, as the value prints), and in 500 ml at 20
    // gives 105 ml/h.
    {t014::tool_builtin, {5, 60, 180, 50}, L"药液浓度：3600.0 µg/ml\r\n泵速：5 ml/h\r\n", 0, L"泵速计算完成"},
    {t014::tool_builtin, {5, 70, 400, 250}, L"药液浓度：1600.0 µg/ml\r\n泵速：13.12 ml/h\r\n", 0, L"泵速计算完成"},
    {t014::tool_builtin, {20, 70, 400, 500}, L"药液浓度：800.0 µg/ml\r\n泵速：105 ml/h\r\n", 2, PUMP_FAST},
    {t014::tool_builtin, {20, 100, 60, 50}, L"药液浓度：1200.0 µg/ml\r\n泵速：100 ml/h\r\n", 2, PUMP_FAST},
    // Below the 0.1 ml/h a pump delivers, as a mg dose typed as µg gives.
    {t014::tool_builtin, {0.05, 60, 180, 50}, L"药液浓度：3600.0 µg/ml\r\n泵速：0.05 ml/h\r\n", 2, PUMP_SLOW},
    {t014::tool_builtin, {5, 60, 0, 50}, L"药液浓度：-- µg/ml\r\n泵速：-- ml/h\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t014::tool_builtin, {-5, 60, 180, 50}, L"药液浓度：3600.0 µg/ml\r\n泵速：-- ml/h\r\n" CALC_FAILURE_NOTE, FAILED,
     REFUSED},
    {t014::tool_builtin, {5, 0, 180, 50}, L"药液浓度：3600.0 µg/ml\r\n泵速：-- ml/h\r\n" CALC_FAILURE_NOTE, FAILED,
     REFUSED},

    // Surgery textbook (9th ed., 2018): 1 g KCl holds 13.4 mmol; at most
    // 15 ml of 10% KCl in 500 ml (exactly 0.3 %). By hand: 3 ml in 100 ml,
    // also 0.3 %, which binary arithmetic with 0.1 g/ml puts just past it;
    // rates of exactly 1.5 and 0.75 g/h.
    {t015::tool_builtin, {15, 500, 5}, L"氯化钾浓度：0.30 %\r\n含钾量：20.1 mmol\r\n补钾速度：0.30 g/h\r\n", 0,
     KCL_WITHIN},
    {t015::tool_builtin, {3, 100, 1}, L"氯化钾浓度：0.30 %\r\n含钾量：4.0 mmol\r\n补钾速度：0.30 g/h\r\n", 0,
     KCL_WITHIN},
    {t015::tool_builtin, {16, 500, 5}, L"氯化钾浓度：0.32 %\r\n含钾量：21.4 mmol\r\n补钾速度：0.32 g/h\r\n", 3,
     L"浓度超过 0.3%：外周静脉禁止输注，须稀释"},
    {t015::tool_builtin, {30, 1000, 2}, L"氯化钾浓度：0.30 %\r\n含钾量：40.2 mmol\r\n补钾速度：1.50 g/h\r\n", 2,
     KCL_MONITOR},
    {t015::tool_builtin, {32, 2000, 2}, L"氯化钾浓度：0.16 %\r\n含钾量：42.9 mmol\r\n补钾速度：1.60 g/h\r\n", 3,
     L"补钾速度超过 1.5 g/h，须减慢"},
    {t015::tool_builtin, {15, 500, 2}, L"氯化钾浓度：0.30 %\r\n含钾量：20.1 mmol\r\n补钾速度：0.75 g/h\r\n", 0,
     KCL_WITHIN},
    {t015::tool_builtin, {15, 500, 0},
     L"氯化钾浓度：0.30 %\r\n含钾量：20.1 mmol\r\n补钾速度：-- g/h\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
    {t015::tool_builtin, {-15, 500, 5}, L"氯化钾浓度：-- %\r\n含钾量：-- mmol\r\n补钾速度：-- g/h\r\n" CALC_FAILURE_NOTE,
     FAILED, REFUSED},

    // Holliday & Segar 1957 Pediatrics, 100/50/20 ml/kg/d and 4/2/1 ml/kg/h:
    // 14 kg gives 1200 ml/d and 48 ml/h; the band edges by hand.
    {t016::tool_builtin, {10}, L"每日维持液量：1000 ml/d\r\n每小时维持液量：40 ml/h\r\n", 0, FLUIDS_DONE},
    {t016::tool_builtin, {14}, L"每日维持液量：1200 ml/d\r\n每小时维持液量：48 ml/h\r\n", 0, FLUIDS_DONE},
    {t016::tool_builtin, {20}, L"每日维持液量：1500 ml/d\r\n每小时维持液量：60 ml/h\r\n", 0, FLUIDS_DONE},
    {t016::tool_builtin, {70}, L"每日维持液量：2500 ml/d\r\n每小时维持液量：110 ml/h\r\n", 0, FLUIDS_DONE},
    {t016::tool_builtin, {71}, L"每日维持液量：2520 ml/d\r\n每小时维持液量：111 ml/h\r\n", 1,
     L"体重超过 70 kg：请按成人补液方案核对"},
    {t016::tool_builtin, {0}, L"每日维持液量：-- ml/d\r\n每小时维持液量：-- ml/h\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},

    // Teasdale & Jennett 1974 Lancet: E4 V5 M6 is 15; E2 V2 M4 is coma (8). A
    // value no option gives (a descriptor's caller, not the window) names nothing.
    {t017::tool_builtin, {4, 5, 6}, L"睁眼反应：4 分：自动睁眼\r\n语言反应：5 分：回答正确\r\n运动反应：6 分：遵嘱动作\r\nGCS 总分：15 分\r\n", 0, L"意识清楚（15 分）"},
    {t017::tool_builtin, {2, 2, 4}, L"睁眼反应：2 分：刺痛睁眼\r\n语言反应：2 分：言语难辨\r\n运动反应：4 分：刺痛躲避\r\nGCS 总分：8 分\r\n", 3, L"重度意识障碍（≤8 分）：注意气道保护"},
    {t017::tool_builtin, {3, 4, 5}, L"睁眼反应：3 分：呼唤睁眼\r\n语言反应：4 分：回答错乱\r\n运动反应：5 分：刺痛定位\r\nGCS 总分：12 分\r\n", 2, L"中度意识障碍（9–12 分）"},
    {t017::tool_builtin, {4, 4, 6}, L"睁眼反应：4 分：自动睁眼\r\n语言反应：4 分：回答错乱\r\n运动反应：6 分：遵嘱动作\r\nGCS 总分：14 分\r\n", 1, L"轻度意识障碍（13–14 分）"},
    // Intubated: E and M with "VT", no total, no band.
    {t017::tool_builtin, {4, 9, 6}, L"睁眼反应：4 分：自动睁眼\r\n语言反应：T：气管插管或切开，不能评估\r\n运动反应：6 分：遵嘱动作\r\nGCS 总分：不适用：语言反应不能评估，记为 E4 VT M6\r\n", 2, L"语言反应 T（气管插管或切开）：不计总分、不分级，按 E、M 分与 VT 记录"},
    {t017::tool_builtin, {0, 5, 6}, L"睁眼反应：--\r\n语言反应：5 分：回答正确\r\n运动反应：6 分：遵嘱动作\r\nGCS 总分：-- 分\r\n" CALC_FAILURE_NOTE, FAILED, REFUSED},
};

TEST(FormulaTools, WorkedExamplesBandEdgesAndLimits) {
    for (const Row& row : rows) {
        const ToolDef& tool = row.tool();
        static Calculation c;
        tool_calculate(tool, row.values, &c);
        ::testing::Message inputs;
        inputs << "tool " << tool.id << ":";
        for (int i = 0; i < tool.input_count; i++) inputs << " " << row.values[i];
        EXPECT_STREQ(row.result, c.text) << inputs;
        EXPECT_EQ(row.level, c.level) << inputs;
        EXPECT_STREQ(row.verdict, c.verdict) << inputs;
    }
}

// Every typed input of the suite declares its hard limits, so a slip of
// sign, point or unit is refused in every tool, not only in those above. A
// list or a check box takes only its own values.
TEST(FormulaTools, EveryTypedInputOfTheSuiteHasLimits) {
    ASSERT_GT(suite_tool_count, 20);
    for (int t = 0; t < suite_tool_count; t++) {
        for (int i = 0; i < suite_tools[t]->input_count; i++) {
            const InputDef& input = suite_tools[t]->inputs[i];
            bool limited = input.choice_count || input.box || (isfinite(input.min) && isfinite(input.max) && input.decimals >= 0);
            EXPECT_TRUE(limited) << suite_tools[t]->id << " " << input.key;
        }
    }
}

}  // namespace
