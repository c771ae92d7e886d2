// Canonical composition against Unicode's own conformance file
// (NormalizationTest.txt of the same Character Database), and UTF-8 that
// is not.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/platform.h"

namespace {

// "0041 030A" as wide text.
std::wstring wide_of(const char* field) {
    std::wstring text;
    for (const char* p = field; *p;) {
        char* end;
        unsigned long c = strtoul(p, &end, 16);
        if (end == p) break;
        if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
            text += (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
            text += (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += (wchar_t)c;
        }
        p = end;
    }
    return text;
}

std::wstring nfc(const std::wstring& text) {
    wchar_t out[256];
    return text_nfc(text.c_str(), out, 256) < 0 ? L"(does not fit)" : out;
}

// c2 = NFC(c1) = NFC(c2) = NFC(c3) and c4 = NFC(c4) = NFC(c5), line by line.
TEST(Nfc, UnicodeConformance) {
    FILE* file = fopen(GLYVANT_NORMALIZATION_TEST, "r");
    ASSERT_NE(nullptr, file) << GLYVANT_NORMALIZATION_TEST;
    char line[1024];
    int lines = 0, failures = 0;
    while (fgets(line, sizeof line, file)) {
        if (line[0] == '#' || line[0] == '@' || !strchr(line, ';')) continue;
        std::wstring c[5];
        char* p = line;
        for (int k = 0; k < 5; k++) {
            char* semicolon = strchr(p, ';');
            if (!semicolon) break;
            *semicolon = 0;
            c[k] = wide_of(p);
            p = semicolon + 1;
        }
        lines++;
        const std::wstring expected[5] = {c[1], c[1], c[1], c[3], c[3]};
        for (int k = 0; k < 5; k++)
            if (nfc(c[k]) != expected[k] && failures++ < 10) ADD_FAILURE() << "line " << lines << " column " << k + 1;
    }
    fclose(file);
    EXPECT_GT(lines, 10000);
    EXPECT_EQ(0, failures);
}

TEST(Nfc, CapacityIsAllOrNothing) {
    wchar_t out[3];
    EXPECT_EQ(1, text_nfc(L"A\x30A", out, 3));  // Å
    EXPECT_STREQ(L"\xC5", out);
    EXPECT_EQ(-1, text_nfc(L"abc", out, 3));
    EXPECT_STREQ(L"", out);
}

TEST(Utf8, ValidOnlyWhenExactlyUtf8) {
    struct Case {
        const char* bytes;
        int length;
        bool valid;
    };
    const Case cases[] = {
        {"patient-name=\xe6\xb5\x8b\xe8\xaf\x95", 19, true},
        {"\xef\xbb\xbf\xef\xbf\xbd", 6, true},           // a mark, and U+FFFD written as UTF-8
        {"\xf0\xa0\xae\xb7", 4, true},                   // 𠮷
        {"\xb2\xe2\xca\xd4", 4, false},                  // 测试 in GBK
        {"12\x00" "34", 5, false},                       // a NUL cuts a number short
        {"\xc0\xaf", 2, false},                          // overlong "/"
        {"\xed\xa0\x80", 3, false},                      // a surrogate
        {"\xf4\x90\x80\x80", 4, false},                  // beyond U+10FFFF
        {"\xe6\xb5", 2, false},                          // cut off at the end
        {"\xe6\xb5" "a", 3, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.valid, utf8_valid(c.bytes, c.length)) << c.bytes;
}

}  // namespace
