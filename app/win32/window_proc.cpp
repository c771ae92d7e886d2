// The window procedure: it only dispatches, one line per message, to the
// handlers below, which draw the owner-drawn buttons and colour the controls.
#include "app/win32/main_window.h"

#include "common/win32/delivery_worker.h"
#include "common/win32/suite_messages.h"

namespace {

// Fixes the outer size, at the window's DPI.
void on_get_min_max_info(MINMAXINFO* info) {
    info->ptMinTrackSize = {px(WINDOW_WIDTH), px(WINDOW_HEIGHT)};
    info->ptMaxTrackSize = info->ptMinTrackSize;
}

// Draws an owner-drawn button: fill (pressed fill while held), outline,
// centred caption, and the focus mark while it has the keyboard's focus.
void draw_button(const DRAWITEMSTRUCT* item) {
    const ButtonColours& c =
        item->CtlID == IDC_CALCULATE ? palette.calculate_button : palette.plain_button;
    const RECT& r = item->rcItem;
    Box box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    fill_box(item->hDC, box, (item->itemState & ODS_SELECTED) ? c.pressed : c.fill);
    frame_box(item->hDC, box, c.border);
    wchar_t caption[64];
    GetWindowTextW(item->hwndItem, caption, 64);
    draw_text_box(item->hDC, box, caption, c.caption, main_window_state.font_button, DT_CENTER);
    if (item->itemState & ODS_FOCUS) {
        const int inset = px(FOCUS_MARK_INSET);
        RECT mark = {r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
        DrawFocusRect(item->hDC, &mark);
    }
}

// Draws one option of an input list: in the closed list, cut with "…" when
// it does not fit; highlighted while chosen in the dropped list or while the
// closed list has the focus.
void draw_list_option(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    // A list not asked (disabled) reads in grey on the page's colour, plainly no answer to give.
    bool disabled = item->itemState & ODS_DISABLED;
    bool highlighted = (item->itemState & ODS_SELECTED) && !disabled;
    Box box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    fill_box(dc, box, highlighted ? GetSysColor(COLOR_HIGHLIGHT) : disabled ? palette.page : palette.white);
    wchar_t option[RESULT_LINE_CAPACITY] = L"";
    if (item->itemID != (UINT)-1 &&
        SendMessageW(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0) < RESULT_LINE_CAPACITY)
        SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, (LPARAM)option);
    Box text_box = {box.x + px(LIST_TEXT_PADDING), box.y, box.width - 2 * px(LIST_TEXT_PADDING), box.height};
    draw_text_box(dc, text_box, option,
                  highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : disabled ? palette.text_grey : palette.text,
                  main_window_state.font_edit, DT_NOPREFIX);
    if ((item->itemState & ODS_FOCUS) && !highlighted) DrawFocusRect(dc, &r);
}

void on_draw_item(const DRAWITEMSTRUCT* item) {
    if (item->CtlType == ODT_COMBOBOX) draw_list_option(item);
    else if (item->CtlType == ODT_STATIC) draw_course(item);
    else draw_button(item);
}

// An input list's closed field is as tall as an edit field, its options a
// little taller.
void on_measure_item(MEASUREITEMSTRUCT* item) {
    if (item->CtlType == ODT_COMBOBOX)
        item->itemHeight = px(item->itemID == (UINT)-1 ? LIST_FIELD_HEIGHT : LIST_OPTION_HEIGHT);
}

LRESULT on_ctl_color_edit(HDC dc) {
    SetTextColor(dc, palette.text);
    SetBkColor(dc, palette.white);
    return (LRESULT)main_window_state.white_brush;
}

// The verdict in its level's colour; no colour of any level while the
// result is out of date, so a stale green never reads as "done".
COLORREF verdict_text_colour(const MainWindowState& s) {
    switch (s.result_state) {
    case RESULT_CURRENT: return verdict_colour(s.last.level);
    case RESULT_OUT_OF_DATE: return palette.text_grey;
    case NO_RESULT: break;
    }
    return verdict_colour(0);
}

// The read-only result box asks with this message too; an out-of-date
// result is greyed. A closed list's field reads like an edit field, a box's
// caption like an option, a section's heading like a panel's.
LRESULT on_ctl_color_static(HDC dc, HWND control) {
    const MainWindowState& s = main_window_state;
    int input = input_of_control(control);
    if (input >= 0 && s.tool.inputs[input].choice_count) return on_ctl_color_edit(dc);
    SetBkMode(dc, TRANSPARENT);
    if (control == s.patient_label) {
        SetTextColor(dc, palette.white);
        return (LRESULT)s.band_brush;
    }
    COLORREF colour = palette.text_grey;
    if (input >= 0)
        colour = palette.text;
    else if (GetDlgCtrlID(control) == IDC_SECTION)
        colour = palette.band;
    else if (control == s.verdict_label)
        colour = verdict_text_colour(s);
    else if (control == s.result_edit)
        colour = s.result_state == RESULT_OUT_OF_DATE ? palette.text_grey : palette.text;
    else if (control == s.caution_label)
        colour = palette.text;
    SetTextColor(dc, colour);
    return (LRESULT)s.white_brush;
}

// A button's command runs on its click only: an owner-drawn button also
// notifies a double click, which must not save the same row twice. An input
// field tells of every change to its text, a list of every option chosen, a
// box of every click.
bool on_command(int id, int notification) {
    if (id >= IDC_INPUT_FIRST && id < IDC_INPUT_FIRST + TOOL_MAX_INPUTS) {
        int input = id - IDC_INPUT_FIRST;
        bool box = input < main_window_state.tool.input_count && main_window_state.tool.inputs[input].box;
        if (notification != EN_CHANGE && notification != CBN_SELCHANGE && !(box && notification == BN_CLICKED))
            return false;
        if (main_window_state.rebuilding) return true;
        update_asked_inputs();
        on_input_changed(input);
        return true;
    }
    if (id == IDC_PATIENT && notification == STN_CLICKED) {
        open_patient_window();
        return true;
    }
    if (notification != BN_CLICKED) return false;
    switch (id) {
    case IDC_CALCULATE: on_calculate(); return true;
    case IDC_SAVE: save_record(); return true;
    case IDC_COPY: copy_result(); return true;
    case IDC_RESET: reset_inputs(); return true;
    case IDC_ABOUT: show_about(); return true;
    case IDC_PRINT: print_result(); return true;
    default: return false;
    }
}

}  // namespace

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    // Known from its first message, so that one sent while the window is
    // still being made (a move to a monitor of another scaling) finds it.
    case WM_CREATE: main_window_state.main_window = window; return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_PAINT: paint_main_window(window); return 0;
    case WM_FINISH_START: finish_start_request(); return 0;
    case WM_DELIVERY_DONE: on_delivery_done(); return 0;
    case WM_COURSE_READ: on_course_read(wparam); return 0;
    case WM_TIMER:
        if (wparam == COURSE_TIMER) course_read_start();
        else if (wparam == DELIVERY_TIMER) delivery_start(window, WM_DELIVERY_DONE);
        else break;
        return 0;
    case WM_ERASEBKGND: return 1;  // the painting covers every pixel
    case WM_GETMINMAXINFO: on_get_min_max_info((MINMAXINFO*)lparam); return 0;
    case WM_DPICHANGED: main_window_rescale(window, LOWORD(wparam), *(const RECT*)lparam); return 0;
    case WM_DRAWITEM: on_draw_item((const DRAWITEMSTRUCT*)lparam); return 1;
    case WM_MEASUREITEM: on_measure_item((MEASUREITEMSTRUCT*)lparam); return 1;
    case WM_COMMAND:
        if (on_command(LOWORD(wparam), HIWORD(wparam))) return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return on_ctl_color_edit((HDC)wparam);
    case WM_CTLCOLORSTATIC: return on_ctl_color_static((HDC)wparam, (HWND)lparam);
    }
    static const UINT patient_changed = RegisterWindowMessageW(SUITE_PATIENT_CHANGED_MESSAGE);
    if (message == patient_changed && patient_changed) {
        on_launcher_moved_on();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}
