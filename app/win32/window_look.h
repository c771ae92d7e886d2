// Where the main window puts things: the boxes that both the controls and
// the painting place things in, each named once here, in client-area
// units (display_scale.h): the window turns them into its monitor's
// pixels. Its colours and header band are the suite's (suite_look.h).
#pragma once

#include <windows.h>

#include "app/app.h"
#include "common/win32/display_scale.h"
#include "common/win32/suite_look.h"
#include "tool/tool.h"

struct Box {
    int x, y, width, height;
};

// A box in units at `dpi`, its edges scaled: boxes apart in units stay
// apart in pixels.
inline Box scaled(Box box, int dpi) {
    const int x = scaled(box.x, dpi), y = scaled(box.y, dpi);
    return {x, y, scaled(box.x + box.width, dpi) - x, scaled(box.y + box.height, dpi) - y};
}

// ---- Boxes ------------------------------------------------------------------------

// The footer runs the client's whole width along the layout's bottom (on to
// the client's bottom edge: see in_footer); the two panels end a little above
// it. Headings, rules and the right panel's controls keep to the column inside
// the padding.
constexpr int FOOTER_TOP = CLIENT_HEIGHT - 60;
constexpr int PANEL_BOTTOM = FOOTER_TOP - 12;
constexpr Box LEFT_PANEL = {20, 96, 440, PANEL_BOTTOM - 96};
constexpr Box RIGHT_PANEL = {476, 96, 524, PANEL_BOTTOM - 96};
constexpr int PANEL_PADDING = 16;
constexpr int HEADING_TOP = 104, HEADING_WIDTH = 300, HEADING_HEIGHT = 30;
constexpr int HEADING_RULE_Y = HEADING_TOP + HEADING_HEIGHT - 1;

constexpr int column_x(Box panel) { return panel.x + PANEL_PADDING; }
constexpr int column_width(Box panel) { return panel.width - 2 * PANEL_PADDING; }
constexpr Box in_right_column(int y, int height) {
    return {column_x(RIGHT_PANEL), y, column_width(RIGHT_PANEL), height};
}

// The inputs' rows lie in this view of the left panel, below its heading
// rule and inside its outline; when they do not all fit, the view scrolls
// and the rest of the window stays where it is.
constexpr int box_bottom(Box box) { return box.y + box.height; }
constexpr Box INPUT_VIEW = {LEFT_PANEL.x + 1, HEADING_RULE_Y + 1, LEFT_PANEL.width - 2,
                            box_bottom(LEFT_PANEL) - 1 - (HEADING_RULE_Y + 1)};

// A scale's course of the patient (window_course.cpp) stands at the foot of
// the left panel, where a scale's few rows leave room; the view ends above
// it, and scrolls when the rows of a longer scale do not fit. Inside it: the
// caption's line, the plot with the values' labels at its left and the
// days' below it, in units from the box's corner.
constexpr int COURSE_HEIGHT = 132, COURSE_GAP = 8;
constexpr Box COURSE_BOX = {column_x(LEFT_PANEL), box_bottom(LEFT_PANEL) - COURSE_GAP - COURSE_HEIGHT,
                            column_width(LEFT_PANEL), COURSE_HEIGHT};
constexpr Box INPUT_VIEW_ABOVE_COURSE = {INPUT_VIEW.x, INPUT_VIEW.y, INPUT_VIEW.width,
                                         COURSE_BOX.y - COURSE_GAP - INPUT_VIEW.y};
constexpr int COURSE_CAPTION_HEIGHT = 22, COURSE_VALUES_WIDTH = 30, COURSE_DAYS_HEIGHT = 18, COURSE_RIGHT = 12;
constexpr Box COURSE_PLOT = {COURSE_VALUES_WIDTH, COURSE_CAPTION_HEIGHT + 4,
                             COURSE_BOX.width - COURSE_VALUES_WIDTH - COURSE_RIGHT,
                             COURSE_HEIGHT - COURSE_CAPTION_HEIGHT - 4 - COURSE_DAYS_HEIGHT};
// A point's square, the latest's larger; a day's tick below the plot.
constexpr int COURSE_POINT = 5, COURSE_LATEST_POINT = 9, COURSE_TICK = 3;

// One row per input down the view, in client coordinates while the view is
// not scrolled: its label, then an edit field and its unit, or a list
// spanning both (its box here is the closed list; the dropped list hangs
// below it), or a check box spanning the label and the field with its
// points where a unit stands. `y` is the row's text line; `narrower` is
// what a scroll bar takes from the right of the view.
struct InputRow {
    Box label, edit, unit, list, box;
};
constexpr int FIRST_ROW_Y = 150, ROW_PITCH = 34;
constexpr InputRow input_row_at(int y, int narrower) {
    return {{24, y + 1, 184, 22},
            {216, y - 4, 152 - narrower, 27},
            {374 - narrower, y, 78, 22},
            {216, y - 4, 236 - narrower, 27},
            {24, y - 4, 344 - narrower, 28}};
}
constexpr InputRow input_row(int i) { return input_row_at(FIRST_ROW_Y + ROW_PITCH * i, 0); }
// A label too wide for its column stands on a line of its own above its
// field (two, when the panel's width does not hold it), and a box's caption
// too wide for one line takes two: each such line makes the row taller by
// this much. A section's heading stands on a row of its own.
constexpr int TALL_ROW_EXTRA = 28, SECTION_PITCH = 32;
constexpr Box section_heading_at(int y, int narrower) { return {24, y - 2, 428 - narrower, 24}; }
constexpr Box wide_label_at(int y, int narrower, int lines) {
    return {24, y + 1, 428 - narrower, 22 + (lines - 1) * TALL_ROW_EXTRA};
}
// A control scrolled into view keeps this far from the view's edges.
constexpr int VIEW_MARGIN = 8;
// A closed list is as tall as an edit field; its dropped options a little
// taller. An option's text keeps this far from the list's sides.
constexpr int LIST_FIELD_HEIGHT = 21, LIST_OPTION_HEIGHT = 24, LIST_TEXT_PADDING = 4;
// A focused button's dotted mark runs this far inside its outline.
constexpr int FOCUS_MARK_INSET = 4;
static_assert(input_row(0).edit.y > INPUT_VIEW.y && input_row(0).list.x + input_row(0).list.width < INPUT_VIEW.x + INPUT_VIEW.width,
              "the first row lies inside the view");

// The verdict's box holds VERDICT_LINES lines of its font, the caution's and
// the basis's as many lines of the small font as every tool's text takes (a
// line to spare for the caution), each line about 1.5 times the font's
// height in the faces the window asks for. The result box scrolls: it takes
// the room that is left between them.
constexpr int SMALL_FONT_HEIGHT = 12;
constexpr int CAUTION_LINES = 4, BASIS_LINES = 3;
constexpr int lines_height(int lines, int font_height) { return lines * font_height * 3 / 2 + 1; }
// A box of the right column `height` tall, ending at `bottom`.
constexpr Box in_right_column_above(int bottom, int height) { return in_right_column(bottom - height, height); }
constexpr Box VERDICT_BOX = in_right_column(142, lines_height(VERDICT_LINES, VERDICT_FONT_HEIGHT));
constexpr Box BASIS_BOX = in_right_column_above(PANEL_BOTTOM - 12, lines_height(BASIS_LINES, SMALL_FONT_HEIGHT));
constexpr Box CAUTION_BOX = in_right_column_above(BASIS_BOX.y - 8, lines_height(CAUTION_LINES, SMALL_FONT_HEIGHT));
constexpr int RESULT_TOP = box_bottom(VERDICT_BOX) + 8;
constexpr Box RESULT_BOX = in_right_column(RESULT_TOP, CAUTION_BOX.y - 12 - RESULT_TOP);
static_assert(VERDICT_BOX.width == VERDICT_BOX_WIDTH, "the check measures messages against the box they show in");
static_assert(box_bottom(VERDICT_BOX) < RESULT_BOX.y && box_bottom(RESULT_BOX) < CAUTION_BOX.y &&
                  box_bottom(CAUTION_BOX) < BASIS_BOX.y && box_bottom(BASIS_BOX) < box_bottom(RIGHT_PANEL),
              "the right panel's boxes follow one another inside it");

// The header band's texts: the title, the category and summary, and the
// maker's website at the band's right end (`from_right` pixels from the
// client's right edge).
// The patient stands at the right of the title's line, the website below
// it.
constexpr Box TITLE_BOX = {26, 12, 560, 38};
constexpr Box SUBTITLE_BOX = {28, 48, 720, 28};
constexpr int WEBSITE_FROM_RIGHT = 240, WEBSITE_RIGHT_MARGIN = 26;
constexpr Box website_box(int client_width) {
    return {client_width - WEBSITE_FROM_RIGHT, 50, WEBSITE_FROM_RIGHT - WEBSITE_RIGHT_MARGIN, 26};
}
constexpr Box PATIENT_BOX = {TITLE_BOX.x + TITLE_BOX.width + 16, 14,
                             CLIENT_WIDTH - WEBSITE_RIGHT_MARGIN - (TITLE_BOX.x + TITLE_BOX.width + 16), 32};
// The patient's last assessment, in the result panel's heading line.
constexpr int LAST_ASSESSMENT_LEFT = 120;
constexpr Box LAST_ASSESSMENT_BOX = {column_x(RIGHT_PANEL) + LAST_ASSESSMENT_LEFT, HEADING_TOP,
                                     column_width(RIGHT_PANEL) - LAST_ASSESSMENT_LEFT, HEADING_HEIGHT};

// The buttons sit in the footer, the status line at its right.
constexpr int BUTTON_TOP = FOOTER_TOP + 8, BUTTON_HEIGHT = 40;
constexpr Box button_box(int x, int width) { return {x, BUTTON_TOP, width, BUTTON_HEIGHT}; }
constexpr Box CALCULATE_BUTTON_BOX = button_box(20, 152);
constexpr Box SAVE_BUTTON_BOX = button_box(184, 132);
constexpr Box COPY_BUTTON_BOX = button_box(328, 132);
constexpr Box RESET_BUTTON_BOX = button_box(472, 132);
constexpr Box ABOUT_BUTTON_BOX = button_box(616, 110);
constexpr Box PRINT_BUTTON_BOX = button_box(738, 96);
// Beside the buttons, level with them, up to the client's right padding.
constexpr int STATUS_LEFT = 846, STATUS_RIGHT = CLIENT_WIDTH - 16;
constexpr Box STATUS_BOX = {STATUS_LEFT, BUTTON_TOP, STATUS_RIGHT - STATUS_LEFT, BUTTON_HEIGHT};
static_assert(PRINT_BUTTON_BOX.x + PRINT_BUTTON_BOX.width < STATUS_BOX.x, "the status line clears the buttons");
// A frame thinner than the window allows for leaves the client, of
// `client_height`, taller than the layout: the footer runs on to its bottom,
// and the buttons and the status line keep to the footer's middle.
constexpr Box in_footer(Box box, int client_height) {
    return {box.x, box.y + (client_height - CLIENT_HEIGHT) / 2, box.width, box.height};
}
