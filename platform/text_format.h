// Bounded wide-text formatting and copying that behave alike on glibc and
// MinGW: every text the program builds, from the platform's paths up.
#pragma once

#include <stdarg.h>

// printf-style formatting of wide text into `text` of `capacity` characters
// (at least 1). The same on every C library: a text that fits is written whole
// and its length returned; a longer one is cut to capacity - 1 characters,
// terminated, and -1 returned.
int text_format(wchar_t* text, int capacity, const wchar_t* format, ...);
int text_vformat(wchar_t* text, int capacity, const wchar_t* format, va_list args);

// The character a cut text ends with, so that a part never passes for the
// whole.
constexpr wchar_t TEXT_CUT_MARK = L'\x2026';  // "…"

// text_format for texts a reader takes as whole (a result line, a record
// field): one that does not fit ends with TEXT_CUT_MARK in its last kept
// place. Returns the length, or -1 when the text was cut.
int text_format_marked(wchar_t* text, int capacity, const wchar_t* format, ...);
int text_vformat_marked(wchar_t* text, int capacity, const wchar_t* format, va_list args);

// Appends `piece` to the terminated `text`, cut where `text` is full; nothing
// at all when the capacity is below 1. Returns the new length.
int text_append(wchar_t* text, int capacity, const wchar_t* piece);

// Copies `piece` into `text`, cut to capacity - 1 characters; nullptr copies
// as empty. Returns the length written.
int text_copy(wchar_t* text, int capacity, const wchar_t* piece);

// Length of a terminated wide text; nullptr counts as empty.
int text_length(const wchar_t* text);
