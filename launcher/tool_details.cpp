// The details pane's text: a formula tool's inputs, formulas and rules as
// the method text writes them; a report tool's inputs and what it lists.
#include "launcher/tool_details.h"

#include <wchar.h>

#include "calc/calc.h"
#include "method/method.h"

namespace {

constexpr int LINE_CAPACITY = 2048;
// A report's opening lines, enough to show what it lists.
constexpr int REPORT_SAMPLE_LINES = 8;

void line(wchar_t* text, int capacity, const wchar_t* piece) {
    text_append(text, capacity, piece);
    text_append(text, capacity, L"\r\n");
}

// The report as the tool writes it from its defaults, its opening lines:
// what a nurse gets, made by the very generator the tool runs.
void report_sample(const PreparedTool& tool, wchar_t* text, int capacity) {
    static Calculation sample;
    double defaults[TOOL_MAX_INPUTS];
    for (int i = 0; i < tool.input_count; i++) defaults[i] = tool.inputs[i].default_value;
    tool_calculate(tool, defaults, &sample);
    if (sample.any_failed) return;
    line(text, capacity, L"示例（按默认输入）：");
    int lines = 0;
    for (const wchar_t* at = sample.text; *at; lines++) {
        const wchar_t* end = wcsstr(at, L"\r\n");
        if (!end) end = at + text_length(at);
        if (lines < REPORT_SAMPLE_LINES) {
            wchar_t piece[LINE_CAPACITY] = L"";
            if (end > at) text_format(piece, LINE_CAPACITY, L"    %.*ls", (int)(end - at), at);
            line(text, capacity, piece);
        }
        at = *end ? end + 2 : end;
    }
    if (lines > REPORT_SAMPLE_LINES) {
        wchar_t piece[LINE_CAPACITY];
        text_format(piece, LINE_CAPACITY, L"    ……（全文共 %d 行）", lines);
        line(text, capacity, piece);
    }
}

}  // namespace

int tool_details_text(const ToolDef& described, wchar_t* text, int capacity) {
    static PreparedTool tool;
    tool_prepare(described, &tool);
    if (capacity < 1) return 0;
    text[0] = 0;
    wchar_t piece[LINE_CAPACITY];
    text_format(piece, LINE_CAPACITY, L"%ls（%03d）", tool.title, tool.id);
    line(text, capacity, piece);
    text_format(piece, LINE_CAPACITY, L"分类：%ls", tool.category);
    line(text, capacity, piece);
    line(text, capacity, tool.summary);
    line(text, capacity, L"");
    line(text, capacity, tool.input_count ? L"输入项目：" : L"输入项目：无（直接计算）");
    for (int i = 0; i < tool.input_count; i++) {
        if (*tool.inputs[i].section) {
            text_format(piece, LINE_CAPACITY, L"【%ls】", tool.inputs[i].section);
            line(text, capacity, piece);
        }
        wchar_t item[LINE_CAPACITY - 8];
        method_input_text(tool, i, L"\r\n        ", item, LINE_CAPACITY - 8);
        text_format(piece, LINE_CAPACITY, L"  · %ls", item);
        line(text, capacity, piece);
    }
    line(text, capacity, L"");
    if (tool.report_kind != REPORT_NONE) {
        report_sample(tool, text, capacity);  // what it lists is its summary, shown above
    } else {
        int length = text_length(text);
        method_account_text(tool, L"\r\n", text + length, capacity - length);
        line(text, capacity, L"");
    }
    line(text, capacity, L"");
    text_format(piece, LINE_CAPACITY, L"参考依据：%ls", tool.basis);
    line(text, capacity, piece);
    if (*tool.caution) {
        text_format(piece, LINE_CAPACITY, L"注意事项：%ls", tool.caution);
        line(text, capacity, piece);
    }
    int length = text_length(text);
    if (length == capacity - 1 && capacity > 1) text[capacity - 2] = TEXT_CUT_MARK;
    return length;
}
