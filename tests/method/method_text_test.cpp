// How a tool calculates, as its guide writes it for a reader: labels for
// keys, the signs a reader knows, chains as bands, rules with their level
// in words.
#include <gtest/gtest.h>

#include "launcher/tool_details.h"
#include "method/method.h"
#include "suite/catalogue.h"

namespace {

// Tool 0: a box asked whether it is unticked, and a list whose options
// answer alike.
const InputChoice amounts[] = {{L"1 分：有", 1}, {L"2 分：有（大量）", 2}, {L"0 分：无", 0}};
const InputDef invented_inputs[] = {{.key = "drain", .label = L"引流管", .box = true, .points = 2},
                                    {.key = "exudate", .label = L"渗液", .choices = amounts, .choice_count = 3}};
const RuleDef invented_rules[] = {{.condition = "drain == 0 && exudate == 2", .level = 1, .message = L"复查"}};
const ToolDef invented = {.input_count = 2, .inputs = invented_inputs, .rule_count = 1, .rules = invented_rules};

const ToolDef& suite_tool(int id) {
    if (id == 0) return invented;
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return *suite_tools[t];
    ADD_FAILURE() << "no tool " << id;
    return *suite_tools[0];
}

TEST(MethodText, FormulasAndRulesReadAsAReaderWritesThem) {
    struct Case {
        int id;
        bool rule;  // a rule's text, else an output's
        int index;
        const wchar_t* text;
    };
    const Case cases[] = {
        {9, false, 0, L"餐时胰岛素 = 本餐碳水 ÷ 碳水系数"},
        {9, false, 1, L"抽取体积 = 本餐碳水 ÷ 碳水系数 ÷ 规格"},
        {9, true, 0, L"餐时胰岛素 > 20 → 单次餐时剂量较大，建议复核对碳水与比值（橙色，需关注）"},
        {9, true, 1, L"其余 → 按碳水系数计算完成（绿色，完成）"},
        {23, false, 0, L"呼吸频率评分 = 呼吸频率 ≤ 8 → 3；≤ 11 → 1；≤ 20 → 0；≤ 24 → 2；其余 → 3"},
        {38, false, 0, L"总分 = (呼吸频率 ≥ 22 → 1；其余 → 0) + (收缩压 ≤ 100 → 1；其余 → 0) + 意识状态"},
        {10, false, 0, L"校正剂量 = 向下取整(取 (当前血糖 − 目标血糖) ÷ 敏感系数 与 0 中较大者)"},
        {10, true, 1, L"当前血糖 ≥ 33.3 → 血糖 ≥33.3 mmol/L：高血糖危象可能，立即通知医师，不按皮下校正剂量给药"
                      L"（红色，需立即处理），校正剂量不适用、不计算"},
        {11, false, 1, L"体表面积 = √(身高 × 体重 ÷ 3600)"},
        {16, false, 1, L"每小时维持液量 = 4 × (取 体重 与 10 中较小者) + 2 × (取 (取 体重 − 10 与 0 中较大者) 与 10 中较小者)"
                       L" + (取 体重 − 20 与 0 中较大者)"},
        {12, false, 0, L"肌酐清除率 = (140 − 年龄) × 体重 ÷ (0.818 × 血肌酐) × (性别 = 女 → 0.85；其余 → 1)"},
        {32, false, 0, L"饮水试验分级：取所选选项的级别"},
        {23, false, 2, L"给氧评分：取“给氧”所选选项的分值"},
        {32, true, 1, L"饮水试验分级 ≥ 3 级 → 异常（3–4 级）：吞咽障碍，报告医师进一步评估（橙色，需关注）"},
        {32, true, 2, L"饮水试验分级 = 2 级 或 饮完用时 = 超过 5 秒 → 可疑（1 级超过 5 秒或 2 级）：谨慎进食，"
                      L"进一步评估（黄色，提醒）"},
        {0, true, 0, L"引流管 未勾选 且 渗液 = 2 分：有（大量） → 复查（黄色，提醒）"},  // options that answer alike
        {33, true, 0, L"RASS 评分 ≤ -4 分 → 深度镇静或昏迷（RASS ≤-4）：此镇静深度无法评估谵妄，每班复评（橙色，需关注）；复评：每 8 小时"},  // a negative option
        {33, true, 3, L"特征 1：意识状态急性改变或 24 小时内波动 ≠ 否 且 特征 2：注意力障碍（字母试验错误 >2 个） ≠ 否 且 "
                      L"(RASS 评分 ≠ 0 分 或 特征 4：思维紊乱（问题与指令错误 >1 个） ≠ 否) → "
                      L"CAM-ICU 未完成：请评估特征 1、2 及 3 或 4（橙色，需关注）；复评：每 8 小时"},
        {40, false, 0, L"总分 = 【1a 意识水平】 + 【1b 意识水平提问】 + 【1c 意识水平指令】 + 【2 凝视】 + 【3 视野】 + 【4 面瘫】"
                       L" + (【5a 左上肢运动】 = UN → 0；其余 → 【5a 左上肢运动】) + (【5b 右上肢运动】 = UN → 0；其余 → "
                       L"【5b 右上肢运动】) + (【6a 左下肢运动】 = UN → 0；其余 → 【6a 左下肢运动】) + (【6b 右下肢运动】 = UN → 0；"
                       L"其余 → 【6b 右下肢运动】) + (【7 肢体共济失调】 = UN → 0；其余 → 【7 肢体共济失调】) + 【8 感觉】 + 【9 语言】"
                       L" + (【10 构音障碍】 = UN → 0；其余 → 【10 构音障碍】) + 【11 忽视】"},
    };
    for (const Case& c : cases) {
        PreparedTool tool;
        tool_prepare(suite_tool(c.id), &tool);
        wchar_t text[1024];
        if (c.rule) method_rule_text(tool, c.index, text, 1024);
        else method_output_text(tool, c.index, text, 1024);
        EXPECT_STREQ(c.text, text) << c.id << " " << c.index;
    }
    // A list asked on a condition says when, and what stands for it otherwise.
    PreparedTool tool;
    tool_prepare(suite_tool(32), &tool);
    wchar_t asked[256];
    method_input_text(tool, 1, L" / ", asked, 256);
    EXPECT_STREQ(L"饮完用时（下拉列表，选其一；仅当 饮水试验分级 = 1 级 时须选，否则记为“不适用”）： / 5 秒内 / 超过 5 秒", asked);
    // A text longer than its room ends with the cut mark.
    tool_prepare(suite_tool(9), &tool);
    wchar_t text[8];
    EXPECT_EQ(7, method_output_text(tool, 0, text, 8));
    EXPECT_STREQ(L"餐时胰岛素 …", text);
}

// The launcher's details pane: what a tool asks for, how it calculates and
// where each verdict starts; a report tool, what it lists, as its generator
// writes it from the defaults.
TEST(MethodText, TheDetailsPaneShowsHowEachToolCalculates) {
    struct Case {
        int id;
        const wchar_t* shown;
        bool formulas;
    };
    const Case cases[] = {
        {9, L"  · 本餐碳水（g）：默认 60；范围 0–300 g，最多 1 位小数\r\n", true},
        {9, L"\r\n\r\n计算方法（由程序实际使用的计算式生成，“→”前为条件，“其余”指以上条件都不成立）：\r\n"
            L"  · 餐时胰岛素 = 本餐碳水 ÷ 碳水系数\r\n  · 抽取体积 = 本餐碳水 ÷ 碳水系数 ÷ 规格\r\n"
            L"结论（按顺序判断，第一条成立的即为结论）：\r\n"
            L"  · 餐时胰岛素 > 20 → 单次餐时剂量较大，建议复核对碳水与比值（橙色，需关注）\r\n"
            L"  · 其余 → 按碳水系数计算完成（绿色，完成）\r\n\r\n参考依据", true},
        {24, L"【1 分项】\r\n  · 计划小手术（勾选项，1 分）\r\n", true},
        {101, L"示例（按默认输入）：\r\n    排班规则：", false},
        {101, L"    ……（全文共 85 行）\r\n", false},
    };
    static wchar_t text[16384];
    for (const Case& c : cases) {
        tool_details_text(suite_tool(c.id), text, 16384);
        EXPECT_NE(nullptr, wcsstr(text, c.shown)) << c.id;
        EXPECT_EQ(c.formulas, wcsstr(text, L"计算方法（") != nullptr) << c.id;
    }
}

}  // namespace
