// What a hospital system starts a tool or the launcher with: the patient,
// the nurse and the inputs it already knows, from the command line or from
// a file it names. Every argument not taken as it stands is told, so that
// nothing is used, or dropped, without the nurse knowing.
#include "app/app.h"

#include <wchar.h>

#include "platform/platform.h"
#include "store/store.h"

namespace {

// An argument as a message quotes it: control characters shown as "�",
// and cut, marked, when long.
constexpr int SHOWN_ARGUMENT_LIMIT = 60;

const wchar_t SET_OPTION[] = L"set";
const wchar_t FILE_OPTION[] = L"patient-file";

// One source of arguments (the command line, or the file) while it is read.
struct Source {
    StartRequest* request;
    const PreparedTool* tool;
    bool from_file;
    const wchar_t* where;  // "" for the command line, "患者信息文件第 3 行 " for the file
    Patient patient;
    bool given[PATIENT_FIELD_COUNT];
    bool identity_at_fault;
    Source* file;  // the command line's: the patient file it named, once read
};

void complain(Source& source, const wchar_t* argument, const wchar_t* what) {
    wchar_t shown[SHOWN_ARGUMENT_LIMIT + 2];
    int n = 0;
    for (const wchar_t* p = argument; *p && n < SHOWN_ARGUMENT_LIMIT; p++)
        shown[n++] = (*p < 0x20 || *p == 0x7F) ? L'\xFFFD' : *p;
    if (argument[n]) shown[n++] = TEXT_CUT_MARK;
    shown[n] = 0;
    wchar_t line[512];
    text_format(line, 512, L"%ls%ls：%ls\r\n", source.where, shown, what);
    text_append(source.request->complaint, START_COMPLAINT_CAPACITY, line);
}

bool same(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b) == 0; }

// "--set=KEY=VALUE": the input of that key takes the value as sent.
void read_set(Source& source, const wchar_t* argument, const wchar_t* key_and_value) {
    const PreparedTool* tool = source.tool;
    if (!tool) {
        complain(source, argument, L"启动器不接受 --set，请在打开的工具中填写");
        return;
    }
    const wchar_t* equals = wcschr(key_and_value, L'=');
    if (!equals) {
        complain(source, argument, L"须写作 --set=键=值");
        return;
    }
    int input = tool_input_of_key(*tool, key_and_value, (int)(equals - key_and_value));
    if (input < 0) {
        complain(source, argument, L"本工具没有这一项输入（各项的键见使用说明）");
        return;
    }
    const InputDef& def = tool->inputs[input];
    const wchar_t* value = equals + 1;
    wchar_t complaint[256];
    double number = 0;
    bool is_number = input_field_number(value, &number);
    if (def.box) {
        if (!is_number || (number != 0 && number != 1)) {
            text_format(complaint, 256, L"第 %d 项“%ls”取 1（是）或 0（否）", input + 1, def.label);
            complain(source, argument, complaint);
            return;
        }
    } else if (def.choice_count) {
        if (!is_number || !tool_choice_of(def, number)) {
            wchar_t values[128] = L"";
            for (int c = 0; c < def.choice_count; c++) {
                wchar_t one[32];
                text_format(one, 32, c ? L"、%g" : L"%g", def.choices[c].value);
                text_append(values, 128, one);
            }
            text_format(complaint, 256, L"第 %d 项“%ls”可取 %ls", input + 1, def.label, values);
            complain(source, argument, complaint);
            return;
        }
    } else if (!is_number) {
        text_format(complaint, 256, L"第 %d 项“%ls”须为数字（已填入，计算时核对）", input + 1, def.label);
        complain(source, argument, complaint);
    } else if (InputFault fault = tool_input_fault(def, number); fault != INPUT_SOUND) {
        input_field_complaint(def, input + 1, value, fault, complaint, 256);
        text_append(complaint, 256, L"已填入，计算时核对");
        complain(source, argument, complaint);
    }
    if (text_length(value) >= INPUT_TEXT_CAPACITY) {
        complain(source, argument, L"值过长");
        return;
    }
    StartPreset& preset = source.request->presets[input];
    preset.given = true;
    text_copy(preset.text, INPUT_TEXT_CAPACITY, value);
}

void read_file(Source& source, const wchar_t* argument, const wchar_t* path);

// One "option=value" (the leading "--" already gone) of either source.
void read_option(Source& source, const wchar_t* argument, const wchar_t* option) {
    const wchar_t* equals = wcschr(option, L'=');
    int name_length = equals ? (int)(equals - option) : text_length(option);
    wchar_t name[32] = L"";
    if (name_length < 32) {
        for (int i = 0; i < name_length; i++) name[i] = option[i];
        name[name_length] = 0;
    }
    const wchar_t* value = equals ? equals + 1 : L"";
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
        if (!same(name, patient_field_name(field).option)) continue;
        if (!equals) break;
        PatientFieldFault fault = patient_field_fault(field, value);
        if (fault != PATIENT_FIELD_SOUND) {
            wchar_t what[128];
            patient_field_fault_text(field, fault, what, 128);
            complain(source, argument, what);
            source.identity_at_fault = true;
        } else if (source.given[field]) {
            complain(source, argument, L"重复给出");
            source.identity_at_fault = true;
        } else {
            patient_set_field(&source.patient, field, value);
            source.given[field] = true;
        }
        return;
    }
    if (equals && same(name, SET_OPTION)) return read_set(source, argument, value);
    if (equals && same(name, FILE_OPTION) && !source.from_file) return read_file(source, argument, value);
    complain(source, argument, L"未知参数");
}

bool gives_identity(const Source& source) {
    for (bool g : source.given)
        if (g) return true;
    return source.identity_at_fault;
}

// The identity goes to the request only whole, and from one source: given
// by both the command line and the file, it is taken only when the two
// agree field for field, so that no field of one patient is ever filed
// with another's.
void finish(Source& line) {
    StartRequest* request = line.request;
    const wchar_t* refused = nullptr;
    if (line.identity_at_fault) refused = L"命令行中的患者身份未采用，请核对后重新填写。\r\n";
    Source* file = line.file;
    if (file && file->identity_at_fault)
        refused = L"患者信息文件中的患者身份未采用，请核对后重新填写。\r\n";
    if (file && gives_identity(*file) && gives_identity(line)) {
        wchar_t differing[128] = L"";
        for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
            if (wcscmp(file->patient.fields[field], line.patient.fields[field]) == 0) continue;
            if (differing[0]) text_append(differing, 128, L"、");
            text_append(differing, 128, patient_field_name(field).label);
        }
        if (differing[0] || refused) {
            wchar_t complaint[256];
            text_format(complaint, 256,
                        L"命令行和患者信息文件给出的患者%ls%ls%ls，两处的患者身份和预填数值均未采用，请核对后重新填写。\r\n",
                        refused ? L"无法核对" : L"不一致（", refused ? L"" : differing, refused ? L"" : L"）");
            text_append(request->complaint, START_COMPLAINT_CAPACITY, complaint);
            for (StartPreset& preset : request->presets) preset = {};
            return;
        }
    }
    if (refused) {
        text_append(request->complaint, START_COMPLAINT_CAPACITY, refused);
        return;
    }
    const Source& taken = file && gives_identity(*file) ? *file : line;
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++)
        if (taken.given[field]) text_copy(request->patient.fields[field], PATIENT_FIELD_CAPACITY, taken.patient.fields[field]);
}

// Whether `path` is a hand-over file the launcher wrote: its own folder,
// and a name of its own making, nothing a command line could bend to name
// another file.
bool is_handover_file(const wchar_t* path) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    int length = store_suite_path(HANDOVER_FOLDER, folder, RECORD_PATH_CAPACITY);
    if (length < 0 || wcsncmp(path, folder, (size_t)length) != 0 || path[length] != PLATFORM_PATH_SEPARATOR) return false;
    const wchar_t* name = path + length + 1;
    int n = 0;
    for (; (name[n] >= L'0' && name[n] <= L'9') || (name[n] >= L'a' && name[n] <= L'f'); n++) {
    }
    return n == HANDOVER_NAME_DIGITS && wcscmp(name + n, L".txt") == 0;
}

void read_file(Source& source, const wchar_t* argument, const wchar_t* path) {
    static thread_local char bytes[START_FILE_CAPACITY];
    int length = platform_read_small_file(path, bytes, START_FILE_CAPACITY);
    // Read once: the patient it names stays on no disk after the tool has it.
    if (length >= 0 && is_handover_file(path)) platform_calls.remove_file(path);
    if (source.file) {
        complain(source, argument, L"重复给出");
        source.identity_at_fault = true;
        return;
    }
    static thread_local Source file;
    file = {source.request, source.tool, true, L"", {}, {}, false, nullptr};
    source.file = &file;
    if (length < 0) {
        complain(source, argument, L"文件无法读取，或超过 16 KB");
        file.identity_at_fault = true;
        return;
    }
    // A file in another encoding (GBK) would be read with U+FFFD for every
    // character, a NUL would cut a number short: nothing of it is used.
    if (!utf8_valid(bytes, length)) {
        complain(source, argument, L"文件不是 UTF-8 文本，或含空字符（NUL），其中内容均未采用");
        file.identity_at_fault = true;
        return;
    }
    char* line = bytes;
    if (length >= 3 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
        (unsigned char)bytes[2] == 0xBF)
        line += 3;
    for (int number = 1; line < bytes + length; number++) {
        char* end = line;
        while (end < bytes + length && *end != '\n') end++;
        char* next = end + 1;
        if (end > line && end[-1] == '\r') end--;
        *end = 0;
        wchar_t where[64], text[START_ARGUMENT_CAPACITY];
        text_format(where, 64, L"患者信息文件第 %d 行 ", number);
        file.where = where;
        if (wide_from_utf8(line, text, START_ARGUMENT_CAPACITY) < 0) {
            complain(file, L"", L"行过长");
            file.identity_at_fault = true;
        } else if (text[0] && text[0] != L'#') {
            const wchar_t* option = text[0] == L'-' && text[1] == L'-' ? text + 2 : text;
            read_option(file, text, option);
        }
        line = next;
    }
    file.where = L"";
}

}  // namespace

bool command_line_argument(const wchar_t** cursor, wchar_t* argument, int capacity, bool* cut) {
    const wchar_t* p = *cursor;
    *cut = false;
    while (*p == L' ' || *p == L'\t') p++;
    if (!*p) {
        argument[0] = 0;
        *cursor = p;
        return false;
    }
    int n = 0;
    auto put = [&](wchar_t c) {
        if (n < capacity - 1) argument[n++] = c;
        else *cut = true;
    };
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
        int backslashes = 0;
        while (*p == L'\\') p++, backslashes++;
        if (*p == L'"') {
            for (int i = 0; i < backslashes / 2; i++) put(L'\\');
            if (backslashes % 2) {
                put(L'"');
            } else if (quoted && p[1] == L'"') {
                put(L'"');  // "" inside quotes stands for one
                p++;
            } else {
                quoted = !quoted;
            }
            p++;
            continue;
        }
        for (int i = 0; i < backslashes; i++) put(L'\\');
        if (backslashes) continue;
        put(*p++);
    }
    argument[n] = 0;
    *cursor = p;
    return true;
}

void start_request_read(const PreparedTool* tool, const wchar_t* command_line, StartRequest* request) {
    *request = {};
    if (!command_line) return;
    const wchar_t* cursor = command_line_after_program(command_line);
    Source source = {request, tool, false, L"", {}, {}, false, nullptr};
    wchar_t argument[START_ARGUMENT_CAPACITY];
    bool cut = false;
    while (command_line_argument(&cursor, argument, START_ARGUMENT_CAPACITY, &cut)) {
        if (cut)
            complain(source, argument, L"参数过长");
        else if (argument[0] == L'-' && argument[1] == L'-')
            read_option(source, argument, argument + 2);
        else
            complain(source, argument, L"未知参数");
        if (cut) source.identity_at_fault = true;
    }
    finish(source);
}

void handover_sweep() {
    // A tool reads its file within seconds of its start; a day is no start.
    constexpr int64_t HANDOVER_KEPT_SECONDS = 24 * 60 * 60;
    static thread_local wchar_t folder[RECORD_PATH_CAPACITY];
    if (store_suite_path(HANDOVER_FOLDER, folder, RECORD_PATH_CAPACITY) < 0) return;
    platform_calls.scan_folder(
        folder,
        [](const wchar_t* name, int64_t written, void*) {
            wchar_t path[RECORD_PATH_CAPACITY];
            if (platform_calls.file_clock() - written > HANDOVER_KEPT_SECONDS * PLATFORM_TICKS_PER_SECOND &&
                text_format(path, RECORD_PATH_CAPACITY, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, name) >= 0 &&
                is_handover_file(path))
                platform_calls.remove_file(path);
        },
        nullptr);
}

bool handover_write(const Patient& patient, wchar_t* path, int capacity) {
    if (capacity > 0) path[0] = 0;
    wchar_t folder[RECORD_PATH_CAPACITY], name[HANDOVER_NAME_DIGITS + 8];
    unsigned char random[HANDOVER_NAME_DIGITS / 2];
    if (store_suite_folder(HANDOVER_FOLDER, folder, RECORD_PATH_CAPACITY) < 0 ||
        !platform_calls.random_bytes(random, sizeof random))
        return false;
    for (int k = 0; k < HANDOVER_NAME_DIGITS / 2; k++) text_format(name + 2 * k, 3, L"%02x", random[k]);
    text_append(name, HANDOVER_NAME_DIGITS + 8, L".txt");
    if (text_format(path, capacity, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, name) < 0) return false;
    static thread_local wchar_t lines[PATIENT_FIELD_COUNT * (PATIENT_FIELD_CAPACITY + 32)];
    lines[0] = 0;
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
        if (!patient.fields[field][0]) continue;
        wchar_t line[PATIENT_FIELD_CAPACITY + 32];
        text_format(line, PATIENT_FIELD_CAPACITY + 32, L"%ls=%ls\n", patient_field_name(field).option,
                    patient.fields[field]);
        text_append(lines, PATIENT_FIELD_COUNT * (PATIENT_FIELD_CAPACITY + 32), line);
    }
    static thread_local char bytes[utf8_capacity_for(PATIENT_FIELD_COUNT * (PATIENT_FIELD_CAPACITY + 32))];
    int n = utf8_from_wide(lines, bytes, (int)sizeof bytes);
    return n >= 0 && platform_publish_new_file(path, bytes, n);
}
