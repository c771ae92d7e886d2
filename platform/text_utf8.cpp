// UTF-8 conversion in both directions, for wchar_t of 16 or 32 bits.
#include "platform/platform.h"

#include <stdint.h>

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

bool is_high_surrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Reads one code point from wide text, joining a UTF-16 surrogate pair.
uint32_t next_code_point(const wchar_t*& p) {
    uint32_t c = (uint32_t)*p++;
    if (sizeof(wchar_t) == 2 && is_high_surrogate(c) && is_low_surrogate((uint32_t)*p)) {
        uint32_t low = (uint32_t)*p++;
        return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    if (is_high_surrogate(c) || is_low_surrogate(c) || c > 0x10FFFF) return REPLACEMENT;
    return c;
}

int encode_utf8(uint32_t c, char* out) {
    if (c < 0x80) {
        out[0] = (char)c;
        return 1;
    }
    if (c < 0x800) {
        out[0] = (char)(0xC0 | (c >> 6));
        out[1] = (char)(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = (char)(0xE0 | (c >> 12));
        out[1] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[2] = (char)(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = (char)(0xF0 | (c >> 18));
    out[1] = (char)(0x80 | ((c >> 12) & 0x3F));
    out[2] = (char)(0x80 | ((c >> 6) & 0x3F));
    out[3] = (char)(0x80 | (c & 0x3F));
    return 4;
}

// Decodes one UTF-8 sequence; overlong forms, surrogates and stray bytes give
// U+FFFD and consume one byte, so decoding always moves on.
uint32_t next_utf8(const unsigned char*& p) {
    unsigned char b = *p;
    if (b < 0x80) {
        p++;
        return b;
    }
    int extra = b < 0xC2 ? -1 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : -1;
    if (extra < 0) {
        p++;
        return REPLACEMENT;
    }
    uint32_t c = b & (0x3F >> extra);
    for (int i = 1; i <= extra; i++) {
        if ((p[i] & 0xC0) != 0x80) {
            p++;
            return REPLACEMENT;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    static const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        p++;
        return REPLACEMENT;
    }
    p += extra + 1;
    return c;
}

}  // namespace

int utf8_from_wide(const wchar_t* text, char* out, int capacity) {
    if (capacity < 1) return -1;
    int n = 0;
    for (const wchar_t* p = text; *p;) {
        char bytes[4];
        int count = encode_utf8(next_code_point(p), bytes);
        if (n + count > capacity - 1) {
            out[0] = 0;
            return -1;
        }
        for (int i = 0; i < count; i++) out[n++] = bytes[i];
    }
    out[n] = 0;
    return n;
}

int utf16_from_wide(const wchar_t* text, uint16_t* out, int capacity) {
    if (capacity < 1) return -1;
    int n = 0;
    for (const wchar_t* p = text; *p;) {
        uint32_t c = next_code_point(p);
        if (n + (c >= 0x10000 ? 2 : 1) > capacity - 1) {
            out[0] = 0;
            return -1;
        }
        if (c >= 0x10000) {
            out[n++] = (uint16_t)(0xD800 + ((c - 0x10000) >> 10));
            out[n++] = (uint16_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[n++] = (uint16_t)c;
        }
    }
    out[n] = 0;
    return n;
}

bool wide_append_code_point(uint32_t c, wchar_t* out, int* length, int capacity) {
    bool pair = sizeof(wchar_t) == 2 && c >= 0x10000;
    if (*length + (pair ? 2 : 1) > capacity - 1) return false;
    if (pair) {
        out[(*length)++] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
        out[(*length)++] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out[(*length)++] = (wchar_t)c;
    }
    return true;
}

int wide_from_utf8(const char* text, wchar_t* out, int capacity) {
    if (capacity < 1) return -1;
    int n = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p;) {
        if (!wide_append_code_point(next_utf8(p), out, &n, capacity)) {
            out[0] = 0;
            return -1;
        }
    }
    out[n] = 0;
    return n;
}

bool utf8_valid(const char* bytes, int length) {
    const unsigned char* p = (const unsigned char*)bytes;
    const unsigned char* end = p + length;
    while (p < end) {
        if (*p == 0) return false;
        if (*p < 0x80) {
            p++;
            continue;
        }
        // The decoder reads up to the next byte that is no continuation: a
        // terminated copy of the sequence keeps it within the text.
        unsigned char sequence[5] = {};
        int k = 0;
        for (; k < 4 && p + k < end && (k == 0 || (p[k] & 0xC0) == 0x80); k++) sequence[k] = p[k];
        const unsigned char* q = sequence;
        if (next_utf8(q) == REPLACEMENT && !(k >= 3 && sequence[0] == 0xEF && sequence[1] == 0xBF && sequence[2] == 0xBD))
            return false;
        p += q - sequence;
    }
    return true;
}
