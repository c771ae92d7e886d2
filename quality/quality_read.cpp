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

// Numbers 18, 37 and 39 and so on are the suite's tools (suite/); the
// names are those the view orvomed.quality_families gives the families.
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

const wchar_t REASSESSMENTS[] =
    L"SELECT ward, tool_id, due, on_time FROM orvomed.quality_reassessments "
    L"WHERE month = CAST(? AS date) AND tool_id IN (SELECT tool_id FROM orvomed.quality_families)";
const wchar_t TOTALS[] =
    L"SELECT ward, family, tool_id, assessments, patients, high_risk_results, high_risk_patients "
    L"FROM orvomed.quality_totals WHERE month = CAST(? AS date)";
const wchar_t ADMISSIONS[] =
    L"SELECT ward, braden_24h, morse_24h, nrs2002_24h, vte_24h FROM orvomed.quality_admissions "
    L"WHERE month = CAST(? AS date)";
const wchar_t STAYS[] =
    L"SELECT ward, admissions, discharges, bed_days, braden_24h, morse_24h, nrs2002_24h, vte_24h, "
    L"vte_assessed_discharges, vte_moderate_high_discharges FROM orvomed.quality_stays WHERE month = CAST(? AS date)";
// The stays view exists where IT has defined orvomed.stays; the
// information schema lists only what the login may read.
const wchar_t STAYS_FOUND[] =
    L"SELECT count(*) FROM information_schema.views WHERE table_schema = 'orvomed' AND table_name = 'quality_stays'";

constexpr int MAX_COLUMNS = 1 + QUALITY_STAY_COUNTS;
constexpr int NUMBER = 24;
constexpr int CAPACITIES[MAX_COLUMNS] = {QUALITY_WARD_TEXT, NUMBER, NUMBER, NUMBER, NUMBER, NUMBER,
                                         NUMBER,            NUMBER, NUMBER, NUMBER};
// A month's rows: each ward's scales and families, the hospital's, one row
// more to know a list cut short.
constexpr int MAX_ROWS = (QUALITY_WARD_CAPACITY + 1) * (QUALITY_TOOL_COUNT + QUALITY_FAMILY_COUNT) + 1;
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
            memcpy(f->family[m][w], f->family[m][w - 1], sizeof f->family[m][w]);
            memcpy(f->stay[m][w], f->stay[m][w - 1], sizeof f->stay[m][w]);
        }
    }
    text_copy(f->wards[at], QUALITY_WARD_TEXT, ward);
    for (int m = 0; m < QUALITY_MONTHS; m++) {
        memset(f->scale[m][at], 0, sizeof f->scale[m][at]);
        memset(f->family[m][at], 0, sizeof f->family[m][at]);
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

// Each query's columns: the ward, the keys that say what a row counts,
// then its counts, which go to `first` onwards of the scale's counts (of
// the family's, for a family's row) or of the stays'.
enum Hospital {
    HOSPITAL_ROW,        // a row of ward NULL is the whole hospital's
    HOSPITAL_SUM,        // each counted on one ward: the wards' sum is the hospital's
};
struct Query {
    const wchar_t* sql;
    int keys;    // 0, or 1 (the scale) or 2 (the family, then the scale or NULL)
    int counts;
    int first;
    bool stays;  // into the stays' counts
    Hospital hospital;
};
const Query QUERIES[] = {
    {REASSESSMENTS, 1, 2, QC_DUE, false, HOSPITAL_SUM},
    {TOTALS, 2, 4, QC_ASSESSMENTS, false, HOSPITAL_ROW},
    {STAYS, 0, QUALITY_STAY_COUNTS, 0, true, HOSPITAL_SUM},
    {ADMISSIONS, 0, 4, QS_BRADEN_24H, true, HOSPITAL_ROW},
};
enum { Q_REASSESSMENTS, Q_TOTALS, Q_STAYS, Q_ADMISSIONS };

int family_named(const wchar_t* name) {
    for (int family = 0; family < QUALITY_FAMILY_COUNT; family++)
        if (!wcscmp(quality_families[family].name, name)) return family;
    return -1;
}

// Where a row's counts go; nullptr for a scale or family the report does
// not show, false when the row is not the view's.
bool row_counts(QualityFigures* f, const Query& q, const DatabaseRows& rows, int r, int month, int place,
                int64_t** counts) {
    *counts = nullptr;
    if (q.stays) {
        *counts = f->stay[month][place];
        return true;
    }
    int family = -1;
    if (q.keys == 2) {
        if (database_cell_state(rows, r, 1) != DATABASE_CELL_TEXT) return false;
        family = family_named(database_cell(rows, r, 1));
        if (family < 0) return true;
        if (database_cell_state(rows, r, 2) == DATABASE_CELL_NULL) {
            *counts = f->family[month][place][family];
            return true;
        }
    }
    int64_t tool = 0;
    if (!cell_count(rows, r, q.keys, &tool) || database_cell_state(rows, r, q.keys) == DATABASE_CELL_NULL) return false;
    int slot = quality_tool_slot((int)tool);
    if (slot >= 0) *counts = f->scale[month][place][slot];
    return true;
}

// A row's counts into `place`, added to what is there when `add`.
bool put_row(QualityFigures* f, const Query& q, const DatabaseRows& rows, int r, int month, int place,
             const int64_t* values, bool add) {
    int64_t* counts = nullptr;
    if (!row_counts(f, q, rows, r, month, place, &counts)) return false;
    for (int c = 0; counts && c < q.counts; c++) counts[q.first + c] = (add ? counts[q.first + c] : 0) + values[c];
    return true;
}

// One query of one month into the figures: false with `*result` set when
// the answer is not one the figures can hold.
bool read_month(DatabaseLink link, const Query& q, int month_index, const wchar_t* month_text, bool listed,
                QualityFigures* f, QualityProgress* progress, QualityResult* result) {
    const int columns = 1 + q.keys + q.counts;
    const DatabaseParameter parameter = {DATABASE_TEXT, month_text, 0, 0};
    DatabaseRows rows = {columns, CAPACITIES, MAX_ROWS, cells, states, 0, false};
    DatabaseAnswer answer;
    database_calls.query(link, q.sql, &parameter, 1, ROUNDS_QUERY_TIMEOUT_SECONDS, &rows, &answer);
    if (answer.outcome != DATABASE_DONE) {
        *result = {QUALITY_NOT_READ, rounds_problem_of_query(answer)};
        return false;
    }
    if (rows.more) {
        *result = {QUALITY_TOO_MANY_WARDS, ROUNDS_READ};
        return false;
    }
    // A cut ward name would merge two wards, a count that is no number
    // would be read as another: the answer is not this program's view.
    const QualityResult mismatch = {QUALITY_NOT_READ, ROUNDS_VIEW_MISMATCH};
    for (int r = 0; r < rows.count; r++) {
        int64_t values[QUALITY_STAY_COUNTS];
        for (int c = 0; c < q.counts; c++)
            if (!cell_count(rows, r, 1 + q.keys + c, &values[c])) {
                *result = mismatch;
                return false;
            }
        const DatabaseCell ward_state = database_cell_state(rows, r, 0);
        const bool hospital = ward_state == DATABASE_CELL_NULL && q.hospital == HOSPITAL_ROW;
        if (ward_state != DATABASE_CELL_TEXT && !hospital) {
            *result = mismatch;
            return false;
        }
        int place = QUALITY_HOSPITAL;
        if (!hospital) {
            bool full = false;
            place = ward_slot(f, database_cell(rows, r, 0), listed, &full);
            if (full) {
                *result = {QUALITY_TOO_MANY_WARDS, ROUNDS_READ};
                return false;
            }
        }
        // Every ward's, asked for or not.
        if ((place >= 0 && !put_row(f, q, rows, r, month_index, place, values, false)) ||
            (q.hospital == HOSPITAL_SUM && !put_row(f, q, rows, r, month_index, QUALITY_HOSPITAL, values, true))) {
            *result = mismatch;
            return false;
        }
    }
    progress->rows += rows.count;
    return true;
}

// A family's reassessments are its scales': each counted once already.
void family_reassessments(QualityFigures* f) {
    for (int m = 0; m < QUALITY_MONTHS; m++)
        for (int place = 0; place < QUALITY_PLACES; place++) {
            if (place >= f->ward_count && place != QUALITY_HOSPITAL) continue;
            for (int family = 0; family < QUALITY_FAMILY_COUNT; family++)
                for (int c : {QC_DUE, QC_ON_TIME}) {
                    int64_t sum = 0;
                    for (int t = 0; t < quality_families[family].tool_count; t++)
                        sum += f->scale[m][place][quality_family_slot(family, t)][c];
                    f->family[m][place][family][c] = sum;
                }
        }
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
        // The admissions the rows carry stand for the stays where IT has
        // defined none. The thirteen months' trend is of the assessments
        // alone: the stays are read for the months the summary compares.
        const bool compared = m == QUALITY_THIS_MONTH || m == QUALITY_LAST_MONTH || m == QUALITY_SAME_MONTH_LAST_YEAR;
        for (int q : {Q_TOTALS, Q_REASSESSMENTS, f->stays ? Q_STAYS : Q_ADMISSIONS}) {
            if (progress->cancel) {
                result = {QUALITY_CANCELLED, ROUNDS_READ};
                break;
            }
            if (QUERIES[q].stays && !compared) continue;
            if (!read_month(link, QUERIES[q], m, month_text, listed > 0, f, progress, &result)) break;
        }
        progress->months++;
    }
    database_calls.disconnect(link);
    f->listed = listed > 0;
    family_reassessments(f);
    return result;
}
