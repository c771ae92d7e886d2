// The input view: the part of the left panel the inputs' rows lie in. A
// tool whose rows do not fit it (a checklist of 38 factors) scrolls them
// there, by its scroll bar, the mouse wheel, Page Up and Page Down, and to
// whichever input takes the focus, while the header, the results and the
// buttons stay where a nurse expects them.
#include "app/win32/main_window.h"

namespace {

const wchar_t VIEW_CLASS[] = L"OrvoMedInputView";
// The rows end this far above the view's bottom when scrolled to the end,
// as far as the first row starts below its top.
constexpr int VIEW_PADDING = 12;

int text_width(HDC dc, const wchar_t* text) {
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, text_length(text), &extent);
    return extent.cx;
}

// Places every row for a view `narrower` than the panel's inside; returns
// the rows' whole height from the view's top. Rows are placed in units;
// their texts are measured in `dc`, in the window's pixels.
int place_rows(HDC dc, int narrower) {
    MainWindowState& s = main_window_state;
    // A box's caption starts right of its square.
    const int square = system_metric(SM_CXMENUCHECK, s.dpi) + px(8);
    int y = FIRST_ROW_Y;
    for (int i = 0; i < s.tool.input_count; i++) {
        const InputDef& input = s.tool.inputs[i];
        InputPlace& place = s.input_places[i];
        place.top = y - 4;
        if (*input.section) y += SECTION_PITCH;
        InputRow row = input_row_at(y, narrower);
        place.y = y;
        place.tall_box = input.box && text_width(dc, input.label) + square > px(row.box).width;
        const int label_width = input.box ? 0 : text_width(dc, input.label);
        place.label_lines = label_width <= px(row.label).width              ? 0
                            : label_width <= px(wide_label_at(y, narrower, 1)).width ? 1
                                                                                   : 2;
        int pitch = ROW_PITCH + (place.tall_box ? TALL_ROW_EXTRA : place.label_lines * TALL_ROW_EXTRA);
        place.bottom = y - 4 + pitch - (ROW_PITCH - 27);
        y += pitch;
    }
    int last = s.tool.input_count ? s.input_places[s.tool.input_count - 1].bottom : INPUT_VIEW.y;
    return last - INPUT_VIEW.y + VIEW_PADDING;
}

// The view's height in pixels; the scroll position and the rows' extent
// are in pixels too.
int view_height() { return px(input_view_box()).height; }

void scroll_view_to(int position) {
    MainWindowState& s = main_window_state;
    int most = s.input_extent - view_height();
    if (position > most) position = most;
    if (position < 0) position = 0;
    int by = s.input_scroll - position;
    if (!by) return;
    s.input_scroll = position;
    ScrollWindowEx(s.input_view, 0, by, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(s.input_view, SB_VERT, &info, TRUE);
    UpdateWindow(s.input_view);
}

bool view_scrolls() {
    const MainWindowState& s = main_window_state;
    return s.input_view && s.input_extent > view_height();
}

void on_vertical_scroll(int request) {
    const MainWindowState& s = main_window_state;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(s.input_view, SB_VERT, &info);
    const int line = px(ROW_PITCH), page = view_height() - line;
    switch (request) {
    case SB_LINEUP: scroll_view_to(s.input_scroll - line); break;
    case SB_LINEDOWN: scroll_view_to(s.input_scroll + line); break;
    case SB_PAGEUP: scroll_view_to(s.input_scroll - page); break;
    case SB_PAGEDOWN: scroll_view_to(s.input_scroll + page); break;
    case SB_TOP: scroll_view_to(0); break;
    case SB_BOTTOM: scroll_view_to(s.input_extent); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scroll_view_to(info.nTrackPos); break;
    }
}

// One notch of the wheel moves three rows, as a list box's does.
void on_wheel(int delta) { scroll_view_to(main_window_state.input_scroll - delta * 3 * px(ROW_PITCH) / WHEEL_DELTA); }

// The controls' notices and colour requests are the main window's business:
// the view only passes them on.
LRESULT CALLBACK input_view_proc(HWND view, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageW(GetParent(view), message, wparam, lparam);
    case WM_VSCROLL: on_vertical_scroll(LOWORD(wparam)); return 0;
    case WM_MOUSEWHEEL:
        if (view_scrolls()) on_wheel(GET_WHEEL_DELTA_WPARAM(wparam));
        return 0;
    }
    return DefWindowProcW(view, message, wparam, lparam);
}

// Whether any input list shows its options: they keep the keys and the wheel.
bool a_list_is_dropped() {
    const MainWindowState& s = main_window_state;
    for (int i = 0; i < s.tool.input_count; i++)
        if (s.tool.inputs[i].choice_count && s.input_controls[i] &&
            SendMessageW(s.input_controls[i], CB_GETDROPPEDSTATE, 0, 0))
            return true;
    return false;
}

}  // namespace

void create_input_view(HWND window, HDC dc) {
    MainWindowState& s = main_window_state;
    register_suite_window_class(s.instance, VIEW_CLASS, input_view_proc, s.white_brush, false);

    HGDIOBJ old_font = SelectObject(dc, s.font_label);
    s.input_scroll = 0;
    s.input_narrower = 0;
    s.input_extent = px(place_rows(dc, 0));
    if (s.input_extent > view_height()) {
        // The scroll bar's width in whole units, rounded up: the rows keep
        // clear of it.
        s.input_narrower = (system_metric(SM_CXVSCROLL, s.dpi) * UNITS_DPI + s.dpi - 1) / s.dpi;
        s.input_extent = px(place_rows(dc, s.input_narrower));
    }
    SelectObject(dc, old_font);

    // Not WS_CLIPCHILDREN: a view that does not clip its children passes
    // its invalidation on to them, so the rows draw themselves again
    // whenever the view is (the main window, which clips, leaves it alone).
    DWORD style = WS_CHILD | WS_VISIBLE | (s.input_narrower ? WS_VSCROLL : 0);
    const Box view = px(input_view_box());
    s.input_view = CreateWindowExW(0, VIEW_CLASS, L"", style, view.x, view.y, view.width, view.height, window,
                                   nullptr, s.instance, nullptr);
    if (s.input_narrower) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = s.input_extent - 1;
        info.nPage = view.height;
        SetScrollInfo(s.input_view, SB_VERT, &info, FALSE);
    }
}

HWND create_in_view(const wchar_t* window_class, DWORD ex_style, DWORD style, const wchar_t* text, int id,
                    Box box, HFONT font) {
    const MainWindowState& s = main_window_state;
    const Box view = px(input_view_box());
    box = px(box);
    HWND control = CreateWindowExW(ex_style, window_class, text, style, box.x - view.x,
                                   box.y - view.y - s.input_scroll, box.width, box.height, s.input_view,
                                   (HMENU)(INT_PTR)id, s.instance, nullptr);
    if (font) SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
    return control;
}

void show_input(int input) {
    const MainWindowState& s = main_window_state;
    if (!view_scrolls() || input < 0 || input >= s.tool.input_count) return;
    const InputPlace& place = s.input_places[input];
    int top = px(place.top - VIEW_MARGIN) - px(INPUT_VIEW.y), bottom = px(place.bottom + VIEW_MARGIN) - px(INPUT_VIEW.y);
    if (top < s.input_scroll) scroll_view_to(top);
    else if (bottom > s.input_scroll + view_height()) scroll_view_to(bottom - view_height());
}

bool input_view_route(const MSG& message) {
    const MainWindowState& s = main_window_state;
    if (!view_scrolls()) return false;
    if (message.message == WM_KEYDOWN && (message.wParam == VK_PRIOR || message.wParam == VK_NEXT)) {
        if (!IsChild(s.input_view, message.hwnd) || a_list_is_dropped()) return false;
        on_vertical_scroll(message.wParam == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN);
        return true;
    }
    if (message.message == WM_MOUSEWHEEL) {
        POINT at = {(short)LOWORD(message.lParam), (short)HIWORD(message.lParam)};
        RECT view;
        GetWindowRect(s.input_view, &view);
        if (!PtInRect(&view, at) || a_list_is_dropped()) return false;
        on_wheel(GET_WHEEL_DELTA_WPARAM(message.wParam));
        return true;
    }
    return false;
}
