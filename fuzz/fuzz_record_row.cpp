// Fuzzes the record store's header and row over arbitrary titles, labels,
// values and result texts: each line, read back the standard CSV way, must
// give every field as the store keeps it, one column per header column.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "store/store.h"

namespace {

// The store's bounds, counted in characters before any quoting; a longer
// text keeps one character fewer and the cut mark.
constexpr size_t TITLE_KEPT = 4075;
constexpr size_t COLUMN_KEPT = 127;
constexpr size_t INPUT_FIELD_KEPT = 126;
constexpr size_t RESULT_KEPT = RECORD_RESULT_LIMIT;

// Separates the texts in the input; a text that is this character alone
// stands for an absent one (nullptr).
constexpr wchar_t TEXT_SEPARATOR = 0x1F;
constexpr wchar_t ABSENT = 0x1E;

// Bytes below 0xF0 are characters U+0000..U+00EF, so a seed file is mostly
// text. 0xF0 and two bytes (little-endian) are any character of the Basic
// Multilingual Plane; 0xF1 and four bytes any wchar_t value; 0xF2, a count
// byte n and a byte c are the character c repeated 16 * (n + 1) times, so a
// short input can reach the cuts of long titles.
std::wstring decode(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0xF0 && size - i > 2) {
            text += (wchar_t)(data[i + 1] | data[i + 2] << 8);
            i += 2;
        } else if (data[i] == 0xF1 && size - i > 4) {
            uint32_t c = (uint32_t)data[i + 1] | (uint32_t)data[i + 2] << 8 |
                         (uint32_t)data[i + 3] << 16 | (uint32_t)data[i + 4] << 24;
            text += (wchar_t)c;
            i += 4;
        } else if (data[i] == 0xF2 && size - i > 2) {
            text.append(16 * ((size_t)data[i + 1] + 1), (wchar_t)data[i + 2]);
            i += 2;
        } else {
            text += (wchar_t)data[i];
        }
    }
    return text;
}

struct Text {
    std::wstring value;  // up to its first NUL, as the store sees it
    bool absent = false;
    const wchar_t* pointer() const { return absent ? nullptr : value.c_str(); }
};

// The fuzz input: texts (title, result, then one label per input, at most
// TOOL_MAX_INPUTS) separated by U+001F, up to the first NUL byte; after it,
// the time as six 32-bit integers and then one double per input. Numbers the
// input does not hold keep the values below.
struct Case {
    Text title, result;
    std::vector<Text> labels;
    LocalTime time = {2026, 12, 8, 9, 5, 7, 480};
    double values[TOOL_MAX_INPUTS] = {60, 10, 100, 0.1, 1234567, -0.5, 1e-7, 0};
};

Case read_case(const uint8_t* data, size_t size) {
    const uint8_t* nul = (const uint8_t*)memchr(data, 0, size);
    size_t text_size = nul ? (size_t)(nul - data) : size;
    std::wstring all = decode(data, text_size);

    std::vector<Text> texts;
    size_t start = 0;
    while (texts.size() < 2 + TOOL_MAX_INPUTS) {
        size_t end = all.find(TEXT_SEPARATOR, start);
        Text t;
        t.value = all.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        t.value = t.value.c_str();
        t.absent = t.value.size() == 1 && t.value[0] == ABSENT;
        if (t.absent) t.value.clear();
        texts.push_back(t);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    Case c;
    c.title = texts[0];
    if (texts.size() > 1) c.result = texts[1];
    for (size_t i = 2; i < texts.size(); i++) c.labels.push_back(texts[i]);

    size_t at = text_size + 1;
    int* time_fields[] = {&c.time.year, &c.time.month,  &c.time.day,
                          &c.time.hour, &c.time.minute, &c.time.second};
    for (int* field : time_fields) {
        if (at + sizeof(int32_t) > size) break;
        int32_t v;
        memcpy(&v, data + at, sizeof v);
        *field = v;
        at += sizeof v;
    }
    for (size_t i = 0; i < c.labels.size() && at + sizeof(double) <= size; i++, at += sizeof(double))
        memcpy(&c.values[i], data + at, sizeof(double));
    return c;
}

std::wstring widen(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p; p++) wide += (wchar_t)(unsigned char)*p;
    return wide;
}

std::wstring cut(const std::wstring& text, size_t kept) {
    return text.size() <= kept ? text : text.substr(0, kept - 1) + L"\x2026";
}

struct Field {
    std::wstring text;
    bool quoted;
};

// Reads one CSV record the RFC 4180 way: fields separated by commas, a field
// in double quotes may hold anything with its quotes doubled, and the record
// ends with CR LF, which must end the line. False when the line is not one
// well-formed record.
bool parse_record(const std::wstring& line, std::vector<Field>* fields) {
    size_t i = 0, n = line.size();
    for (;;) {
        Field f{L"", false};
        if (i < n && line[i] == L'"') {
            f.quoted = true;
            i++;
            for (;;) {
                if (i >= n) return false;  // unclosed quote
                if (line[i] == L'"') {
                    if (i + 1 < n && line[i + 1] == L'"') {
                        f.text += L'"';
                        i += 2;
                        continue;
                    }
                    i++;
                    break;
                }
                f.text += line[i++];
            }
        } else {
            while (i < n && line[i] != L',' && line[i] != L'\r' && line[i] != L'\n') {
                if (line[i] == L'"') return false;  // a quote inside a bare field
                f.text += line[i++];
            }
        }
        fields->push_back(f);
        if (i < n && line[i] == L',') {
            i++;
            continue;
        }
        return i + 2 == n && line[i] == L'\r' && line[i + 1] == L'\n';
    }
}

bool needs_quotes(const std::wstring& text) { return text.find_first_of(L",\"\r\n") != std::wstring::npos; }

void dump(const char* name, const std::wstring& text) {
    fprintf(stderr, "%s (%zu):", name, text.size());
    for (size_t i = 0; i < text.size() && i < 600; i++) fprintf(stderr, " %X", (unsigned)text[i]);
    fprintf(stderr, "%s\n", text.size() > 600 ? " ..." : "");
}

[[noreturn]] void violated(const char* what, const std::wstring& line, size_t field = (size_t)-1,
                           const std::wstring& expected = L"") {
    fprintf(stderr, "invariant violated: %s", what);
    if (field != (size_t)-1) fprintf(stderr, " (field %zu)", field + 1);
    fprintf(stderr, "\n");
    dump("line", line);
    if (field != (size_t)-1) dump("expected field", expected);
    abort();
}

// Calls `build` on a buffer of exactly `capacity` characters, so a write past
// it is a sanitizer report; checks the text is terminated inside it and that
// the returned length is the text's.
template <typename Build>
std::wstring build_checked(int capacity, Build build) {
    wchar_t* line = (wchar_t*)malloc((size_t)capacity * sizeof(wchar_t));
    for (int i = 0; i < capacity; i++) line[i] = 0xA5A5;
    int returned = build(line, capacity);
    int length = 0;
    while (length < capacity && line[length] != 0) length++;
    if (length == capacity)
        violated("line not terminated within its capacity", std::wstring(line, (size_t)capacity));
    std::wstring text(line, (size_t)length);
    free(line);
    if (returned != length) violated("returned length is not the line's", text);
    return text;
}

// The whole line parses to the expected fields, each quoted exactly when it
// needs to be; and in smaller buffers the line is that line cut short.
template <typename Build>
void check_line(const std::vector<std::wstring>& expected, Build build, size_t size_hint) {
    std::wstring line = build_checked(RECORD_LINE_CAPACITY, build);
    if (line.size() >= (size_t)RECORD_LINE_CAPACITY - 1) violated("line fills the whole buffer", line);
    if (line.size() < 2 || line.compare(line.size() - 2, 2, L"\r\n") != 0)
        violated("line does not end with CR LF", line);
    std::vector<Field> fields;
    if (!parse_record(line, &fields)) violated("line is not one CSV record", line);
    if (fields.size() != expected.size()) violated("wrong number of fields", line);
    for (size_t i = 0; i < fields.size(); i++) {
        if (fields[i].text != expected[i]) violated("field differs", line, i, expected[i]);
        if (fields[i].quoted != needs_quotes(expected[i]))
            violated("field quoted wrongly", line, i, expected[i]);
    }

    // A build walks the line once per field, which makes long rows slow, so
    // only a few sizes per input: the smallest, one inside the time, one that
    // cuts the final LF, and one the input picks.
    int full = (int)line.size();
    const int capacities[] = {1, 2, 20, full, 1 + (int)(size_hint % (size_t)full)};
    for (int capacity : capacities) {
        if (capacity < 1 || capacity > full) continue;
        std::wstring short_line = build_checked(capacity, build);
        if (short_line != line.substr(0, (size_t)capacity - 1))
            violated("a cut line is not the line's start", short_line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Case c = read_case(data, size);
    int count = (int)c.labels.size();
    std::vector<InputDef> inputs((size_t)count + 1);  // never empty, so data() is a real array
    for (int i = 0; i < count; i++) inputs[(size_t)i].label = c.labels[(size_t)i].pointer();
    ToolDef described;
    described.id = 9;
    described.title = c.title.pointer();
    described.input_count = count;
    described.inputs = inputs.data();
    static PreparedTool tool;  // as the window holds it
    tool_prepare(described, &tool);

    std::vector<std::wstring> header = {L"时间", L"工具"};
    for (const Text& label : c.labels) header.push_back(cut(label.value, COLUMN_KEPT));
    for (const wchar_t* column : {L"结果", L"记录编号", L"住院号", L"姓名", L"床号", L"科室", L"护士工号", L"护士姓名",
                                  L"Windows 用户", L"计算机名", L"保存时间", L"就诊号", L"入院时间", L"评估时间", L"主要结果", L"下次评估"})
        header.push_back(column);
    check_line(header, [&](wchar_t* line, int capacity) { return record_header_line(tool, line, capacity); },
               size);

    char time[128];
    snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", c.time.year, c.time.month, c.time.day,
             c.time.hour, c.time.minute, c.time.second);
    std::vector<std::wstring> row = {widen(time), cut(c.title.value, TITLE_KEPT)};
    for (int i = 0; i < count; i++) {
        char number[64];
        snprintf(number, sizeof number, "%g", c.values[i]);
        row.push_back(cut(c.labels[(size_t)i].value + L"=" + widen(number), INPUT_FIELD_KEPT));
    }
    row.push_back(cut(c.result.value, RESULT_KEPT));
    // The patient's name is the result's start: any text, quotes, commas,
    // line breaks and formula signs too. It is data, never a formula.
    RecordStamp stamp = {.number = L"3f1c2d4e-5a6b-4c7d-8e9f-a0b1c2d3e4f5", .patient = {}, .user = L"nurse01",
                         .computer = L"WARD-PC-12", .time = c.time, .assessed = c.time, .headline = L"14"};
    std::wstring name = c.result.value.substr(0, PATIENT_FIELD_LIMIT);
    text_copy(stamp.patient.fields[PATIENT_NAME], PATIENT_FIELD_CAPACITY, name.c_str());
    // Excel reads the full-width signs as their ASCII forms.
    bool formula = !name.empty() && wcschr(L"=+-@\t\r\n\xFF1D\xFF0B\xFF0D\xFF20", name[0]);
    char saved[128];
    snprintf(saved, sizeof saved, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", c.time.year, c.time.month,
             c.time.day, c.time.hour, c.time.minute, c.time.second, c.time.utc_offset_minutes < 0 ? '-' : '+',
             abs(c.time.utc_offset_minutes) / 60, abs(c.time.utc_offset_minutes) % 60);
    for (const std::wstring& column : {std::wstring(stamp.number), std::wstring(), (formula ? L"'" : L"") + name,
                                       std::wstring(), std::wstring(), std::wstring(), std::wstring(),
                                       std::wstring(L"nurse01"), std::wstring(L"WARD-PC-12"), widen(saved),
                                       std::wstring(), std::wstring(), widen(saved), std::wstring(L"14")})
        row.push_back(column);
    check_line(row,
               [&](wchar_t* line, int capacity) {
                   return record_row_line(tool, c.values, c.result.pointer(), stamp, line, capacity);
               },
               size);
    return 0;
}
