// The ward list, 本病区评估提醒: who on the ward is due for which scale,
// as the reading thread last read it, kept on show when a reading fails;
// a row opens its scale for its patient.
#include <wchar.h>

#include "common/win32/hospital_policy.h"
#include "launcher/win32/launcher_internal.h"
#include "suite/catalogue.h"

namespace {

// What the heading says of the list's source, once each.
constexpr const wchar_t* SOURCE_WORDS[] = {
    L"本病区在院患者",             // ROUNDS_CENSUS
    L"近 7 日在本病区评估过的患者",  // ROUNDS_WARD_ASSESSED
    L"本机本用户的评估记录",         // ROUNDS_THIS_USER
};
constexpr const wchar_t* COLUMN_TITLES[ROUNDS_COLUMN_COUNT] = {
    L"床号", L"姓名", L"住院号", L"量表", L"上次结果", L"评估护士", L"评估时间", L"应评估",
};

// The list on show: the last one read whole, however later readings went.
RoundsList shown;
bool shown_any;
wchar_t ward[PATIENT_FIELD_CAPACITY];

// The ward the list is read for: the one the hospital system gave with the
// bar's patient, else the one this PC serves.
void list_ward(wchar_t* text, int capacity) {
    const wchar_t* given = launcher_state.patient.fields[PATIENT_WARD];
    if (*given) text_copy(text, capacity, given);
    else policy_ward(text, capacity);
}

// The scale's short name: the words in the title's last brackets
// ("Braden"), else the title.
void scale_name(int tool_id, wchar_t* text, int capacity) {
    for (int t = 0; t < suite_tool_count; t++) {
        if (suite_tools[t]->id != tool_id) continue;
        const wchar_t* title = suite_tools[t]->title;
        const wchar_t* open = wcsrchr(title, L'（');
        const wchar_t* close = open ? wcschr(open, L'）') : nullptr;
        if (open && close && close > open + 1) {
            int length = (int)(close - open - 1);
            text_copy(text, capacity < length + 1 ? capacity : length + 1, open + 1);
        } else {
            text_copy(text, capacity, title);
        }
        return;
    }
    if (tool_id) text_format(text, capacity, L"工具 %03d", tool_id);
    else text_copy(text, capacity, L"—");
}

int catalogue_index(int tool_id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == tool_id) return t;
    return -1;
}

// The heading: the ward and the source, when the list was read, and why it
// was not read again; with no list ever read, that it could not be.
void show_heading(bool tried, MomentSeconds tried_at, RoundsProblem problem, int offset) {
    wchar_t heading[ROUNDS_HEADING_CAPACITY], read_at[32], failed_at[32];
    const wchar_t* where = *ward ? ward : L"未设置病区";
    if (!shown_any) {
        rounds_time_text(tried_at, offset, true, failed_at, 32);
        if (!tried) text_format(heading, ROUNDS_HEADING_CAPACITY, L"本病区评估提醒 · %ls：正在读取…", where);
        else
            text_format(heading, ROUNDS_HEADING_CAPACITY, L"本病区评估提醒 · %ls：未能读取（%ls；%ls）", where,
                        failed_at, rounds_problem_words(problem));
    } else {
        rounds_time_text(shown.read_at, offset, true, read_at, 32);
        const wchar_t* source = SOURCE_WORDS[shown.source];
        int overdue = 0;
        for (int k = 0; k < shown.count; k++) overdue += shown.entries[k].due == ROUNDS_OVERDUE;
        wchar_t counts[64];
        text_format(counts, 64, shown.count ? L"%d 项，逾期 %d 项%ls" : L"无待评估项目", shown.count, overdue,
                    shown.cut ? L"，未列全" : L"");
        if (problem == ROUNDS_READ)
            text_format(heading, ROUNDS_HEADING_CAPACITY, L"本病区评估提醒 · %ls · %ls：%ls（%ls 读取）", where,
                        source, counts, read_at);
        else
            text_format(heading, ROUNDS_HEADING_CAPACITY, L"本病区评估提醒 · %ls · %ls：%ls（%ls 读取；%ls）", where,
                        source, counts, read_at, rounds_problem_words(problem));
    }
    SetWindowTextW(launcher_state.rounds_heading, heading);
}

}  // namespace

const RoundsList& rounds_shown() { return shown; }
bool rounds_any_shown() { return shown_any; }
const wchar_t* rounds_ward() { return ward; }
const wchar_t* rounds_column_title(int column) { return COLUMN_TITLES[column]; }

void rounds_time_text(MomentSeconds moment, int utc_offset_minutes, bool short_form, wchar_t* text, int capacity) {
    if (moment == REASSESS_NO_TIME) {
        text_copy(text, capacity, L"—");
        return;
    }
    LocalTime t = reassess_local(moment, utc_offset_minutes);
    if (short_form) text_format(text, capacity, L"%02d-%02d %02d:%02d", t.month, t.day, t.hour, t.minute);
    else text_format(text, capacity, L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
}

void rounds_cell(const RoundsEntry& entry, int column, int utc_offset_minutes, wchar_t* cell, int capacity) {
    const RoundsAssessment& last = entry.last;
    const auto& f = last.patient.fields;
    wchar_t time[32];
    cell[0] = 0;
    switch (column) {
    case ROUNDS_BED: text_copy(cell, capacity, f[PATIENT_BED]); break;
    case ROUNDS_NAME: text_copy(cell, capacity, f[PATIENT_NAME]); break;
    case ROUNDS_NUMBER: text_copy(cell, capacity, f[PATIENT_ID]); break;
    case ROUNDS_SCALE:
        // An admission's scales of which one is enough: "Caprini/Padua".
        for (int k = 0; k < (entry.admission_missing ? entry.admission_tool_count : 1); k++) {
            wchar_t name[ROUNDS_CELL_CAPACITY];
            scale_name(entry.admission_missing ? entry.admission_tools[k] : last.tool_id, name, ROUNDS_CELL_CAPACITY);
            if (k) text_append(cell, capacity, L"/");
            text_append(cell, capacity, name);
        }
        break;
    case ROUNDS_RESULT:
        if (!last.tool_id) text_copy(cell, capacity, L"无评估记录");
        else if (entry.admission_missing) text_copy(cell, capacity, L"待入院评估");
        else if (!last.has_value) text_format(cell, capacity, L"— %ls", last.band);
        else text_format(cell, capacity, last.value == (double)(int64_t)last.value ? L"%.0f %ls" : L"%.1f %ls",
                         last.value, last.band);
        break;
    case ROUNDS_NURSE: text_copy(cell, capacity, entry.admission_missing ? L"—" : f[NURSE_NAME]); break;
    case ROUNDS_DONE:
        rounds_time_text(entry.admission_missing ? REASSESS_NO_TIME : last.assessed_at, utc_offset_minutes, true, cell,
                         capacity);
        break;
    case ROUNDS_DUE:
        // In words as well as colour: the handover sheet prints in black.
        rounds_time_text(entry.due_at, utc_offset_minutes, true, time, 32);
        switch (entry.due) {
        case ROUNDS_OVERDUE: text_format(cell, capacity, L"已逾期 %ls", time); break;
        case ROUNDS_DUE_IN_SHIFT: text_format(cell, capacity, L"本班 %ls 前", time); break;
        case ROUNDS_DUE_LATER: text_format(cell, capacity, L"%ls 前", time); break;
        case ROUNDS_EVENTS_ONLY: text_copy(cell, capacity, L"病情变化时"); break;
        }
        break;
    }
}

void rounds_refresh() {
    list_ward(ward, PATIENT_FIELD_CAPACITY);
    rounds_reading_start(launcher_state.window, WM_LAUNCHER_ROUNDS_READ, ward);
    if (!shown_any) show_heading(false, REASSESS_NO_TIME, ROUNDS_READ, 0);
}

void on_rounds_read() {
    static RoundsList read;
    bool read_once = false;
    MomentSeconds tried_at = REASSESS_NO_TIME;
    RoundsProblem problem = ROUNDS_READ;
    if (!rounds_reading_latest(&read, &read_once, &tried_at, &problem)) return;
    LocalTime now;
    platform_calls.local_time(&now);
    if (read_once) {
        // The row selected stays selected where it still is: the same
        // patient and scale.
        HWND list = launcher_state.rounds_list;
        int row = (int)SendMessageW(list, LB_GETCURSEL, 0, 0), top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        Patient kept = {};
        int kept_tool = 0;
        if (shown_any && row >= 0 && row < shown.count) {
            kept = shown.entries[row].last.patient;
            kept_tool = shown.entries[row].last.tool_id;
        }
        shown = read;
        shown_any = true;
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        int again = -1;
        for (int k = 0; k < shown.count; k++) {
            // Each row's cells as its text too, for a screen reader.
            wchar_t text[ROUNDS_COLUMN_COUNT * ROUNDS_CELL_CAPACITY] = L"", cell[ROUNDS_CELL_CAPACITY];
            for (int c = 0; c < ROUNDS_COLUMN_COUNT; c++) {
                rounds_cell(shown.entries[k], c, now.utc_offset_minutes, cell, ROUNDS_CELL_CAPACITY);
                if (c) text_append(text, ROUNDS_COLUMN_COUNT * ROUNDS_CELL_CAPACITY, L"\t");
                text_append(text, ROUNDS_COLUMN_COUNT * ROUNDS_CELL_CAPACITY, cell);
            }
            SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)text);
            const RoundsAssessment& a = shown.entries[k].last;
            if (a.tool_id == kept_tool && wcscmp(a.patient.fields[PATIENT_ID], kept.fields[PATIENT_ID]) == 0) again = k;
        }
        SendMessageW(list, LB_SETTOPINDEX, top, 0);
        if (again >= 0) SendMessageW(list, LB_SETCURSEL, again, 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    show_heading(true, tried_at, problem, now.utc_offset_minutes);
}

void rounds_open_selected() {
    LauncherState& s = launcher_state;
    int row = (int)SendMessageW(s.rounds_list, LB_GETCURSEL, 0, 0);
    if (!shown_any || row < 0 || row >= shown.count) return;
    const RoundsEntry& entry = shown.entries[row];
    // A field as read that breaks the patient's rules is shown, never
    // handed to a tool as the patient.
    if (entry.last.unsound) {
        set_status(L"本行患者信息不符合规则，未填入；请扫描腕带或手动填写", true);
        return;
    }
    int tool = catalogue_index(entry.last.tool_id);
    // A patient in hospital with nothing on record: the bar takes the
    // patient, and the nurse chooses the scale.
    if (tool < 0 && entry.last.tool_id) {
        wchar_t status[LAUNCHER_STATUS_CAPACITY];
        text_format(status, LAUNCHER_STATUS_CAPACITY, L"本版本没有工具 %03d，请联系信息科", entry.last.tool_id);
        set_status(status);
        return;
    }
    // Every identifier from the row, one source; the nurse is the one at
    // the PC, not the one who assessed last.
    Patient patient = entry.last.patient;
    for (int k = LAUNCHER_PATIENT_FIELDS; k < LAUNCHER_BAR_FIELDS; k++) {
        wchar_t text[PATIENT_FIELD_CAPACITY] = L"";
        GetWindowTextW(s.patient_fields[k], text, PATIENT_FIELD_CAPACITY);
        patient_set_field(&patient, BAR_FIELDS[k].field, text);
    }
    show_given_patient(patient);
    if (tool >= 0) launcher_open_tool(tool);
    else SetFocus(s.search);
}
