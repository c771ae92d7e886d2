// Fuzzes the outbox's row files, which lie in a folder any program of the
// user may write to and are sent to the hospital's database as they read:
// reading arbitrary bytes never crashes, a row read is written back as bytes
// that read as the same row, and a row of arbitrary texts survives the trip
// through its file exactly.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "delivery/delivery.h"

namespace {

// A row is 1.4 MB and its file up to 2.9 MB: too large for the stack.
DeliveryRow row, again;
char file[DELIVERY_FILE_BYTES + 16];

[[noreturn]] void violated(const char* what, const char* bytes, size_t size) {
    fprintf(stderr, "invariant violated: %s\nbytes (%zu):", what, size);
    for (size_t i = 0; i < size && i < 2000; i++) fprintf(stderr, " %02X", (unsigned)(unsigned char)bytes[i]);
    fprintf(stderr, "%s\n", size > 2000 ? " ..." : "");
    abort();
}

bool terminated(const DeliveryRow& r) {
    for (const auto& text : r.texts)
        if (wmemchr(text, 0, DELIVERY_TEXT_CAPACITY) == nullptr) return false;
    return true;
}

bool same_row(const DeliveryRow& a, const DeliveryRow& b) {
    for (int k = 0; k < DELIVERY_TEXT_COUNT; k++)
        if (wcscmp(a.texts[k], b.texts[k]) != 0) return false;
    bool value_same = (isnan(a.headline_value) && isnan(b.headline_value)) ||
                      memcmp(&a.headline_value, &b.headline_value, sizeof(double)) == 0;
    return a.tool_id == b.tool_id && a.level == b.level && value_same;
}

// Writes `r` and reads the file back: the same row, whatever it holds. In a
// buffer too small the text is refused, not written past its end.
void check_round_trip(const DeliveryRow& r, const char* input, size_t size, size_t hint) {
    int length = delivery_file_text(r, file, DELIVERY_FILE_BYTES);
    if (length <= 0 || length >= DELIVERY_FILE_BYTES || file[length] != 0)
        violated("a row that does not make a whole file", input, size);
    memset(&again, 0x55, sizeof again);
    if (!delivery_read_file_text(file, length, &again)) violated("the file written is not read", file, (size_t)length);
    if (!terminated(again) || !same_row(r, again)) violated("the file written reads as another row", file, (size_t)length);

    int capacity = 1 + (int)(hint % (size_t)length);
    memset(file + capacity, 0x7E, 16);
    if (delivery_file_text(r, file, capacity) != -1) violated("a cut file not refused", input, size);
    for (int i = capacity; i < capacity + 16; i++)
        if (file[i] != 0x7E) violated("written past the capacity", input, size);
}

// The input as the texts of a row, one per line (CR, backslashes and every
// other character kept), and the numbers from its first bytes. Bytes below
// 0xF0 are the characters U+0000..U+00EF; 0xF0 and two bytes (little-endian)
// any character of the Basic Multilingual Plane but a surrogate; 0xF1, a count
// n and a byte c are c repeated 128 * (n + 1) times, so a short input reaches
// a text's whole length. A NUL ends its text.
void build_row(const uint8_t* data, size_t size) {
    memset(&row, 0, sizeof row);
    size_t i = 0;
    for (int k = 0; k < DELIVERY_TEXT_COUNT && i < size; k++, i++) {
        wchar_t* text = row.texts[k];
        int n = 0;
        bool ended = false;
        auto put = [&](wchar_t c) {
            if (c == 0) ended = true;
            if (!ended && n < DELIVERY_TEXT_CAPACITY - 1) text[n++] = c;
        };
        for (; i < size && data[i] != '\n'; i++) {
            if (data[i] == 0xF0 && size - i > 2) {
                wchar_t c = (wchar_t)(data[i + 1] | data[i + 2] << 8);
                if (c < 0xD800 || c > 0xDFFF) put(c);
                i += 2;
            } else if (data[i] == 0xF1 && size - i > 2) {
                for (int r = 0; r < 128 * (data[i + 1] + 1); r++) put(data[i + 2]);
                i += 2;
            } else {
                put(data[i]);
            }
        }
        text[n] = 0;
    }
    int32_t numbers[2] = {9, 2};
    memcpy(numbers, data, size < sizeof numbers ? size : sizeof numbers);
    row.tool_id = numbers[0];
    row.level = numbers[1];
    row.headline_value = 14.5;
    if (size >= 16) memcpy(&row.headline_value, data + 8, sizeof(double));
    // A row holds a finite value or none (NaN, NULL in the table).
    if (!isfinite(row.headline_value)) row.headline_value = NAN;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the file's bytes, unterminated as read from the disk.
    char* bytes = (char*)malloc(size ? size : 1);
    memcpy(bytes, data, size);
    memset(&row, 0x55, sizeof row);
    if (delivery_read_file_text(bytes, (int)size, &row)) {
        if (!terminated(row)) violated("a text read is not terminated within its capacity", bytes, size);
        check_round_trip(row, bytes, size, size);
    }
    build_row(data, size);
    check_round_trip(row, bytes, size, size * 7 + 3);
    free(bytes);
    return 0;
}
