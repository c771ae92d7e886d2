// Fuzzes the self-test switch and report path over arbitrary wide command
// lines, against a plain re-reading of the rule and at many buffer sizes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/app.h"

namespace {

constexpr wchar_t GUARD = 0xA5A5;
constexpr int GUARD_COUNT = 16;
constexpr int MAX_CAPACITY = 600;

// Bytes below 0xF0 are characters U+0000..U+00EF, so a seed file is the
// command line as text; 0xF0 and above start an escape whose next two bytes
// (little-endian) are any character of the Basic Multilingual Plane, the range
// both the 16-bit and the 32-bit wchar_t hold.
void decode(const uint8_t* data, size_t size, wchar_t* line) {
    int n = 0;
    for (size_t i = 0; i < size; i++) {
        if (data[i] >= 0xF0 && size - i > 2) {
            line[n++] = (wchar_t)(data[i + 1] | data[i + 2] << 8);
            i += 2;
        } else {
            line[n++] = (wchar_t)data[i];
        }
    }
    line[n] = 0;
}

// The rule read afresh: the first "--selftest", then spaces (U+0020 only),
// then a quoted path to the closing quote or the end, or a bare path to the
// next space or the end; "selftest.txt" when that is empty. Writes the path
// uncut to `path` (room for length + 13) and returns its length, or -1.
int reference_path(const wchar_t* line, int length, wchar_t* path) {
    const wchar_t key[] = L"--selftest";
    const int key_length = 10;
    int at = -1;
    for (int i = 0; i + key_length <= length && at < 0; i++) {
        int k = 0;
        while (k < key_length && line[i + k] == key[k]) k++;
        if (k == key_length) at = i;
    }
    if (at < 0) return -1;
    int p = at + key_length;
    while (p < length && line[p] == L' ') p++;
    wchar_t stop = L' ';
    if (p < length && line[p] == L'"') {
        stop = L'"';
        p++;
    }
    int n = 0;
    while (p < length && line[p] != stop) path[n++] = line[p++];
    if (n == 0) {
        const wchar_t fallback[] = L"selftest.txt";
        for (; fallback[n]; n++) path[n] = fallback[n];
    }
    return n;
}

[[noreturn]] void violated(const char* what, int capacity, const wchar_t* line) {
    fprintf(stderr, "invariant violated at capacity %d: %s\ncommand line:", capacity, what);
    for (int i = 0; line[i]; i++) fprintf(stderr, " %04X", (unsigned)line[i]);
    fprintf(stderr, "\n");
    abort();
}

void check_capacity(const wchar_t* line, int capacity, const wchar_t* expected, int expected_length) {
    wchar_t buffer[MAX_CAPACITY + 64 + GUARD_COUNT];
    for (wchar_t& c : buffer) c = GUARD;
    bool found = command_line_selftest_path(line, buffer, capacity);

    for (int i = capacity; i < capacity + GUARD_COUNT; i++)
        if (buffer[i] != GUARD) violated("written past the capacity", capacity, line);
    int length = 0;
    while (length < capacity && buffer[length] != 0) length++;
    if (length == capacity) violated("path not terminated within the capacity", capacity, line);

    if (found != (expected_length >= 0)) violated("switch found or missed wrongly", capacity, line);
    if (!found) {
        if (length != 0) violated("no switch but a path", capacity, line);
        return;
    }
    int cut = expected_length < capacity - 1 ? expected_length : capacity - 1;
    if (length != cut || wmemcmp(buffer, expected, (size_t)cut) != 0)
        violated("path differs from the reference", capacity, line);
    if (capacity >= 2 && length == 0) violated("switch found but the path is empty", capacity, line);
    if (capacity == SELFTEST_PATH_CAPACITY && length > SELFTEST_PATH_CAPACITY - 1)
        violated("path longer than 519 characters", capacity, line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the command line's size, so an overread is a sanitizer report.
    wchar_t* line = (wchar_t*)malloc((size + 1) * sizeof(wchar_t));
    decode(data, size, line);
    int length = 0;  // a NUL in the input ends the command line there
    while (line[length]) length++;
    wchar_t* expected = (wchar_t*)malloc((size_t)(length + 13) * sizeof(wchar_t));
    int expected_length = reference_path(line, length, expected);

    // The real size, the edges of the fallback name and of the path itself,
    // and one size the input's length picks.
    int n = expected_length;
    const int capacities[] = {SELFTEST_PATH_CAPACITY, SELFTEST_PATH_CAPACITY - 1,
                              SELFTEST_PATH_CAPACITY + 1, 1, 2, 12, 13, 14, n, n + 1, n + 2,
                              1 + (int)(size % MAX_CAPACITY), MAX_CAPACITY};
    for (int capacity : capacities)
        if (capacity >= 1 && capacity <= MAX_CAPACITY + 64)
            check_capacity(line, capacity, expected, expected_length);

    free(expected);
    free(line);
    return 0;
}
