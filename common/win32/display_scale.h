// Display scaling. Every window of the suite lays itself out, draws and
// picks its fonts in device-independent units (a pixel at 96 DPI, Windows'
// 100 %) and turns them into the pixels of the monitor it lies on: at 150 %
// (144 DPI, a 14-inch 1080p laptop's default) a 15-unit font is 22 pixels
// high and the window half as large again, sharp, where a program laid out
// in fixed pixels is drawn at two-thirds of its size. The programs declare
// per-monitor awareness in their manifest (suite.manifest); on Windows 7
// and 8, which read only its older line, the system's DPI serves.
#pragma once

#include <windows.h>

constexpr int UNITS_DPI = 96;

// `units` at `dpi`, rounded to the nearest pixel. Scale a box's edges, not
// its width: boxes that meet or stand apart in units still do in pixels.
inline int scaled(int units, int dpi) { return MulDiv(units, dpi, UNITS_DPI); }
// Pixels at `dpi` back to units.
inline int unscaled(int pixels, int dpi) { return MulDiv(pixels, UNITS_DPI, dpi); }

// The DPI `window` is laid out for: its monitor's where the system tells
// (Windows 10 1607 and later), else the system's. nullptr: the primary
// monitor's, where a new window opens.
int window_dpi(HWND window);
// GetSystemMetrics at `dpi` (a scroll bar's width, a check box's square).
int system_metric(int index, int dpi);
// The outer size of a window of `style` whose client is `client` pixels at
// `dpi`: its caption and frame as the system draws them at that DPI.
void window_rect_for_client(RECT* client, DWORD style, DWORD ex_style, int dpi);
// Loads the common controls of version 6 that the manifest asks for (the
// cue banner, Ctrl+A in a field, the themed boxes and lists). Call before
// the first control.
void load_common_controls();
