// UTF-8 conversion, all or nothing, for 16- and 32-bit wide characters.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

// UTF-8 for files, UTF-16 for ODBC.
TEST(Utf8, FromWide) {
    struct Case {
        const wchar_t* text;
        const char* bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {L"", "", u""},
        {L"TOOL|9", "TOOL|9", u"TOOL|9"},
        {L"内分泌", "\xe5\x86\x85\xe5\x88\x86\xe6\xb3\x8c", u"内分泌"},
        {L"é£", "\xc3\xa9\xc2\xa3", u"é£"},
        {L"\U0001D11E", "\xf0\x9d\x84\x9e", u"\U0001D11E"},  // a surrogate pair on Windows
        {L"a\xD800z", "a\xef\xbf\xbdz", u"a\uFFFDz"},      // an unpaired surrogate
        {L"\xDC00", "\xef\xbf\xbd", u"\uFFFD"},
    };
    for (const Case& c : cases) {
        char out[32];
        int n = utf8_from_wide(c.text, out, sizeof out);
        EXPECT_EQ(std::string(c.bytes), std::string(out));
        EXPECT_EQ((int)std::string(c.bytes).size(), n);
        uint16_t units[8];
        EXPECT_EQ((int)c.units.size(), utf16_from_wide(c.text, units, 8));
        EXPECT_EQ(c.units, std::u16string(units, units + c.units.size()));
    }
    uint16_t units[2];
    EXPECT_EQ(-1, utf16_from_wide(L"\U0001D11E", units, 2));  // the pair, whole or not at all
}

TEST(Utf8, AllOrNothingAtTheCapacity) {
    char out[16];
    EXPECT_EQ(9, utf8_from_wide(L"内分泌", out, 10));
    EXPECT_EQ(-1, utf8_from_wide(L"内分泌", out, 9));
    EXPECT_STREQ("", out);
    EXPECT_EQ(-1, utf8_from_wide(L"a", out, 1));
    EXPECT_EQ(0, utf8_from_wide(L"", out, 1));

    wchar_t wide[4];
    EXPECT_EQ(3, wide_from_utf8("\xe5\x86\x85\xe5\x88\x86\xe6\xb3\x8c", wide, 4));
    EXPECT_STREQ(L"内分泌", wide);
    EXPECT_EQ(-1, wide_from_utf8("abcd", wide, 4));
    EXPECT_STREQ(L"", wide);
}

TEST(Utf8, ToWideReplacesMalformedBytes) {
    struct Case {
        const char* bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"my report.txt", L"my report.txt"},
        {"\xe8\xae\xb0\xe5\xbd\x95", L"记录"},
        {"\xf0\x9d\x84\x9e", L"\U0001D11E"},
        {"a\xffz", L"a\xFFFDz"},
        {"\xc0\xaf", L"\xFFFD\xFFFD"},          // overlong
        {"\xed\xa0\x80", L"\xFFFD\xFFFD\xFFFD"},  // an encoded surrogate
        {"\xe8\xae", L"\xFFFD\xFFFD"},          // cut short by the end
        {"\xf4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},  // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        wchar_t wide[32];
        wide_from_utf8(c.bytes, wide, 32);
        EXPECT_EQ(c.text, std::wstring(wide)) << c.bytes;
    }
}

}  // namespace
