// What a window shows at the display scaling the test runs at (its prefix's
// LogPixels): the height of a text's ink, and a picture of the window for
// people to look at. The display-scaling run (display_scaling_test.sh)
// sets GLYVANT_SCALING_FIGURES; the tests then write each picture and
// figure into the current folder, where the run compares them across the
// scalings.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// The rows from the first to the last that hold ink in `area` of `dc`: a
// pixel far from the area's background, its top-left pixel.
inline int ink_height(HDC dc, RECT area) {
    const COLORREF back = GetPixel(dc, area.left, area.top);
    int first = -1, last = -1;
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) {
            COLORREF c = GetPixel(dc, x, y);
            int distance = abs(GetRValue(c) - GetRValue(back)) + abs(GetGValue(c) - GetGValue(back)) +
                      abs(GetBValue(c) - GetBValue(back));
            if (distance < 192) continue;
            if (first < 0) first = y;
            last = y;
            break;
        }
    return first < 0 ? 0 : last - first + 1;
}

inline bool scaling_figures_wanted() { return getenv("GLYVANT_SCALING_FIGURES") != nullptr; }

// Notes the ink height of `what` at `dpi` for the run to compare.
inline void note_ink_height(const char* what, int dpi, int height) {
    if (!scaling_figures_wanted()) return;
    if (FILE* f = fopen("ink_heights.txt", "a")) {
        fprintf(f, "%s %d %d\n", what, dpi, height);
        fclose(f);
    }
}

// The whole window, caption and frame included, as `name`-`dpi`.bmp.
inline void save_window_picture(HWND window, const char* name, int dpi) {
    if (!scaling_figures_wanted()) return;
    // The window first, then each child over it: the window does not clip
    // its children, and its footer would cover the buttons. Read from the
    // window's own surface, which Wine hands to the X server on its own
    // time.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC source = GetWindowDC(window), memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels((size_t)stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&info, DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof info + pixels.size()), 0, 0,
                             (DWORD)(sizeof file + sizeof info)};
    char path[64];
    snprintf(path, sizeof path, "%s-%d.bmp", name, dpi);
    if (FILE* f = fopen(path, "wb")) {
        fwrite(&file, sizeof file, 1, f);
        fwrite(&info, sizeof info, 1, f);
        fwrite(pixels.data(), 1, pixels.size(), f);
        fclose(f);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
}
