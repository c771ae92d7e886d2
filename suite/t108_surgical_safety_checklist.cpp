// Surgical safety checklist: the three checks of surgeon, anaesthetist and
// nurse. The checklist reads no input.
#include "tool/tool.h"

static const ToolDef tool = {
    .id = 108,
    .title = L"手术安全核查",
    .summary = L"麻醉实施前、手术开始前、患者离室前三步核查",
    .category = L"手术室",
    .basis = L"手术安全核查制度",
    .caution = L"核查须三方同时在场，逐项口述确认，不得代签。",
    .report_kind = REPORT_SURGICAL_SAFETY_CHECKLIST,
};

const ToolDef& tool_builtin() { return tool; }
