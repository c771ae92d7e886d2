// The verdict levels' colours, their names and meanings, one table for the
// window, the printed page and the user guide; and how much of a message the
// verdict box holds.
#include "tool/tool.h"

#include <wchar.h>

namespace {

const VerdictLevel levels[VERDICT_LEVEL_COUNT] = {
    {0, 128, 96, L"绿色", L"完成"},
    {176, 132, 0, L"黄色", L"提醒"},
    {214, 108, 0, L"橙色", L"需关注"},
    {190, 30, 45, L"红色", L"需立即处理"},
};

// How wide a character shows in the verdict's font, in pixels, taken on the
// wide side: a Latin letter, digit or sign at 0.62 of the font's height, a
// space at 0.3, and everything else (Chinese, full-width signs, and the
// dashes and comparison signs a Chinese font draws wide) at the height.
int character_width(wchar_t c) {
    if (c == L' ') return VERDICT_FONT_HEIGHT * 3 / 10;
    if (c < 0x1100) return (VERDICT_FONT_HEIGHT * 62 + 99) / 100;
    return VERDICT_FONT_HEIGHT;
}

// Chinese is broken between any two characters, as it is printed, but a
// line never starts with a closing sign nor ends with an opening one; a
// run of Latin letters, digits and signs ("mmol/L", ">33.3") is a word,
// broken only at a space. From U+2E80 on: the CJK radicals, punctuation
// and ideographs, and the full-width forms.
bool is_chinese(wchar_t c) { return c >= 0x2E80; }
bool is_closing(wchar_t c) { return c && wcschr(L"，。、；：？！）》」』”’…％", c); }
bool is_opening(wchar_t c) { return c && wcschr(L"（《「『“‘", c); }
bool breaks_between(wchar_t before, wchar_t after) {
    return (is_chinese(before) || is_chinese(after)) && !is_closing(after) && !is_opening(before);
}

// The line that starts at `text[start]`: returns where it ends and sets
// `*next` to where the next one starts. As much as fits is taken, up to the
// last place the line may break (a space, which no line keeps, or between
// Chinese characters); a word wider than the box is broken within.
int fit_line(const wchar_t* text, int start, int* next) {
    int x = 0, end = -1, after = -1, i = start;
    for (; text[i]; i++) {
        wchar_t c = text[i];
        if (c == L' ') {
            end = i, after = i + 1;
            x += character_width(c);
            continue;
        }
        if (i > start && breaks_between(text[i - 1], c)) end = i, after = i;
        int w = character_width(c);
        if (i > start && x + w > VERDICT_BOX_WIDTH) {
            if (end > start) {
                *next = after;
                return end;
            }
            *next = i;
            return i;
        }
        x += w;
    }
    *next = i;
    return i;
}

}  // namespace

const VerdictLevel& verdict_level(int level) {
    return levels[level >= 0 && level < VERDICT_LEVEL_COUNT ? level : 0];
}

int verdict_lines(const wchar_t* message) {
    int lines = 1;
    for (int at = 0, next; fit_line(message, at, &next), message[next]; at = next) lines++;
    return lines;
}

int verdict_wrapped(const wchar_t* message, wchar_t* shown, int capacity) {
    if (capacity < 1) return 0;
    shown[0] = 0;
    int lines = 0, n = 0;
    for (int at = 0, next = 0; !lines || message[at]; at = next) {
        int end = fit_line(message, at, &next);
        if (lines++) n = text_append(shown, capacity, L"\r\n");
        for (int i = at; i < end && n < capacity - 1; i++) shown[n++] = message[i];
        shown[n] = 0;
    }
    return lines;
}
