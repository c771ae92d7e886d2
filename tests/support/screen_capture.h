// A text's ink height and a window's picture, written into the current
// folder for display_scaling_test.sh (which sets GLYVANT_SCALING_FIGURES).
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// From the first to the last row of `area` holding a pixel far from its
// top-left pixel, the background.
inline int ink_height(HDC dc, RECT area) {
    const COLORREF back = GetPixel(dc, area.left, area.top);
    int first = -1, last = -1;
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) {
            COLORREF c = GetPixel(dc, x, y);
            if (abs(GetRValue(c) - GetRValue(back)) + abs(GetGValue(c) - GetGValue(back)) +
                    abs(GetBValue(c) - GetBValue(back)) < 192)
                continue;
            last = y, first = first < 0 ? y : first;
            break;
        }
    return first < 0 ? 0 : last - first + 1;
}

// "<what> <dpi> <height>", a line of ink_heights.txt.
inline void note_ink_height(const char* what, int dpi, int height) {
    FILE* f = getenv("GLYVANT_SCALING_FIGURES") ? fopen("ink_heights.txt", "a") : nullptr;
    if (f) fprintf(f, "%s %d %d\n", what, dpi, height), fclose(f);
}

// The whole window, caption and frame included, as <name>-<dpi>.bmp. The
// window is painted first, then each child over it (the window does not
// clip them); read from its own surface, which Wine hands to the X server
// in its own time.
inline void save_window_picture(HWND window, const char* name, int dpi) {
    if (!getenv("GLYVANT_SCALING_FIGURES")) return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top, stride = (width * 3 + 3) & ~3;
    HDC source = GetWindowDC(window), memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> pixels((size_t)stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&info, DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof info + pixels.size()), 0, 0,
                             (DWORD)(sizeof file + sizeof info)};
    char path[64];
    if (snprintf(path, sizeof path, "%s-%d.bmp", name, dpi); FILE* f = fopen(path, "wb"))
        fwrite(&file, sizeof file, 1, f), fwrite(&info, sizeof info, 1, f), fwrite(pixels.data(), 1, pixels.size(), f), fclose(f);
    DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(window, source);
}
