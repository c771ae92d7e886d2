// Kubota water swallowing test: how a patient sitting up drinks 30 ml of
// warm water, graded 1 to 5, and whether swallowing is normal, suspect or
// impaired.
#include "tool/tool.h"

// Grades, not points, so the options say "级".
static const InputChoice grade[] = {
    {.label = L"1 级：一次喝完，无呛咳", .value = 1},
    {.label = L"2 级：分 2 次以上喝完，无呛咳", .value = 2},
    {.label = L"3 级：一次喝完，有呛咳", .value = 3},
    {.label = L"4 级：分 2 次以上喝完，有呛咳", .value = 4},
    {.label = L"5 级：频繁呛咳，不能全部喝完", .value = 5},
};

// Grade 1 is normal only within 5 seconds, which the grade alone does not
// say. The timing is a choice that must be made at grade 1, so an untimed
// drink never reads as normal (an unticked box would); at grades 2 to 5 it
// changes nothing and is not asked.
static const InputChoice timing[] = {
    {.label = L"5 秒内", .value = 0},
    {.label = L"超过 5 秒", .value = 1},
};

static const InputDef inputs[] = {
    {.key = "grade", .label = L"饮水试验分级", .default_value = 1, .choices = grade, .choice_count = 5},
    {.key = "timing", .label = L"饮完用时", .default_value = 0, .choices = timing, .choice_count = 2,
     .asked_when = "grade == 1", .unasked_value = 9, .unasked_label = L"不适用"},
};

static const OutputDef outputs[] = {
    {.key = "result", .label = L"饮水试验分级", .unit = L"级", .formula = "grade", .format = "f0"},
};

// Stopping oral intake at grade 5 is the ward's convention, not Kubota's.
static const RuleDef rules[] = {
    {.condition = "grade >= 5", .level = 3, .message = L"异常（5 级）：严重吞咽障碍，暂禁经口进食并报告"},
    {.condition = "grade >= 3", .level = 2, .message = L"异常（3–4 级）：吞咽障碍，报告医师进一步评估"},
    {.condition = "grade == 2 || timing == 1", .level = 1, .message = L"可疑（1 级超过 5 秒或 2 级）：谨慎进食，进一步评估"},
    {.condition = "", .level = 0, .message = L"正常（1 级，5 秒内）：可经口进食"},
};

static const ToolDef tool = {
    .id = 32,
    .title = L"吞咽功能筛查（洼田饮水试验）",
    .summary = L"端坐饮 30 ml 温水，按饮完次数、用时与呛咳分级筛查吞咽障碍",
    .category = L"神经科",
    .basis = L"洼田俊夫 1982（洼田饮水试验，30 ml 温水）：1 级 5 秒内为正常，1 级超过 5 秒或 2 级为可疑，3–5 级为异常",
    .caution = L"须意识清楚、能取坐位或半卧位并配合；1 级须选择饮完用时；仅评估饮水，可疑或异常者须进一步吞咽评估；由经过培训的人员执行并床旁备吸引。",
    .input_count = 2,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 4,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "result",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
