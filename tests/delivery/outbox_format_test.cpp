// The outbox's files as one version writes them and the next reads them,
// without a server: every text comes back exactly, whatever it holds, and a
// file with a line this version does not know, or without one it needs, is
// refused whole rather than sent half read.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <utility>

#include "delivery/delivery.h"

namespace {

// 1.4 MB each: not on the stack.
DeliveryRow written, read_back;

std::string file_of(const DeliveryRow& row) {
    static char bytes[DELIVERY_FILE_BYTES];
    const int n = delivery_file_text(row, bytes, DELIVERY_FILE_BYTES);
    return n < 0 ? "(none)" : std::string(bytes, (size_t)n);
}

// The file with the line of `column` replaced by `line`, or taken away ("").
std::string edited(std::string file, const std::string& column, const std::string& line) {
    const size_t at = file.compare(0, column.size() + 1, column + "=") == 0 ? 0 : file.find("\n" + column + "=") + 1;
    return file.replace(at, file.find('\n', at) + 1 - at, line.empty() ? "" : line + "\n");
}

// A row whose texts each differ, with every character the format escapes.
void fill_written() {
    written = {};
    for (int k = 0; k < DELIVERY_TEXT_COUNT; k++)
        text_copy(written.texts[k], DELIVERY_TEXT_CAPACITY, (L"文本" + std::to_wstring(k)).c_str());
    text_copy(written.texts[DELIVERY_PATIENT_NAME], DELIVERY_TEXT_CAPACITY, L"测试\\患者𠮷=乙");
    text_copy(written.texts[DELIVERY_INPUTS], DELIVERY_TEXT_CAPACITY, L"本餐碳水=60\r\n碳水系数=10");
    text_copy(written.texts[DELIVERY_RESULT_TEXT], DELIVERY_TEXT_CAPACITY, L"一行\n\\r 不是换行\r\n");
    written.texts[DELIVERY_VERDICT][0] = 0;
    written.tool_id = 18;
    written.level = 2;
    written.headline_value = 0.1;
}

TEST(OutboxFormat, WhatIsWrittenReadsBackAndNothingElseDoes) {
    fill_written();
    const std::string file = file_of(written);
    for (const char* line : {"format=4\n", "patient_name=测试\\\\患者𠮷=乙\n", "inputs=本餐碳水=60\\r\\n碳水系数=10\n",
                             "result_text=一行\\n\\\\r 不是换行\\r\\n\n", "verdict=\n"})
        EXPECT_NE(std::string::npos, file.find(line)) << line << " not in\n" << file;

    // The first format: no format line, no stay nor assessment time, the
    // first output's value where the headline's is now.
    std::string first = edited(file, "format", "");
    for (const char* column : {"visit_id", "admitted_at", "assessed_at"}) first = edited(first, column, "");
    first = edited(edited(first, "headline_value", "first_value=6"), "due_at", "");
    // The third: no due time.
    const std::string third = edited(edited(file, "format", "format=3"), "due_at", "");
    struct Read {
        const char* what;
        std::string file;
        int texts;        // how many of the row's texts the format holds
        double headline;  // NaN: none, NULL in the table
    };
    const Read reads[] = {
        {"as written", file, DELIVERY_TEXT_COUNT, 0.1},
        {"the first format", first, DELIVERY_VISIT_ID, NAN},
        {"the second format", "format=2\n" + first, DELIVERY_VISIT_ID, NAN},
        {"the third format", third, DELIVERY_DUE_AT, 0.1},
        {"no headline value", edited(file, "headline_value", "headline_value="), DELIVERY_TEXT_COUNT, NAN},
    };
    for (const Read& c : reads) {
        memset(&read_back, 0x55, sizeof read_back);
        ASSERT_TRUE(delivery_read_file_text(c.file.data(), (int)c.file.size(), &read_back)) << c.what;
        for (int k = 0; k < DELIVERY_TEXT_COUNT; k++)
            EXPECT_STREQ(k < c.texts ? written.texts[k] : L"", read_back.texts[k]) << c.what << " " << k;
        EXPECT_EQ(18, read_back.tool_id) << c.what;
        EXPECT_EQ(2, read_back.level) << c.what;
        if (isnan(c.headline)) {
            EXPECT_TRUE(isnan(read_back.headline_value)) << c.what;
        } else {
            EXPECT_EQ(c.headline, read_back.headline_value) << c.what;
        }
    }
    const std::pair<const char*, std::string> refused[] = {
        {"a later format", edited(file, "format", "format=5")},
        {"the due time in the third format", third + "due_at=文本20\n"},
        {"the first value in this format", edited(file, "headline_value", "first_value=6")},
        {"the stay in the first format", first + "visit_id=3\n"},
        {"a column this version does not know", file + "room=3\n"},
        {"a column missing", edited(file, "ward", "")},
        {"a column twice", file + "ward=外科\n"},
        {"an escape the format does not make", edited(file, "bed", "bed=1\\t2")},
        {"a backslash ending the value", edited(file, "bed", "bed=12\\")},
        {"a line without a value", edited(file, "bed", "bed")},
        {"the last line torn", file.substr(0, file.size() - 1)},
        {"a level that is no number", edited(file, "level", "level=二")},
        {"a tool without its number", edited(file, "tool_id", "tool_id=")},
        {"a tool's number beyond 32 bits", edited(file, "tool_id", "tool_id=2147483648")},
        {"an infinite headline", edited(file, "headline_value", "headline_value=inf")},
    };
    for (const auto& [what, bytes] : refused)
        EXPECT_FALSE(delivery_read_file_text(bytes.data(), (int)bytes.size(), &read_back)) << what;
}

}  // namespace
