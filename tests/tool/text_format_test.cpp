// Bounded formatting must behave the same on glibc and MinGW.
#include <gtest/gtest.h>

#include "tool/tool.h"

namespace {

TEST(TextFormat, FitsOrCutsAlikeOnEveryLibrary) {
    struct Case {
        int capacity;
        const wchar_t* expected;
        const wchar_t* marked;  // the same text as a reader must never take whole
        int result;
    };
    const Case cases[] = {
        {16, L"剂量=123456", L"剂量=123456", 9},
        {10, L"剂量=123456", L"剂量=123456", 9},  // exact fit
        {9, L"剂量=12345", L"剂量=1234…", -1},    // cut inside the number
        {4, L"剂量=", L"剂量…", -1},
        {2, L"剂", L"…", -1},
        {1, L"", L"", -1},
    };
    for (const Case& c : cases) {
        wchar_t text[32], marked[32];
        for (wchar_t& ch : text) ch = L'#';
        for (wchar_t& ch : marked) ch = L'#';
        int result = text_format(text, c.capacity, L"%ls=%d", L"剂量", 123456);
        EXPECT_STREQ(c.expected, text) << "capacity " << c.capacity;
        EXPECT_EQ(c.result, result) << "capacity " << c.capacity;
        EXPECT_EQ(L'#', text[c.capacity]) << "wrote past capacity " << c.capacity;
        EXPECT_EQ(c.result, text_format_marked(marked, c.capacity, L"%ls=%d", L"剂量", 123456));
        EXPECT_STREQ(c.marked, marked) << "capacity " << c.capacity;
        EXPECT_EQ(L'#', marked[c.capacity]) << "wrote past capacity " << c.capacity;
    }
}

TEST(TextFormat, AppendAndCopyStopWhereTheBufferIsFull) {
    wchar_t text[6] = L"ab";
    EXPECT_EQ(4, text_append(text, 6, L"cd"));
    EXPECT_EQ(5, text_append(text, 6, L"efg"));
    EXPECT_STREQ(L"abcde", text);
    EXPECT_EQ(5, text_append(text, 6, L"x"));
    EXPECT_EQ(5, text_append(text, 6, nullptr));
    EXPECT_STREQ(L"abcde", text);

    EXPECT_EQ(3, text_copy(text, 4, L"餐时胰岛素"));
    EXPECT_STREQ(L"餐时胰", text);
    EXPECT_EQ(0, text_copy(text, 6, nullptr));
    EXPECT_STREQ(L"", text);
    EXPECT_EQ(0, text_length(nullptr));
}

}  // namespace
