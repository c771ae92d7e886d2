// The quality views read one month at a time, every value a bound
// parameter: a month's rows of every ward and scale fit the seam, where
// thirteen would not. The month goes as text the server casts, which both
// PostgreSQL and SQL Server read alike.
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "delivery/delivery.h"
#include "platform/text_format.h"
#include "quality/quality.h"

// Numbers 18, 37 and 39 and so on are the suite's tools (suite/).
const QualityFamily quality_families[QUALITY_FAMILY_COUNT] = {
    {L"压力性损伤", L"住院患者压力性损伤风险评估（护理敏感质量指标 2016；护理专业医疗质量控制指标 2020）",
     {18, 37, 39}, {L"Braden", L"Norton", L"Waterlow"}, 3, QS_BRADEN_24H, false},
    {L"跌倒", L"住院患者跌倒风险评估（护理敏感质量指标 2016；护理专业医疗质量控制指标 2020）",
     {19, 34}, {L"Morse", L"Humpty Dumpty"}, 2, QS_MORSE_24H, false},
    {L"VTE", L"住院患者 VTE 风险评估（VTE 防治质量指标 2022；国家医疗质量安全改进目标 2021–2023）",
     {24, 22, 36}, {L"Caprini", L"Padua", L"Autar"}, 3, QS_VTE_24H, true},
    {L"营养", L"住院患者营养风险筛查（NRS 2002）",
     {21}, {L"NRS 2002"}, 1, QS_NRS2002_24H, false},
    {L"早期预警", L"病情变化早期预警评分（NEWS2、MEWS、PEWS）",
     {23, 31, 35}, {L"NEWS2", L"MEWS", L"PEWS"}, 3, -1, false},
};

int quality_family_slot(int family, int tool) {
    int slot = 0;
    for (int f = 0; f < family; f++) slot += quality_families[f].tool_count;
    return slot + tool;
}

namespace {

// A scale's place among every family's scales, or -1.
int quality_tool_slot(int tool_id) {
    for (int f = 0; f < QUALITY_FAMILY_COUNT; f++)
        for (int t = 0; t < quality_families[f].tool_count; t++)
            if (quality_families[f].tools[t] == tool_id) return quality_family_slot(f, t);
    return -1;
}

}  // namespace

bool quality_month_parse(const wchar_t* text, QualityMonth* month) {
    if (!text) return false;
    int year = 0, m = 0, digits = 0;
    const wchar_t* p = text;
    for (; *p >= L'0' && *p <= L'9' && digits < 4; p++, digits++) year = year * 10 + (*p - L'0');
    if (digits != 4 || *p++ != L'-') return false;
    for (digits = 0; *p >= L'0' && *p <= L'9' && digits < 2; p++, digits++) m = m * 10 + (*p - L'0');
    if (digits == 0 || *p || m < 1 || m > 12 || year < 2000 || year > 9998) return false;
    *month = {year, m};
    return true;
}

QualityMonth quality_month_add(QualityMonth month, int months) {
    int index = month.year * 12 + (month.month - 1) + months;
    return {index / 12, index % 12 + 1};
}

void quality_month_text(QualityMonth month, wchar_t* text, int capacity) {
    text_format(text, capacity, L"%04d-%02d", month.year, month.month);
}

namespace {

// The scales every query asks for: the families' own.
#define TOOLS L"(18, 37, 39, 19, 34, 24, 22, 36, 21, 23, 31, 35)"
const wchar_t SCALES[] =
    L"SELECT ward, tool_id, assessments, patients, high_risk_results, high_risk_patients "
    L"FROM orvomed.quality_scales WHERE month = CAST(? AS date) AND tool_id IN " TOOLS;
const wchar_t REASSESSMENTS[] =
    L"SELECT ward, tool_id, due, on_time FROM orvomed.quality_reassessments "
    L"WHERE month = CAST(? AS date) AND tool_id IN " TOOLS;
const wchar_t STAYS[] =
    L"SELECT ward, admissions, discharges, bed_days, braden_24h, morse_24h, nrs2002_24h, vte_24h, "
    L"vte_assessed_discharges, vte_moderate_high_discharges FROM orvomed.quality_stays WHERE month = CAST(? AS date)";
// The stays view exists where IT has defined orvomed.stays; the
// information schema lists only what the login may read.
const wchar_t STAYS_FOUND[] =
    L"SELECT count(*) FROM information_schema.views WHERE table_schema = 'orvomed' AND table_name = 'quality_stays'";

constexpr int SCALE_COUNT_COLUMNS = 4, REASSESS_COUNT_COLUMNS = 2;
constexpr int MAX_COLUMNS = 1 + QUALITY_STAY_COUNTS;
constexpr int NUMBER = 24;
constexpr int CAPACITIES[MAX_COLUMNS] = {QUALITY_WARD_TEXT, NUMBER, NUMBER, NUMBER, NUMBER, NUMBER,
                                         NUMBER,            NUMBER, NUMBER, NUMBER};
// A month's rows: each ward's scales, one row more to know a list cut short.
constexpr int MAX_ROWS = QUALITY_WARD_CAPACITY * QUALITY_TOOL_COUNT + 1;
constexpr int ROW_WIDTH = QUALITY_WARD_TEXT + (MAX_COLUMNS - 1) * NUMBER;
static_assert(ROW_WIDTH * MAX_ROWS <= DATABASE_ANSWER_UNITS, "a month fits the seam");
static_assert(MAX_COLUMNS * MAX_ROWS <= DATABASE_ANSWER_CELLS, "a month fits the seam");
wchar_t cells[ROW_WIDTH * MAX_ROWS];
DatabaseCell states[MAX_COLUMNS * MAX_ROWS];

bool cell_count(const DatabaseRows& rows, int row, int column, int64_t* value) {
    *value = 0;
    DatabaseCell state = database_cell_state(rows, row, column);
    if (state == DATABASE_CELL_NULL) return true;
    const wchar_t* text = database_cell(rows, row, column);
    wchar_t* end = nullptr;
    long long v = wcstoll(text, &end, 10);
    if (state != DATABASE_CELL_TEXT || !text[0] || *end || v < 0) return false;
    *value = v;
    return true;
}

// Names split by commas (either width), spaces around each dropped.
int listed_wards(const wchar_t* wards, QualityFigures* figures) {
    int count = 0;
    for (const wchar_t* p = wards; p && *p;) {
        while (*p == L' ') p++;
        const wchar_t* end = p;
        while (*end && *end != L',' && *end != L'，') end++;
        const wchar_t* last = end;
        while (last > p && last[-1] == L' ') last--;
        if (last > p) {
            if (count == QUALITY_WARD_CAPACITY || last - p >= QUALITY_WARD_TEXT) return -1;
            wmemcpy(figures->wards[count], p, last - p);
            figures->wards[count][last - p] = 0;
            bool twice = false;
            for (int w = 0; w < count && !twice; w++) twice = !wcscmp(figures->wards[w], figures->wards[count]);
            if (!twice) count++;
        }
        p = *end ? end + 1 : end;
    }
    return count;
}

// The ward's place, added in name order when new; -1 when it is not one of
// the wards asked for, or there is no room.
int ward_slot(QualityFigures* f, const wchar_t* ward, bool listed, bool* full) {
    int at = 0;
    while (at < f->ward_count && wcscmp(f->wards[at], ward) < 0) at++;
    if (at < f->ward_count && !wcscmp(f->wards[at], ward)) return at;
    if (listed) return -1;
    if (f->ward_count == QUALITY_WARD_CAPACITY) {
        *full = true;
        return -1;
    }
    // Rows already read move with their ward.
    for (int w = f->ward_count; w > at; w--) {
        text_copy(f->wards[w], QUALITY_WARD_TEXT, f->wards[w - 1]);
        for (int m = 0; m < QUALITY_MONTHS; m++) {
            memcpy(f->scale[m][w], f->scale[m][w - 1], sizeof f->scale[m][w]);
            memcpy(f->stay[m][w], f->stay[m][w - 1], sizeof f->stay[m][w]);
        }
    }
    text_copy(f->wards[at], QUALITY_WARD_TEXT, ward);
    for (int m = 0; m < QUALITY_MONTHS; m++) {
        memset(f->scale[m][at], 0, sizeof f->scale[m][at]);
        memset(f->stay[m][at], 0, sizeof f->stay[m][at]);
    }
    f->ward_count++;
    return at;
}

void sort_listed(QualityFigures* f) {
    for (int i = 1; i < f->ward_count; i++)
        for (int j = i; j > 0 && wcscmp(f->wards[j - 1], f->wards[j]) > 0; j--) {
            wchar_t held[QUALITY_WARD_TEXT];
            text_copy(held, QUALITY_WARD_TEXT, f->wards[j]);
            text_copy(f->wards[j], QUALITY_WARD_TEXT, f->wards[j - 1]);
            text_copy(f->wards[j - 1], QUALITY_WARD_TEXT, held);
        }
}

enum Query { Q_SCALES, Q_REASSESSMENTS, Q_STAYS };

// One query of one month into the figures: false with `*result` set when
// the answer is not one the figures can hold.
bool read_month(DatabaseLink link, Query query, int month_index, const wchar_t* month_text, bool listed,
                QualityFigures* f, QualityProgress* progress, QualityResult* result) {
    const wchar_t* sql = query == Q_SCALES ? SCALES : query == Q_REASSESSMENTS ? REASSESSMENTS : STAYS;
    const int columns = query == Q_SCALES ? 2 + SCALE_COUNT_COLUMNS
                        : query == Q_REASSESSMENTS ? 2 + REASSESS_COUNT_COLUMNS
                                                   : 1 + QUALITY_STAY_COUNTS;
    const DatabaseParameter parameter = {DATABASE_TEXT, month_text, 0, 0};
    DatabaseRows rows = {columns, CAPACITIES, MAX_ROWS, cells, states, 0, false};
    DatabaseAnswer answer;
    database_calls.query(link, sql, &parameter, 1, ROUNDS_QUERY_TIMEOUT_SECONDS, &rows, &answer);
    if (answer.outcome != DATABASE_DONE) {
        *result = {QUALITY_NOT_READ, rounds_problem_of_query(answer)};
        return false;
    }
    if (rows.more) {
        *result = {QUALITY_TOO_MANY_WARDS, ROUNDS_READ};
        return false;
    }
    for (int r = 0; r < rows.count; r++) {
        // A cut ward name would merge two wards, a count that is no number
        // would be read as another: the answer is not this program's view.
        if (database_cell_state(rows, r, 0) != DATABASE_CELL_TEXT) {
            *result = {QUALITY_NOT_READ, ROUNDS_VIEW_MISMATCH};
            return false;
        }
        int64_t values[QUALITY_STAY_COUNTS];
        int first = query == Q_STAYS ? 1 : 2;
        for (int c = first; c < columns; c++)
            if (!cell_count(rows, r, c, &values[c - first])) {
                *result = {QUALITY_NOT_READ, ROUNDS_VIEW_MISMATCH};
                return false;
            }
        bool full = false;
        int ward = ward_slot(f, database_cell(rows, r, 0), listed, &full);
        if (full) {
            *result = {QUALITY_TOO_MANY_WARDS, ROUNDS_READ};
            return false;
        }
        if (ward < 0) continue;
        if (query == Q_STAYS) {
            for (int c = 0; c < QUALITY_STAY_COUNTS; c++) f->stay[month_index][ward][c] = values[c];
        } else {
            int64_t tool = 0;
            if (!cell_count(rows, r, 1, &tool)) {
                *result = {QUALITY_NOT_READ, ROUNDS_VIEW_MISMATCH};
                return false;
            }
            int slot = quality_tool_slot((int)tool);
            if (slot < 0) continue;
            int64_t* counts = f->scale[month_index][ward][slot];
            if (query == Q_SCALES)
                for (int c = 0; c < SCALE_COUNT_COLUMNS; c++) counts[QC_ASSESSMENTS + c] = values[c];
            else
                for (int c = 0; c < REASSESS_COUNT_COLUMNS; c++) counts[QC_DUE + c] = values[c];
        }
    }
    progress->rows += rows.count;
    return true;
}

}  // namespace

QualityResult quality_read(const wchar_t* connection, QualityMonth month, const wchar_t* wards,
                           QualityFigures* f, QualityProgress* progress) {
    memset(f, 0, sizeof *f);
    f->month = month;
    if (!connection || !connection[0]) return {QUALITY_NO_CONNECTION, ROUNDS_READ};
    if (text_length(connection) > DELIVERY_CONNECTION_LIMIT) return {QUALITY_NOT_READ, ROUNDS_CONNECTION_TOO_LONG};
    int listed = listed_wards(wards, f);
    if (listed < 0) return {QUALITY_TOO_MANY_WARDS, ROUNDS_READ};
    f->ward_count = listed;
    sort_listed(f);
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(connection, DELIVERY_LOGIN_TIMEOUT_SECONDS, &answer);
    if (link == DATABASE_NO_LINK) return {QUALITY_NOT_READ, rounds_problem_of_connection(answer)};
    QualityResult result = {QUALITY_WRITTEN, ROUNDS_READ};
    DatabaseRows found = {1, CAPACITIES + 1, 1, cells, states, 0, false};
    database_calls.query(link, STAYS_FOUND, nullptr, 0, ROUNDS_QUERY_TIMEOUT_SECONDS, &found, &answer);
    if (answer.outcome != DATABASE_DONE) result = {QUALITY_NOT_READ, rounds_problem_of_query(answer)};
    f->stays = found.count == 1 && wcscmp(database_cell(found, 0, 0), L"0") != 0;
    for (int m = 0; m < QUALITY_MONTHS && result.outcome == QUALITY_WRITTEN; m++) {
        wchar_t month_text[16];
        QualityMonth which = quality_month_add(month, m - QUALITY_THIS_MONTH);
        text_format(month_text, 16, L"%04d-%02d-01", which.year, which.month);
        for (Query q : {Q_SCALES, Q_REASSESSMENTS, Q_STAYS}) {
            if (progress->cancel) {
                result = {QUALITY_CANCELLED, ROUNDS_READ};
                break;
            }
            if (q == Q_STAYS && !f->stays) continue;
            if (!read_month(link, q, m, month_text, listed > 0, f, progress, &result)) break;
        }
        progress->months++;
    }
    database_calls.disconnect(link);
    return result;
}
