// Finding a tool as a nurse types: the tool she means comes first, whether
// she types its title, its number, its pinyin initials or its pinyin.
#include <gtest/gtest.h>

#include "launcher/tool_search.h"
#include "suite/catalogue.h"

namespace {

TEST(ToolSearch, TheToolMeantComesFirst) {
    struct Case {
        const wchar_t* query;
        int first;  // the number of the tool found first; 0: none found
    };
    const Case cases[] = {
        {L"ylx", 18},     {L"YLX", 18},     {L"braden", 18}, {L" Braden ", 18}, {L"18", 18},
        {L"t018", 18},    {L"T18", 18},     {L"yali", 18},   {L"yal", 18},      {L"压力性", 18},
        {L"caprini", 24}, {L"wkhz", 24},    {L"nihss", 40},  {L"zjyzw", 33},    {L"ICU", 33},
        {L"外科", 24},    {L"xyzq", 0},     {L"9999", 0},    {L"", 9},          {L"pb", 101},
        {L"lv", 12},  // 率 as a pinyin keyboard types lǜ
    };
    for (const Case& c : cases) {
        int order[SEARCH_MAX_TOOLS];
        int found = search_tools(suite_tools, suite_tool_count, c.query, order);
        if (!c.first) {
            EXPECT_EQ(0, found) << c.query;
            continue;
        }
        ASSERT_GT(found, 0) << c.query;
        EXPECT_EQ(c.first, suite_tools[order[0]]->id) << c.query;
    }
    // A character read two ways is found by either reading: 长 is chang and zhang.
    const ToolDef two_readings = {.id = 1, .title = L"长期医嘱"};
    for (const wchar_t* query : {L"cqyz", L"zqyz", L"changqi", L"zhangq"})
        EXPECT_GT(search_score(two_readings, query), 0) << query;
    EXPECT_EQ(0, search_score(two_readings, L"sqyz"));
    // A title that starts with the query goes before one that holds it later.
    const ToolDef inside = {.id = 1, .title = L"静脉输液"}, starts = {.id = 2, .title = L"输液卡"};
    const ToolDef* const pair[] = {&inside, &starts};
    int order[2];
    ASSERT_EQ(2, search_tools(pair, 2, L"输液", order));
    EXPECT_EQ(1, order[0]);
}

}  // namespace
