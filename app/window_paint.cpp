// Painting the client area: page, header band, panels with their headings
// and rules, footer with the status line. The child controls draw on top.
#include "app/main_window.h"

namespace {

constexpr UINT TEXT_FLAGS = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

// Rectangles are left, top, right, bottom (right and bottom exclusive).
Box from_rect(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

}  // namespace

void fill_box(HDC dc, Box box, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {box.x, box.y, box.x + box.width, box.y + box.height};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void frame_box(HDC dc, Box box, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, box.x, box.y, box.x + box.width, box.y + box.height);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

void draw_text_box(HDC dc, Box box, const wchar_t* text, COLORREF colour, HFONT font,
                   UINT extra_flags) {
    HGDIOBJ old_font = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT r = {box.x, box.y, box.x + box.width, box.y + box.height};
    DrawTextW(dc, text, -1, &r, TEXT_FLAGS | extra_flags);
    SelectObject(dc, old_font);
}

void paint_client(HDC dc, int width, int height) {
    const MainWindowState& s = main_window_state;
    const ToolDef& tool = *s.tool;
    const COLORREF band = RGB(0, 108, 150), white = RGB(255, 255, 255);
    const COLORREF outline = RGB(218, 226, 232), rule = RGB(228, 234, 238);

    fill_box(dc, {0, 0, width, height}, RGB(244, 247, 249));
    fill_box(dc, {0, 0, width, 88}, band);
    fill_box(dc, {0, 0, 8, 88}, RGB(0, 132, 176));
    draw_text_box(dc, {26, 12, 700, 38}, tool.title ? tool.title : L"", white, s.font_title, 0);
    wchar_t line[256];
    text_format(line, 256, L"%ls  ·  %ls", tool.category ? tool.category : L"",
                tool.summary ? tool.summary : L"");
    draw_text_box(dc, from_rect(28, 48, 748, 76), line, RGB(214, 236, 246), s.font_subtitle, 0);
    draw_text_box(dc, from_rect(width - 240, 8, width - 26, 34), MAKER_WEBSITE, RGB(190, 220, 235),
                  s.font_small, DT_RIGHT);

    fill_box(dc, from_rect(20, 96, 460, 648), white);
    frame_box(dc, {20, 96, 440, 552}, outline);
    fill_box(dc, from_rect(476, 96, 1000, 648), white);
    frame_box(dc, {476, 96, 524, 552}, outline);
    draw_text_box(dc, from_rect(36, 104, 336, 134), L"输入参数", band, s.font_subtitle, 0);
    draw_text_box(dc, from_rect(492, 104, 792, 134), L"计算结果", band, s.font_subtitle, 0);
    fill_box(dc, from_rect(36, 133, 444, 134), rule);
    fill_box(dc, from_rect(492, 133, 984, 134), rule);

    // The footer's bottom is 720 whatever the client's height.
    fill_box(dc, from_rect(0, 660, width, 720), RGB(236, 241, 244));
    draw_text_box(dc, from_rect(740, 704, 1004, 720), s.status_text, RGB(120, 132, 142),
                  s.font_small, DT_RIGHT);
}

void paint_main_window(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    paint_client(dc, client.right, client.bottom);
    EndPaint(window, &ps);
}
