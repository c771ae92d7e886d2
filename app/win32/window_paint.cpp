// Painting the client area: page, header band, panels with their headings
// and rules, footer with the status line. The child controls draw on top.
// The layout's boxes are in units (window_look.h); what is drawn, in the
// window's pixels.
#include "app/win32/main_window.h"

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
    const PreparedTool& tool = s.tool;

    const int width_units = unscaled(width, s.dpi), height_units = unscaled(height, s.dpi);
    fill_box(dc, {0, 0, width, height}, palette.page);
    fill_box(dc, {0, 0, width, px(BAND_HEIGHT)}, palette.band);
    fill_box(dc, px(Box{0, 0, 8, BAND_HEIGHT}), palette.band_accent);
    draw_text_box(dc, px(TITLE_BOX), tool.title, palette.white, s.font_title, 0);
    wchar_t line[256];
    if (s.launcher_moved_on) {
        launcher_moved_on_text(line, 256);
        draw_text_box(dc, px(SUBTITLE_BOX), line, palette.band_alarm, s.font_subtitle, 0);
    } else {
        text_format(line, 256, L"%ls  ·  %ls", tool.category, tool.summary);
        draw_text_box(dc, px(SUBTITLE_BOX), line, palette.band_subtitle, s.font_subtitle, 0);
    }
    draw_text_box(dc, px(website_box(width_units)), MAKER_WEBSITE, palette.band_website, s.font_small, DT_RIGHT);

    const struct {
        Box panel;
        const wchar_t* heading;
    } panels[] = {{LEFT_PANEL, L"输入参数"}, {RIGHT_PANEL, L"计算结果"}};
    for (const auto& p : panels) {
        fill_box(dc, px(p.panel), palette.white);
        frame_box(dc, px(p.panel), palette.panel_outline);
        draw_text_box(dc, px({column_x(p.panel), HEADING_TOP, HEADING_WIDTH, HEADING_HEIGHT}), p.heading,
                      palette.band, s.font_subtitle, 0);
        fill_box(dc, px({column_x(p.panel), HEADING_RULE_Y, column_width(p.panel), 1}), palette.heading_rule);
    }

    fill_box(dc, from_rect(0, px(FOOTER_TOP), width, height), palette.footer);
    draw_text_box(dc, px(in_footer(STATUS_BOX, height_units)), s.status_text,
                  s.status_warning ? verdict_colour(1) : palette.text_grey, s.font_small, DT_RIGHT);
}

void paint_main_window(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    paint_client(dc, client.right, client.bottom);
    EndPaint(window, &ps);
}
