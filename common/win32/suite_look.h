// How every window of the suite looks, the tools' and the launcher's
// alike: the colours they paint or answer with, and the header band, so
// that the suite reads as one. Each is named once here.
#pragma once

#include <windows.h>

#include "tool/tool.h"

struct ButtonColours {
    COLORREF fill, pressed, border, caption;
};

// Two colours serve several uses.
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF INK = RGB(44, 56, 66);

// One row per use; the verdict's colours by level are the levels' own
// (verdict_colour below).
struct Palette {
    COLORREF page;            // the page behind the panels, and the window class's background
    COLORREF white;           // panels, input fields and every static control's background
    COLORREF band;            // header band, panel headings
    COLORREF band_accent;     // the strip at the band's left edge
    COLORREF band_subtitle;   // category and summary in the band
    COLORREF band_website;    // the maker's website in the band
    COLORREF band_alarm;      // a warning in the band: the window is another patient's than the launcher's
    COLORREF panel_outline;
    COLORREF heading_rule;    // the line under each panel heading
    COLORREF footer;
    COLORREF text;            // input fields, result box, caution, plain buttons' captions
    COLORREF text_grey;       // input and unit labels, basis line, status line
    COLORREF course_point;    // a point of the patient's course
    COLORREF course_line;     // the line joining the course's points
    ButtonColours calculate_button;
    ButtonColours plain_button;
};

constexpr Palette palette = {
    .page = RGB(244, 247, 249),
    .white = WHITE,
    .band = RGB(0, 108, 150),
    .band_accent = RGB(0, 132, 176),
    .band_subtitle = RGB(214, 236, 246),
    .band_website = RGB(190, 220, 235),
    .band_alarm = RGB(255, 214, 90),
    .panel_outline = RGB(218, 226, 232),
    .heading_rule = RGB(228, 234, 238),
    .footer = RGB(236, 241, 244),
    .text = INK,
    .text_grey = RGB(120, 132, 142),
    .course_point = RGB(0, 70, 110),
    .course_line = RGB(130, 160, 180),
    .calculate_button = {RGB(0, 122, 168), RGB(0, 100, 138), RGB(0, 106, 148), WHITE},
    .plain_button = {WHITE, RGB(226, 234, 240), RGB(206, 216, 224), INK},
};

// Everything on paper, text and rules: a ward's printer is often
// black-and-white, where the screen's greys and colours print faint.
constexpr COLORREF PRINT_INK = RGB(0, 0, 0);

// The verdict's colour at `level`; any other level shows as level 0.
inline COLORREF verdict_colour(int level) {
    const VerdictLevel& l = verdict_level(level);
    return RGB(l.red, l.green, l.blue);
}

// A band of the level on a chart: its colour a fifth as strong on white,
// so that points and labels read over it.
inline COLORREF verdict_tint(int level) {
    const VerdictLevel& l = verdict_level(level);
    return RGB(255 - (255 - l.red) / 5, 255 - (255 - l.green) / 5, 255 - (255 - l.blue) / 5);
}

// ---- The header band ------------------------------------------------------------

// The header band runs the client's whole width, this tall.
constexpr int BAND_HEIGHT = 88;

// The face every window writes in; the result box's figures are in
// RESULT_FACE, whose digits line up.
#define SUITE_FACE L"Microsoft YaHei UI"
#define RESULT_FACE L"Consolas"
