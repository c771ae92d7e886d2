// Preparing a descriptor for service: counts within what the program holds,
// no absent text or key.
#include "tool/tool.h"

#include <string.h>

namespace {

// How many records of a table the program serves. Beyond the limit, or a
// count without its records, the tool is served incomplete.
int served_count(int count, const void* records, int limit, bool* incomplete) {
    if (count <= 0) return 0;
    if (!records || count > limit) *incomplete = true;
    if (!records) return 0;
    return count > limit ? limit : count;
}

const wchar_t* present(const wchar_t* text) { return text ? text : L""; }
const char* present(const char* text) { return text ? text : ""; }

}  // namespace

void tool_prepare(const ToolDef& described, PreparedTool* prepared) {
    PreparedTool& p = *prepared;
    static_cast<ToolDef&>(p) = described;
    p.incomplete = false;
    p.input_count = served_count(described.input_count, described.inputs, TOOL_MAX_INPUTS,
                                 &p.incomplete);
    p.output_count = served_count(described.output_count, described.outputs, TOOL_MAX_OUTPUTS,
                                  &p.incomplete);
    p.rule_count = served_count(described.rule_count, described.rules, INT32_MAX, &p.incomplete);
    p.title = present(described.title);
    p.summary = present(described.summary);
    p.category = present(described.category);
    p.basis = present(described.basis);
    p.caution = present(described.caution);
    for (int i = 0; i < p.input_count; i++) {
        const InputDef& input = described.inputs[i];
        InputChoice* choices = p.choice_records[i];
        int choice_count = served_count(input.choice_count, input.choices, TOOL_MAX_CHOICES, &p.incomplete);
        for (int k = 0; k < choice_count; k++)
            choices[k] = {present(input.choices[k].label), input.choices[k].value};
        InputDef& record = p.input_records[i];
        record = input;
        record.key = present(input.key);
        record.label = present(input.label);
        record.unit = present(input.unit);
        record.section = present(input.section);
        record.asked_when = present(input.asked_when);
        record.unasked_label = present(input.unasked_label);
        record.choices = choice_count > 0 ? choices : nullptr;
        record.choice_count = choice_count;
    }
    for (int j = 0; j < p.output_count; j++) {
        const OutputDef& output = described.outputs[j];
        p.output_records[j] = {present(output.key), present(output.label), present(output.unit),
                               present(output.formula), output.format ? output.format : "f2"};
    }
    p.inputs = p.input_records;
    p.outputs = p.output_records;
    p.headline_output = -1;
    for (int j = 0; j < p.output_count && described.headline && described.report_kind == REPORT_NONE; j++)
        if (strcmp(p.outputs[j].key, described.headline) == 0) p.headline_output = j;
    p.headline = present(described.headline);
}

int tool_input_of_key(const PreparedTool& tool, const wchar_t* name, int length) {
    for (int i = 0; i < tool.input_count; i++) {
        const char* key = tool.inputs[i].key;
        int k = 0;
        while (key[k] && k < length && (wchar_t)(unsigned char)key[k] == name[k]) k++;
        if (!key[k] && k == length) return i;
    }
    return -1;
}

const InputChoice* tool_choice_of(const InputDef& input, double value) {
    for (int k = 0; k < input.choice_count; k++)
        if (input.choices[k].value == value) return &input.choices[k];
    return nullptr;
}
