// The verdict levels' colours, their names and meanings, one table for the
// window, the printed page and the user guide; and how much of a message the
// verdict box holds.
#include "tool/tool.h"

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

}  // namespace

const VerdictLevel& verdict_level(int level) {
    return levels[level >= 0 && level < VERDICT_LEVEL_COUNT ? level : 0];
}

int verdict_lines(const wchar_t* message) {
    int lines = 1, x = 0;
    for (const wchar_t* p = message; *p;) {
        const wchar_t* end = p;
        int word = 0;
        while (*end && *end != L' ') word += character_width(*end++);
        if (x > 0 && x + word > VERDICT_BOX_WIDTH) lines++, x = 0;
        for (const wchar_t* c = p; c < end; c++) {
            int w = character_width(*c);
            if (x > 0 && x + w > VERDICT_BOX_WIDTH) lines++, x = 0;
            x += w;
        }
        if (*end == L' ') x += character_width(*end++);
        p = end;
    }
    return lines;
}
