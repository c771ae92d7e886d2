// Fills a release text template with the facts of the tool descriptor it is
// linked with and of the program around it, so the user guide and the
// deployment note in a release zip always describe the program inside it.
// scripts/release.sh builds it (CMake target release_texts) and runs it:
//
//   release_texts <exe file name> < template > text
//
// The template is UTF-8 text with these marks:
//   @TITLE@ @SUMMARY@ @CATEGORY@ @CAUTION@  the descriptor's texts; a line
//                                 naming one that is absent or empty is left out
//   @ID@                          the tool number in three digits, as in the
//                                 record file's name T@ID@.csv
//   @EXE@                         the argument
//   @VERSION@                     the program's version
//   @MAKER@ @WEBSITE@             the maker's name and website (a host name)
//   @WINDOW_WIDTH@ @WINDOW_HEIGHT@  the window's fixed size in pixels
//   @EXIT_OK@ @EXIT_NO_WINDOW@ @EXIT_FORMULA_FAILED@ @EXIT_REPORT_NOT_WRITTEN@
//                                 the exit codes
//   @POLICY_KEY@                  the registry key of the suite's policy values,
//                                 under HKEY_LOCAL_MACHINE
//   @CONNECTION_LIMIT@ @LOGIN_SECONDS@ @STATEMENT_SECONDS@  the hospital's
//                                 connection string's limit, and how long a
//                                 delivery waits for a connection and a statement
//   @DISCLAIMER@ @DISCLAIMER_ADVICE@  what every window and page says of its
//                                 results, in its two parts
//   @LEVEL_0@ ... @LEVEL_3@       a level as the guide names it: "绿色（0 级）"
//   @MEANING_0@ ... @MEANING_3@   what the level asks of the reader, as the
//                                 page and the record write it: "需关注"
//   @METHOD@                      how the tool calculates, whole, on lines of
//                                 its own (method_account_text); "" for a
//                                 report tool
//   @INPUT@ @OUTPUT@ @VERDICT@    the line is repeated once per input field
//                                 ("label（unit）：默认 value；范围 0–300 g，
//                                 最多 1 位小数"; a list names its options on
//                                 lines below), result line
//                                 ("label（unit）") or verdict rule
//                                 ("colour（level 级）：message"), and left
//                                 out when there is none
//   @SET@                         repeated once per input as a hospital
//                                 system fills it with --set=key=value
//                                 ("carbs：本餐碳水（g），数字，范围 0–300 g";
//                                 a list's values on lines below, "4 = 4 分：
//                                 自动睁眼"; a box "1（是）/0（否）")
//   [formula] [report] [inputs] [no-inputs] [fields] [lists] at the start
//                                 of a line: the line is kept, without the
//                                 tag, only for a tool that computes formulas
//                                 / writes a text report / has inputs / has
//                                 none / has typed fields / has lists
//   [assessment] [not-assessment] the same for an assessment scale / any
//                                 other tool
// An unknown @NAME@ mark is an error: a slip in a template must not reach a
// hospital as a stray mark.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/maker.h"
#include "common/policy_key.h"
#include "delivery/delivery.h"
#include "glyvant_version.h"
#include "method/method.h"
#include "platform/platform.h"
#include "store/store.h"
#include "tool/tool.h"

namespace {

struct Mark {
    const char* name;
    std::string text;
};

struct List {
    const char* name;
    std::vector<std::string> items;
};

struct Tag {
    const char* name;
    bool holds;
};

// A rule's message, the one text a prepared tool may still lack, converts as
// empty.
std::string utf8(const wchar_t* text) {
    if (!text) return "";
    std::string out(wcslen(text) * 4 + 1, '\0');
    int n = utf8_from_wide(text, out.data(), (int)out.size());
    out.resize(n < 0 ? 0 : n);
    return out;
}

std::string with_unit(const wchar_t* label, const wchar_t* unit) {
    std::string text = utf8(label);
    if (*unit) text += "（" + utf8(unit) + "）";
    return text;
}

std::string number(long long value) { return std::to_string(value); }

// A level as the guide names it, by the colour the window shows it in.
std::string level_name(int level) {
    return utf8(verdict_level(level).colour_name) + "（" + number(level) + " 级）";
}

// A field with its unit, what it shows at start, and the range and
// precision it takes; a list with its options, each on a line of its own
// below it, indented under the item; a box with its points. A section's
// title stands as an item of its own above its first input.
std::string input_item(const PreparedTool& tool, int i) {
    const InputDef& input = tool.inputs[i];
    static wchar_t item[4096];
    method_input_text(tool, i, L"\n        ", item, 4096);
    if (*input.section) return "【" + utf8(input.section) + "】\n  · " + utf8(item);
    return utf8(item);
}

// The key that --set names an input by, and what its value may be: a number
// (it stands in the field as sent and is judged at Calculate), one of a
// list's values, each with the option it chooses on a line of its own
// below, or a box's 1 or 0. A list's values are written as a field shows a
// number, a form the command line's reading takes back.
std::string set_item(const InputDef& input) {
    std::string item = std::string(input.key) + "：";
    if (input.box) return item + utf8(input.label) + "，1（是）/0（否）";
    if (input.choice_count) {
        item += utf8(input.label) + "，取以下值之一：";
        for (int k = 0; k < input.choice_count; k++) {
            wchar_t value[VALUE_TEXT_CAPACITY];
            format_default_value(input.choices[k].value, value, VALUE_TEXT_CAPACITY);
            item += "\n        " + utf8(value) + " = " + utf8(input.choices[k].label);
        }
        return item;
    }
    item += with_unit(input.label, input.unit) + "，数字";
    wchar_t range[128];
    if (tool_input_range_text(input, range, 128) > 0) item += "，范围 " + utf8(range);
    return item;
}

std::string verdict_item(const RuleDef& rule) {
    return level_name(rule.level) + "：" + utf8(rule.message);
}

// Replaces every `name` in `line` by `text`. False when the line names it
// and `text` is empty.
bool fill(std::string& line, const char* name, const std::string& text) {
    size_t at = line.find(name);
    if (at == std::string::npos) return true;
    if (text.empty()) return false;
    for (; at != std::string::npos; at = line.find(name, at + text.size()))
        line.replace(at, strlen(name), text);
    return true;
}

// Strips a leading tag. False when the line is tagged for other tools.
bool kept_for_tool(std::string& line, const std::vector<Tag>& tags) {
    for (const Tag& tag : tags) {
        if (line.rfind(tag.name, 0) != 0) continue;
        line.erase(0, strlen(tag.name));
        return tag.holds;
    }
    return true;
}

bool is_mark_character(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

// The first @NAME@ (capitals, digits and underscores) in `line` that is not in
// `known`, or "".
std::string unknown_mark(const std::string& line, const std::vector<const char*>& known) {
    for (size_t at = line.find('@'); at != std::string::npos; at = line.find('@', at + 1)) {
        size_t end = at + 1;
        while (end < line.size() && is_mark_character(line[end])) end++;
        if (end == at + 1 || end == line.size() || line[end] != '@') continue;
        std::string mark = line.substr(at, end - at + 1);
        bool found = false;
        for (const char* name : known) found = found || mark == name;
        if (!found) return mark;
        at = end;  // its closing @ opens nothing
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <exe file name> < template > text\n", argv[0]);
        return 2;
    }
    static PreparedTool tool;
    tool_prepare(tool_builtin(), &tool);
    // A report tool shows neither outputs nor rules.
    bool formulas = tool.report_kind == REPORT_NONE;

    char id[16];
    snprintf(id, sizeof id, "%03d", tool.id);
    std::vector<Mark> marks = {
        {"@TITLE@", utf8(tool.title)},
        {"@SUMMARY@", utf8(tool.summary)},
        {"@CATEGORY@", utf8(tool.category)},
        {"@CAUTION@", utf8(tool.caution)},
        {"@ID@", id},
        {"@EXE@", argv[1]},
        {"@VERSION@", GLYVANT_VERSION_TEXT},
        {"@MAKER@", MAKER_NAME},
        {"@WEBSITE@", MAKER_WEBSITE_HOST},
        {"@WINDOW_WIDTH@", number(WINDOW_WIDTH)},
        {"@WINDOW_HEIGHT@", number(WINDOW_HEIGHT)},
        {"@EXIT_OK@", number(EXIT_OK)},
        {"@EXIT_NO_WINDOW@", number(EXIT_NO_WINDOW)},
        {"@EXIT_FORMULA_FAILED@", number(EXIT_FORMULA_FAILED)},
        {"@EXIT_REPORT_NOT_WRITTEN@", number(EXIT_REPORT_NOT_WRITTEN)},
        {"@POLICY_KEY@", POLICY_KEY_TEXT},
        {"@CONNECTION_LIMIT@", number(DELIVERY_CONNECTION_LIMIT)},
        {"@LOGIN_SECONDS@", number(DELIVERY_LOGIN_TIMEOUT_SECONDS)},
        {"@STATEMENT_SECONDS@", number(DELIVERY_STATEMENT_TIMEOUT_SECONDS)},
        {"@DISCLAIMER@", utf8(DISCLAIMER)},
        {"@DISCLAIMER_ADVICE@", utf8(DISCLAIMER_ADVICE)},
        {"@LEVEL_0@", level_name(0)},
        {"@LEVEL_1@", level_name(1)},
        {"@LEVEL_2@", level_name(2)},
        {"@LEVEL_3@", level_name(3)},
        {"@MEANING_0@", utf8(verdict_level(0).meaning)},
        {"@MEANING_1@", utf8(verdict_level(1).meaning)},
        {"@MEANING_2@", utf8(verdict_level(2).meaning)},
        {"@MEANING_3@", utf8(verdict_level(3).meaning)},
    };
    static_assert(VERDICT_LEVEL_COUNT == 4, "one @LEVEL_n@ and @MEANING_n@ mark per level");
    std::vector<List> lists = {{"@INPUT@", {}}, {"@OUTPUT@", {}}, {"@VERDICT@", {}}, {"@SET@", {}}};
    for (int i = 0; i < tool.input_count; i++) {
        lists[0].items.push_back(input_item(tool, i));
        lists[3].items.push_back(set_item(tool.inputs[i]));
    }
    for (int i = 0; formulas && i < tool.output_count; i++)
        lists[1].items.push_back(with_unit(tool.outputs[i].label, tool.outputs[i].unit));
    for (int i = 0; formulas && i < tool.rule_count; i++)
        lists[2].items.push_back(verdict_item(tool.rules[i]));
    // How each output and each rule is worked out, from the descriptor itself.
    static wchar_t method[16384];
    method_account_text(tool, L"\n", method, (int)(sizeof method / sizeof method[0]));
    marks.push_back({"@METHOD@", utf8(method)});
    bool has_lists = false, has_fields = false, has_boxes = false;
    for (int i = 0; i < tool.input_count; i++)
        (tool.inputs[i].box ? has_boxes : tool.inputs[i].choice_count ? has_lists : has_fields) = true;
    const std::vector<Tag> tags = {
        {"[formula]", formulas}, {"[report]", !formulas},
        {"[inputs]", tool.input_count > 0}, {"[no-inputs]", tool.input_count == 0},
        {"[fields]", has_fields}, {"[lists]", has_lists}, {"[boxes]", has_boxes},
        {"[assessment]", tool.assessment}, {"[not-assessment]", !tool.assessment},
    };
    std::vector<const char*> known;
    for (const Mark& m : marks) known.push_back(m.name);
    for (const List& l : lists) known.push_back(l.name);

    std::string line;
    for (int number = 1; std::getline(std::cin, line); number++) {
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Checked on every line, so a slip shows whichever tool is packaged.
        bool kept = kept_for_tool(line, tags);
        std::string mark = unknown_mark(line, known);
        if (!mark.empty()) {
            fprintf(stderr, "template line %d: unknown mark %s\n", number, mark.c_str());
            return 1;
        }
        if (!kept) continue;
        const List* list = nullptr;
        for (const List& l : lists)
            if (line.find(l.name) != std::string::npos) list = &l;
        size_t copies = list ? list->items.size() : 1;
        for (size_t i = 0; i < copies; i++) {
            std::string out = line;
            if (list) fill(out, list->name, list->items[i]);
            bool complete = true;
            for (const Mark& m : marks) complete = fill(out, m.name, m.text) && complete;
            if (complete) printf("%s\n", out.c_str());
        }
    }
    return ferror(stdout) ? 1 : 0;
}
