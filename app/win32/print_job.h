// What the parts of printing share: the job's one record, made by
// print_layout (print_pages.cpp) from the document that print_compose.cpp
// writes, read by print_draw.cpp for each page, sent by print_dialog.cpp.
// Private to those files.
#pragma once

#include "app/win32/main_window.h"

namespace printing {

// What is printed, line by line, before it is wrapped to the paper.
enum LineStyle { TITLE, SMALL, HEADING, BODY, STYLE_COUNT };

struct DocumentLine {
    int start, length;
    LineStyle style;
};

// One printed row: a wrapped piece of a line, and where it stands.
struct Row {
    int start, length;
    LineStyle style;
    int page, y;  // 1-based page; y from the top of the body
};

// The document holds the result and, beside it, a line for each input, a
// heading for each section, the earlier assessments' table and at most a
// dozen others, each cut with "…" at
// LINE_CAPACITY, so the whole always fits. Every line of the result is at
// least its line break long.
constexpr int LINE_CAPACITY = 1024;
constexpr int PRINT_EARLIER_ROWS = 10;
constexpr int DOCUMENT_OTHER_LINES = 2 * TOOL_MAX_INPUTS + PRINT_EARLIER_ROWS + 2 + 12;
constexpr int DOCUMENT_CAPACITY = RESULT_TEXT_CAPACITY + DOCUMENT_OTHER_LINES * LINE_CAPACITY;
constexpr int DOCUMENT_MAX_LINES = RESULT_TEXT_CAPACITY / 2 + DOCUMENT_OTHER_LINES;

// A patient's label：value pair, and a line of them.
constexpr int PAIR_CAPACITY = 2 * PATIENT_FIELD_CAPACITY + 16;
constexpr int PATIENT_LINE_CAPACITY = 4 * PAIR_CAPACITY;

// One job: its document and the layout of its pages. It keeps the lines,
// not their rows: a row per wrapped piece would take a megabyte, and the
// printer's device context wraps the same text the same way every time.
struct Job {
    wchar_t text[DOCUMENT_CAPACITY];
    int text_length;
    DocumentLine lines[DOCUMENT_MAX_LINES];
    int line_count;
    int page_count;
    HFONT fonts[STYLE_COUNT];
    int left, top, body_width, body_height, footer_top, right;
    int head_height;    // a later page's running head, above its body
    int signature_top;  // the signature's row, at the foot of the last page's body
    wchar_t printed_at[32];
    // Atop every page after the first, so that a loose page still names
    // its patient; at the foot of the last.
    wchar_t running_head[PATIENT_LINE_CAPACITY];
    wchar_t signature[PATIENT_LINE_CAPACITY];
};

// The job there is, held once and static: the window's thread alone
// prints, one job at a time, and the program keeps no heap of its own.
extern Job the_job;

// ---- The document (print_compose.cpp) ------------------------------------------

// Writes the document of the last result into `job`, its patient block
// broken to the body's width as `dc` measures it.
void compose(Job& job, HDC dc);

// ---- Paging (print_pages.cpp) ------------------------------------------------------

// A row's height in `style`, whose font it leaves selected into `dc`.
int row_height(const Job& job, HDC dc, LineStyle style);

// A later page's body starts below its running head; every page's body
// ends at the same place.
inline int body_top(const Job& job, int page) { return job.top + (page > 1 ? job.head_height : 0); }
inline int body_height(const Job& job, int page) { return job.body_height - (page > 1 ? job.head_height : 0); }

// A walk through the document's rows from the first: where the next row
// starts, and the row found last.
struct RowWalk {
    int line = 0, at = 0, page = 1, y = 0;
    Row row = {};
};

// Finds the next row as `dc` wraps the document, with its style's font
// selected into `dc`; false after the last. A row holds at least one
// character, or is an empty line.
bool next_row(const Job& job, HDC dc, RowWalk& walk);

// ---- Drawing (print_draw.cpp) ------------------------------------------------------

// Draws page `number` (from 1) of the job's layout, its footer included,
// into `dc`: the printer's the layout was made for, or a memory DC.
void draw_page(const Job& job, HDC dc, int number);

}  // namespace printing
