// Building the main window, and the message loop that routes Enter and F5.
#include "app/win32/main_window.h"

#include "store/store.h"

MainWindowState main_window_state;

namespace {

const wchar_t WINDOW_CLASS[] = L"OrvoMedToolWnd";
constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Fonts, created in this order; a negative height is a character height.
struct FontDef {
    HFONT MainWindowState::*font;
    const wchar_t* face;
    int height;
    int weight;
};
const FontDef fonts[] = {
    {&MainWindowState::font_title, L"Microsoft YaHei UI", -27, FW_BOLD},
    {&MainWindowState::font_subtitle, L"Microsoft YaHei UI", -14, FW_NORMAL},
    {&MainWindowState::font_label, L"Microsoft YaHei UI", -14, FW_NORMAL},
    {&MainWindowState::font_edit, L"Microsoft YaHei UI", -15, FW_NORMAL},
    {&MainWindowState::font_verdict, L"Microsoft YaHei UI", -21, FW_BOLD},
    {&MainWindowState::font_result, L"Consolas", -15, FW_NORMAL},
    {&MainWindowState::font_button, L"Microsoft YaHei UI", -15, FW_NORMAL},
    {&MainWindowState::font_small, L"Microsoft YaHei UI", -12, FW_NORMAL},
};

void create_fonts_and_brushes(MainWindowState& s) {
    for (const FontDef& f : fonts)
        s.*f.font = CreateFontW(f.height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, f.face);
    s.white_brush = CreateSolidBrush(palette.white);
    s.background_brush = CreateSolidBrush(palette.page);
}

void register_window_class(const MainWindowState& s) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = s.instance;
    wc.hIcon = LoadIconW(s.instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = s.background_brush;
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&wc);  // a second registration (tests) fails harmlessly
}

// Centred on the screen, never at a negative coordinate.
int centred(int screen, int size) {
    int at = (screen - size) / 2;
    return at < 0 ? 0 : at;
}

}  // namespace

HWND main_window_create(HINSTANCE instance, const ToolDef& tool) {
    MainWindowState& s = main_window_state;
    s.instance = instance;
    tool_prepare(tool, &s.tool);
    s.result_state = NO_RESULT;
    create_fonts_and_brushes(s);
    register_window_class(s);

    // WM_GETMINMAXINFO holds the outer size at 1036 x 780 from creation on;
    // the centring uses the adjusted rectangle.
    RECT r = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRect(&r, WINDOW_STYLE, FALSE);
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = centred(GetSystemMetrics(SM_CXSCREEN), width);
    int y = centred(GetSystemMetrics(SM_CYSCREEN), height);
    HWND window = CreateWindowExW(0, WINDOW_CLASS, s.tool.title, WINDOW_STYLE, x, y, width, height,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    s.main_window = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(s.input_controls[0]);
    return window;
}

namespace {

// The input whose control is `control`, or -1.
int input_of(HWND control) {
    const MainWindowState& s = main_window_state;
    for (int i = 0; i < s.tool.input_count; i++)
        if (s.input_controls[i] == control) return i;
    return -1;
}

bool has_lists(const PreparedTool& tool) {
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].choice_count) return true;
    return false;
}

// A form of lists is filled item by item from the keyboard: Tab and
// Shift+Tab move to the next and the previous input, round the form.
void move_between_inputs(HWND from, bool back) {
    const MainWindowState& s = main_window_state;
    int n = s.tool.input_count, at = input_of(from);
    int next = at < 0 ? 0 : (at + (back ? n - 1 : 1)) % n;
    SetFocus(s.input_controls[next]);
}

}  // namespace

bool main_window_route_key(const MSG& message) {
    const MainWindowState& s = main_window_state;
    if (message.message != WM_KEYDOWN) return false;
    // Ctrl+P prints from anywhere in the window, the window itself included.
    if (message.wParam == 'P' && GetKeyState(VK_CONTROL) < 0 &&
        (message.hwnd == s.main_window || IsChild(s.main_window, message.hwnd))) {
        print_result();
        return true;
    }
    if (!IsChild(s.main_window, message.hwnd)) return false;
    if (message.wParam == VK_TAB && has_lists(s.tool) && s.tool.input_count > 0) {
        move_between_inputs(message.hwnd, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (message.wParam != VK_RETURN && message.wParam != VK_F5) return false;
    int input = input_of(message.hwnd);
    if (input >= 0 && s.tool.inputs[input].choice_count &&
        SendMessageW(message.hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        // Enter on a dropped list chooses the highlighted option and closes
        // it, as everywhere in Windows; F5 closes it and calculates.
        if (message.wParam == VK_RETURN) return false;
        SendMessageW(message.hwnd, CB_SHOWDROPDOWN, FALSE, 0);
    }
    on_calculate();
    return true;
}

int main_window_run(HINSTANCE instance, const ToolDef& tool) {
    if (!main_window_create(instance, tool)) return EXIT_NO_WINDOW;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (main_window_route_key(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return EXIT_OK;
}
