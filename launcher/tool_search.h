// Finding a tool of the suite as a nurse types: by part of its title,
// summary or category, by its number, by the pinyin initials of its title
// ("ylx" for 压力性…) or the start of its full pinyin ("yali"), as every
// hospital information system she uses is searched.
#pragma once

#include "tool/tool.h"

// One pinyin reading of a Han character, without tone ("ya", "lv"), and
// whether it is the character's customary reading (分 is fen; ban is rare).
struct PinyinReading {
    unsigned int code;
    const char* syllable;
    bool common;
};
// Every reading of every character the suite's descriptors write, ordered
// by code; generated at build time from the Unicode Han database.
extern const PinyinReading pinyin_readings[];
extern const int pinyin_reading_count;

// The readings of `c`: how many, and the first of them in `*first`.
int pinyin_of(unsigned int c, const PinyinReading** first);

// How well `query` finds `tool`: 0 not at all, higher for a better match
// (its number, then its title, its title's pinyin, then its summary or
// category). Case does not matter for Latin letters; spaces around the
// query do not count, and an empty query finds every tool.
int search_score(const ToolDef& tool, const wchar_t* query);

// The tools that `query` finds, best first and, among equals, by number:
// their indices into `tools` in `order` (room for `count`). Returns how
// many; at most SEARCH_MAX_TOOLS are ranked.
constexpr int SEARCH_MAX_TOOLS = 1024;
int search_tools(const ToolDef* const* tools, int count, const wchar_t* query, int* order);
