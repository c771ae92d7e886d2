// What a printed form holds, line by line before it is wrapped: the title,
// the patient's block, a formula tool's inputs, result and verdict or a
// report's text, the caution and the basis; and the running head and
// signature line that the pages carry.
#include "app/win32/print_job.h"

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include "platform/platform.h"

namespace printing {
namespace {

// The patient on paper: a field not given is a line to fill by hand, and the
// label：value pairs of a line stand this far apart, in spaces that a row
// too narrow for them breaks at. The signature line is the nurse's, with
// her name after it when it is known.
#define BLANK_FIELD L"__________"
#define PAIR_GAP L"    "
#define SIGNATURE_LINE L"评估护士签名：________"
// Forms print three pairs to a line on A4; A5 holds fewer when they are long.
constexpr int PAIRS_PER_LINE = 3;

void add_line(Job& job, LineStyle style, const wchar_t* text, int length) {
    if (job.line_count >= DOCUMENT_MAX_LINES) return;
    if (length > DOCUMENT_CAPACITY - 1 - job.text_length) length = DOCUMENT_CAPACITY - 1 - job.text_length;
    for (int i = 0; i < length; i++) job.text[job.text_length + i] = text[i];
    job.lines[job.line_count++] = {job.text_length, length, style};
    job.text_length += length;
}

void add_formatted(Job& job, LineStyle style, const wchar_t* format, ...) {
    wchar_t line[LINE_CAPACITY];
    va_list args;
    va_start(args, format);
    text_vformat_marked(line, LINE_CAPACITY, format, args);
    va_end(args);
    add_line(job, style, line, text_length(line));
}

// The result text's lines from line `first` on, without their line breaks.
void add_result_lines(Job& job, const wchar_t* text, int first) {
    int number = 0;
    for (const wchar_t* p = text; *p;) {
        const wchar_t* end = p;
        while (*end && *end != L'\r' && *end != L'\n') end++;
        if (number++ >= first) add_line(job, BODY, p, (int)(end - p));
        if (*end == L'\r') end++;
        if (*end == L'\n') end++;
        p = end;
    }
}

// A line as the calculation writes it, in the result text and the record.
void add_calculation_line(Job& job, LineStyle style, const wchar_t* line) {
    add_line(job, style, line, text_length(line));
}

// Every input as the result text writes it, under its section's heading: a
// box only when checked, as the copy and the record name it, and a heading
// only above a line.
void add_input_lines(Job& job, const PreparedTool& tool, const Calculation& c) {
    const wchar_t* section = nullptr;
    for (int i = 0; i < tool.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (*input.section) section = input.section;
        if (!calc_input_line_shown(input, c.inputs[i])) continue;
        if (section) add_calculation_line(job, HEADING, section);
        section = nullptr;
        wchar_t line[LINE_CAPACITY];
        calc_input_line(input, c.inputs[i], line, LINE_CAPACITY, c.asked[i]);
        add_calculation_line(job, BODY, line);
    }
    if (calc_none_checked(tool, c.inputs)) add_calculation_line(job, BODY, CALC_NONE_CHECKED);
}

// "姓名：张三", or "姓名：__________" when the field is not given.
void field_pair(int field, wchar_t* pair, int capacity) {
    const wchar_t* value = main_window_state.patient.fields[field];
    text_format(pair, capacity, L"%ls：%ls", patient_field_name(field).label, *value ? value : BLANK_FIELD);
}

bool fits_body(const Job& job, HDC dc, const wchar_t* text) {
    SIZE size;
    SelectObject(dc, job.fonts[BODY]);
    GetTextExtentPoint32W(dc, text, text_length(text), &size);
    return size.cx <= job.body_width;
}

// The block heading the first page, as a ward's form has it: who, where,
// when the result was calculated and when printed, and the record's number
// once it is saved, so that a filed page is matched to its row. As many
// pairs to a line as the body's width holds, each pair whole.
constexpr int ASSESSED = -1, PRINTED = -2, RECORD_NUMBER = -3;
void add_patient_block(Job& job, HDC dc) {
    constexpr int FIELDS[] = {PATIENT_NAME, PATIENT_ID, PATIENT_BED, PATIENT_WARD, ASSESSED, PRINTED, RECORD_NUMBER};
    const MainWindowState& s = main_window_state;
    wchar_t line[PATIENT_LINE_CAPACITY] = L"", longer[PATIENT_LINE_CAPACITY];
    int pairs = 0;
    for (int field : FIELDS) {
        wchar_t pair[PAIR_CAPACITY];
        const LocalTime& a = s.calculated_at;
        if (field == ASSESSED)
            text_format(pair, PAIR_CAPACITY, L"评估时间：%04d-%02d-%02d %02d:%02d", a.year, a.month, a.day, a.hour,
                        a.minute);
        else if (field == PRINTED) text_format(pair, PAIR_CAPACITY, L"打印时间：%ls", job.printed_at);
        else if (field == RECORD_NUMBER)
            text_format(pair, PAIR_CAPACITY, L"记录编号：%ls", s.saved_record[0] ? s.saved_record : L"未保存");
        else field_pair(field, pair, PAIR_CAPACITY);
        text_format(longer, PATIENT_LINE_CAPACITY, L"%ls" PAIR_GAP L"%ls", line, pair);
        if (pairs && (pairs == PAIRS_PER_LINE || !fits_body(job, dc, longer))) {
            add_line(job, BODY, line, text_length(line));
            pairs = 0;
        }
        text_copy(line, PATIENT_LINE_CAPACITY, pairs++ ? longer : pair);
    }
    add_line(job, BODY, line, text_length(line));
}

// The running head of later pages and the signature line of the last.
void compose_patient_lines(Job& job) {
    const auto& f = main_window_state.patient.fields;
    wchar_t name[PAIR_CAPACITY], id[PAIR_CAPACITY];
    field_pair(PATIENT_NAME, name, PAIR_CAPACITY);
    field_pair(PATIENT_ID, id, PAIR_CAPACITY);
    text_format(job.running_head, PATIENT_LINE_CAPACITY, L"%ls" PAIR_GAP L"%ls", name, id);
    if (*f[NURSE_NAME])
        text_format(job.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE L"（%ls）", f[NURSE_NAME]);
    else if (*f[NURSE_ID])
        text_format(job.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE L"（%ls：%ls）",
                    patient_field_name(NURSE_ID).label, f[NURSE_ID]);
    else
        text_copy(job.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE);
}

// Whether an earlier result without a headline value had it withheld by its
// verdict (its band is that of a rule that withholds it) rather than failed.
bool headline_withheld(const PreparedTool& tool, const wchar_t* band) {
    const char* key = tool.outputs[tool.headline_output].key;
    for (int k = 0; *band && k < tool.rule_count; k++) {
        const RuleDef& rule = tool.rules[k];
        wchar_t words[RECORD_BAND_WORDS_LIMIT + 1];
        record_band_words(rule.message ? rule.message : L"", words, RECORD_BAND_WORDS_LIMIT + 1);
        if (rule.withholds && strcmp(rule.withholds, key) == 0 && wcscmp(words, band) == 0) return true;
    }
    return false;
}

// The patient's earlier assessments of a scale, as a ward's form lists them
// under the new one: the last PRINT_EARLIER_ROWS before this result, oldest
// first, each with its time, headline, band and nurse; where they were
// read, or that there are none.
void add_earlier_assessments(Job& job) {
    const MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    if (!tool_has_course(tool) || patient_state(s.patient) != PATIENT_COMPLETE) return;
    const RoundsAssessment* points;
    RoundsSource source;
    bool still_reading;
    int count = course_points(&points, &source, &still_reading);
    // Once saved, this result is the course's latest: it is not an earlier one.
    if (count && s.saved_record[0] && points[count - 1].assessed_at == reassess_moment(s.calculated_at)) count--;
    const int first = count > PRINT_EARLIER_ROWS ? count - PRINT_EARLIER_ROWS : 0;
    add_line(job, BODY, L"", 0);
    if (still_reading) add_formatted(job, HEADING, L"既往评估：正在读取，本页未列出");
    else if (!count) add_formatted(job, HEADING, L"既往评估：%ls中无此患者的其他评估", course_source_words(source));
    else add_formatted(job, HEADING, L"既往评估（最近 %d 次，%ls）", count - first, course_source_words(source));
    if (!count) return;
    // Columns as a ward's form has them: the values right-aligned, the bands
    // filled to the widest with ideographic spaces, and the heads over them,
    // as near as the page's proportional face allows: a time is about eight
    // characters wide, a digit half of one, two spaces about a digit (a
    // figure space is no glyph of every Chinese face).
    const OutputDef& headline = tool.outputs[tool.headline_output];
    constexpr int ROW_CAPACITY = 64;
    wchar_t values[PRINT_EARLIER_ROWS][VALUE_TEXT_CAPACITY];
    int value_width = 0, band_width = 2;
    for (int k = first; k < count; k++) {
        const RoundsAssessment& p = points[k];
        wchar_t* value = values[k - first];
        // Without a value, the failure's mark or what its result line said.
        text_copy(value, VALUE_TEXT_CAPACITY, headline_withheld(tool, p.band) ? CALC_NOT_APPLICABLE : L"--");
        if (p.has_value) format_value(headline.format, p.value, value, VALUE_TEXT_CAPACITY);
        if (text_length(value) > value_width) value_width = text_length(value);
        if (text_length(p.band) > band_width) band_width = text_length(p.band);
    }
    wchar_t head[ROW_CAPACITY];
    text_format(head, ROW_CAPACITY, L"评估时间\x3000\x3000\x3000\x3000\x3000%ls", headline.label);
    const int value_half = value_width + (*headline.unit ? 1 + 2 * text_length(headline.unit) : 0);
    for (int half = 2 * text_length(headline.label); half < value_half; half += 2) text_append(head, ROW_CAPACITY, L"\x3000");
    text_append(head, ROW_CAPACITY, L"\x3000分级");
    for (int k = 2; k < band_width; k++) text_append(head, ROW_CAPACITY, L"\x3000");
    text_append(head, ROW_CAPACITY, L"\x3000评估护士");
    add_formatted(job, BODY, L"%ls", head);
    for (int k = first; k < count; k++) {
        const RoundsAssessment& p = points[k];
        const LocalTime t = reassess_local(p.assessed_at, s.calculated_at.utc_offset_minutes);
        wchar_t value[ROW_CAPACITY] = L"", band[ROW_CAPACITY];
        for (int n = text_length(values[k - first]); n < value_width; n++) text_append(value, ROW_CAPACITY, L"  ");
        text_append(value, ROW_CAPACITY, values[k - first]);
        text_copy(band, ROW_CAPACITY, p.band);
        for (int n = text_length(p.band); n < band_width; n++) text_append(band, ROW_CAPACITY, L"\x3000");
        const wchar_t* nurse = *p.patient.fields[NURSE_NAME] ? p.patient.fields[NURSE_NAME] : p.patient.fields[NURSE_ID];
        // "不适用" stands without the unit, which no value of it has.
        const wchar_t* unit = p.has_value || !headline_withheld(tool, p.band) ? headline.unit : L"";
        add_formatted(job, BODY, L"%04d-%02d-%02d %02d:%02d\x3000%ls%ls%ls\x3000%ls\x3000%ls", t.year, t.month, t.day, t.hour,
                      t.minute, value, *unit ? L" " : L"", unit, band, nurse);
    }
}

}  // namespace

void compose(Job& job, HDC dc) {
    const MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    const Calculation& c = s.last;
    job.text_length = job.line_count = 0;
    LocalTime now;
    platform_calls.local_time(&now);
    text_format(job.printed_at, 32, L"%04d-%02d-%02d %02d:%02d", now.year, now.month, now.day, now.hour,
                now.minute);
    add_formatted(job, TITLE, L"%ls", tool.title);
    add_formatted(job, SMALL, L"分类：%ls", tool.category);
    add_patient_block(job, dc);
    compose_patient_lines(job);
    add_line(job, BODY, L"", 0);
    if (tool.report_kind == REPORT_NONE) {
        if (tool.input_count) {
            add_line(job, HEADING, L"输入参数", 4);
            add_input_lines(job, tool, c);
            add_line(job, BODY, L"", 0);
        }
        add_line(job, HEADING, L"计算结果", 4);
        add_result_lines(job, c.text, c.choice_lines);  // the options stand with the inputs
        add_line(job, BODY, L"", 0);
        wchar_t line[CALC_VERDICT_LINE_CAPACITY];
        calc_verdict_line(c, line, CALC_VERDICT_LINE_CAPACITY);
        add_calculation_line(job, HEADING, line);
        calc_level_line(c, line, CALC_VERDICT_LINE_CAPACITY);
        add_calculation_line(job, BODY, line);
        add_earlier_assessments(job);
    } else {
        add_result_lines(job, c.text, 0);
    }
    add_line(job, BODY, L"", 0);
    if (*tool.caution) add_formatted(job, SMALL, L"注意：%ls", tool.caution);
    add_formatted(job, SMALL, L"参考依据：%ls", tool.basis);
}

}  // namespace printing
