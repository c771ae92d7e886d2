// Bounded wide-text formatting that behaves alike on glibc and MinGW.
#include "platform/text_format.h"

#include <stdarg.h>
#include <wchar.h>

// glibc's vswprintf returns -1 on a cut and leaves the last slot unterminated;
// MinGW's C99 version returns the untruncated length and terminates. Both have
// written the first capacity - 1 characters by then, so terminating there and
// reporting -1 gives the one behaviour callers rely on.
int text_vformat(wchar_t* text, int capacity, const wchar_t* format, va_list args) {
    if (capacity < 1) return -1;
    text[0] = 0;
    int written = vswprintf(text, (size_t)capacity, format, args);
    if (written < 0 || written >= capacity) {
        text[capacity - 1] = 0;
        return -1;
    }
    return written;
}

int text_format(wchar_t* text, int capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = text_vformat(text, capacity, format, args);
    va_end(args);
    return written;
}

int text_vformat_marked(wchar_t* text, int capacity, const wchar_t* format, va_list args) {
    int written = text_vformat(text, capacity, format, args);
    if (written < 0 && capacity > 1) text[capacity - 2] = TEXT_CUT_MARK;
    return written;
}

int text_format_marked(wchar_t* text, int capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = text_vformat_marked(text, capacity, format, args);
    va_end(args);
    return written;
}

int text_length(const wchar_t* text) {
    if (!text) return 0;
    int n = 0;
    while (text[n]) n++;
    return n;
}

int text_append(wchar_t* text, int capacity, const wchar_t* piece) {
    if (capacity < 1) return 0;
    int n = text_length(text);
    if (!piece) return n;
    while (n < capacity - 1 && *piece) text[n++] = *piece++;
    if (n < capacity) text[n] = 0;
    return n;
}

int text_copy(wchar_t* text, int capacity, const wchar_t* piece) {
    if (capacity < 1) return 0;
    text[0] = 0;
    return text_append(text, capacity, piece);
}
