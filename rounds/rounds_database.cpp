// The ward's list and a patient's course from the hospital's database,
// through the reading login: one view of the last days' assessments, and
// the hospital's stays where its IT defines them. Every statement is plain
// SQL both PostgreSQL and SQL Server read, every value a bound parameter;
// the times asked for are the server's own (the view's days) or counted
// here, so that no time text crosses in a dialect of one server. The one
// statement that differs between them is the census's correlated lookup.
#include <math.h>
#include <string.h>
#include <wchar.h>

#include <atomic>
#include <initializer_list>

#include "delivery/delivery.h"
#include "rounds/rounds.h"
#include "rounds/rounds_read.h"

namespace {

constexpr int64_t DAY = 24 * 3600;

// Whether the reading login finds orvomed.stays, and whether the server is
// PostgreSQL: the information schema lists only what a login may read, on
// either server, so one statement serves both and a stays not granted to
// it reads as none.
const wchar_t SERVER_FOUND[] =
    L"SELECT (SELECT count(*) FROM information_schema.tables WHERE table_schema = 'orvomed' AND table_name = 'stays'), "
    L"(SELECT count(*) FROM information_schema.tables WHERE table_schema = 'pg_catalog' AND table_name = 'pg_class')";

// The columns both list queries give, in this order.
enum ListColumn {
    L_PATIENT_ID, L_PATIENT_NAME, L_BED, L_WARD, L_VISIT_ID, L_ADMITTED_AT, L_NURSE_ID, L_NURSE_NAME,
    L_TOOL_ID, L_VALUE, L_LEVEL, L_BAND, L_ASSESSED_AT, L_DUE_AT, L_PATIENT_LATEST, LIST_COLUMNS,
};
// A time goes as the server's own text, which keeps its offset on either
// server: a driver's conversion of a time to text may drop it
// (PostgreSQL's ODBC driver writes the session's local time alone).
#define TIME_TEXT(column) L"CAST(" column L" AS varchar(40))"
#define LIST_SELECT                                                                                        \
    L"SELECT patient_id, patient_name, bed, ward, visit_id, " TIME_TEXT(L"admitted_at") L", nurse_id, "     \
    L"nurse_name, tool_id, headline_value, \"level\", band, " TIME_TEXT(L"assessed_at") L", "                \
    TIME_TEXT(L"due_at") L", " TIME_TEXT(L"patient_latest") L" FROM ("
// Every patient in hospital on the ward, with the latest assessment of each
// scale since the admission (a patient of none: one row, its scale NULL).
// The patients seen most lately first, so that a list cut short loses
// those seen longest ago. Each patient's rows are looked up by the
// patient (a correlated subquery: PostgreSQL's LATERAL, SQL Server's
// APPLY), which reaches into the view's index: a plain join could not
// pass the security barrier and would read every ward's month.
#define CENSUS_QUERY(join, on)                                                                                  \
    LIST_SELECT                                                                                                 \
    L"SELECT s.patient_id, s.patient_name, s.bed, s.ward, s.visit_id, s.admitted_at, a.nurse_id, a.nurse_name, " \
    L"a.tool_id, a.headline_value, a.\"level\", a.band, a.assessed_at, a.due_at, "                               \
    L"MAX(a.assessed_at) OVER (PARTITION BY s.patient_id, s.patient_name) AS patient_latest "                    \
    L"FROM orvomed.stays s " join L" (SELECT * FROM (SELECT r.nurse_id, r.nurse_name, r.tool_id, "               \
    L"r.headline_value, r.\"level\", r.band, r.assessed_at, r.due_at, "                                          \
    L"ROW_NUMBER() OVER (PARTITION BY r.tool_id ORDER BY r.assessed_at DESC) AS latest "                        \
    L"FROM orvomed.recent_assessments r WHERE r.patient_id = s.patient_id AND r.patient_name = s.patient_name "  \
    L"AND (s.admitted_at IS NULL OR r.assessed_at >= s.admitted_at)) x WHERE x.latest = 1) a" on                \
    L" WHERE s.ward = ? AND s.discharged_at IS NULL) t ORDER BY t.patient_latest DESC"
const wchar_t CENSUS_POSTGRESQL[] = CENSUS_QUERY(L"LEFT JOIN LATERAL", L" ON 1 = 1");
const wchar_t CENSUS_SQL_SERVER[] = CENSUS_QUERY(L"OUTER APPLY", L"");
// Without stays: the latest assessment of each patient and scale on the
// ward (the last saved). The index finds each one's key (its save time)
// without the table; then that one row is read, looked up as the census's
// are (PostgreSQL's OFFSET 0 keeps the lookup one per key: folded into a
// join, it would read the ward's month from the table).
#define ASSESSED_QUERY(join, fence, on)                                                                               \
    LIST_SELECT                                                                                                \
    L"SELECT k.patient_id, k.patient_name, a.bed, a.ward, a.visit_id, a.admitted_at, a.nurse_id, a.nurse_name, " \
    L"k.tool_id, a.headline_value, a.\"level\", a.band, a.assessed_at, a.due_at, k.patient_latest FROM ("     \
    L"SELECT r.patient_id, r.patient_name, r.tool_id, MAX(r.saved_at) AS saved_at, "                          \
    L"MAX(MAX(r.assessed_at)) OVER (PARTITION BY r.patient_id, r.patient_name) AS patient_latest "             \
    L"FROM orvomed.recent_assessments r WHERE r.ward = ? GROUP BY r.patient_id, r.patient_name, r.tool_id) k "  \
    join L" (SELECT r.bed, r.ward, r.visit_id, r.admitted_at, r.nurse_id, r.nurse_name, r.headline_value, "    \
    L"r.\"level\", r.band, r.assessed_at, r.due_at FROM orvomed.recent_assessments r WHERE r.ward = ? "        \
    L"AND r.saved_at = k.saved_at AND r.patient_id = k.patient_id AND r.patient_name = k.patient_name "        \
    L"AND r.tool_id = k.tool_id" fence L") a" on L") t ORDER BY t.patient_latest DESC"
const wchar_t ASSESSED_POSTGRESQL[] = ASSESSED_QUERY(L"JOIN LATERAL", L" OFFSET 0", L" ON 1 = 1");
const wchar_t ASSESSED_SQL_SERVER[] = ASSESSED_QUERY(L"CROSS APPLY", L"", L"");

enum CourseColumn {
    C_VALUE, C_LEVEL, C_BAND, C_ASSESSED_AT, C_DUE_AT, C_NURSE_ID, C_NURSE_NAME, C_BED, C_WARD, C_VISIT_ID,
    COURSE_COLUMNS,
};
const wchar_t COURSE[] =
    L"SELECT headline_value, \"level\", band, " TIME_TEXT(L"assessed_at") L", " TIME_TEXT(L"due_at")
    L", nurse_id, nurse_name, bed, ward, visit_id FROM ("
    L"SELECT r.headline_value, r.\"level\", r.band, r.assessed_at, r.due_at, r.nurse_id, r.nurse_name, r.bed, "
    L"r.ward, r.visit_id, ROW_NUMBER() OVER (ORDER BY r.assessed_at DESC) AS newest "
    L"FROM orvomed.recent_assessments r WHERE r.patient_id = ? AND r.patient_name = ? AND r.tool_id = ?) t "
    L"WHERE newest <= ? ORDER BY t.assessed_at DESC";

// Each column's room: a patient's field with room for a hospital system's
// padding, a time in either server's words, a number.
constexpr int TEXT = 2 * PATIENT_FIELD_LIMIT + 1;
constexpr int TIME = 48;
constexpr int NUMBER = 32;
constexpr int LIST_CAPACITIES[LIST_COLUMNS] = {TEXT,   TEXT,   TEXT,   TEXT, TEXT, TIME, TEXT, TEXT,
                                               NUMBER, NUMBER, NUMBER, ROUNDS_BAND_CAPACITY, TIME, TIME, TIME};
constexpr int COURSE_CAPACITIES[COURSE_COLUMNS] = {NUMBER, NUMBER, ROUNDS_BAND_CAPACITY, TIME, TIME,
                                                   TEXT,   TEXT,   TEXT,                 TEXT, TEXT};
constexpr int LIST_WIDTH = 7 * TEXT + 4 * TIME + 3 * NUMBER + ROUNDS_BAND_CAPACITY;
constexpr int COURSE_WIDTH = 5 * TEXT + 2 * TIME + 2 * NUMBER + ROUNDS_BAND_CAPACITY;
static_assert(LIST_WIDTH * ROUNDS_LIST_CAPACITY <= DATABASE_ANSWER_UNITS, "the seam holds a whole list");
static_assert(COURSE_WIDTH * ROUNDS_COURSE_CAPACITY <= DATABASE_ANSWER_UNITS, "the seam holds a whole course");

// One read at a time: the cells are too large for a stack.
std::atomic<bool> busy{false};
wchar_t cells[LIST_WIDTH * ROUNDS_LIST_CAPACITY];
DatabaseCell states[LIST_COLUMNS * ROUNDS_LIST_CAPACITY];

}  // namespace

RoundsProblem rounds_problem_of_connection(const DatabaseAnswer& answer) {
    switch (delivery_connection_problem(answer)) {
    case DELIVERY_NO_DRIVER: return ROUNDS_NO_DRIVER;
    case DELIVERY_LOGIN_REFUSED: return ROUNDS_LOGIN_REFUSED;
    case DELIVERY_CERTIFICATE_REFUSED: return ROUNDS_CERTIFICATE_REFUSED;
    default: return ROUNDS_UNREACHABLE;
    }
}

static bool starts(const char* state, const char* prefix) { return strncmp(state, prefix, strlen(prefix)) == 0; }

RoundsProblem rounds_problem_of_query(const DatabaseAnswer& answer) {
    const char* state = answer.state;
    if (answer.outcome == DATABASE_NO_ANSWER || starts(state, "HYT") || !strcmp(state, "57014")) return ROUNDS_NO_ANSWER;
    if (!strcmp(state, "42P01") || !strcmp(state, "42S02") || wcsstr(answer.message, L"Invalid object name"))
        return ROUNDS_NO_VIEW;
    // PostgreSQL's 42501; SQL Server's 229 and 230 come as 42000.
    if (!strcmp(state, "42501") || (!strcmp(state, "42000") && (answer.native == 229 || answer.native == 230)))
        return ROUNDS_NOT_PERMITTED;
    if (!strcmp(state, "42703") || !strcmp(state, "42S22")) return ROUNDS_VIEW_MISMATCH;
    if (starts(state, "08")) return ROUNDS_UNREACHABLE;
    return ROUNDS_QUERY_FAILED;
}

namespace {

// A cell as a whole number; false for NULL, a cut or anything else.
bool cell_integer(const DatabaseRows& rows, int row, int column, long* value) {
    if (database_cell_state(rows, row, column) != DATABASE_CELL_TEXT) return false;
    const wchar_t* text = database_cell(rows, row, column);
    wchar_t* end = nullptr;
    *value = wcstol(text, &end, 10);
    return text[0] && end && !*end;
}

MomentSeconds cell_moment(const DatabaseRows& rows, int row, int column, int utc_offset_minutes) {
    MomentSeconds moment = REASSESS_NO_TIME;
    if (database_cell_state(rows, row, column) == DATABASE_CELL_TEXT)
        rounds_moment_of_text(database_cell(rows, row, column), utc_offset_minutes, &moment);
    return moment;
}

void cell_field(const DatabaseRows& rows, int row, int column, RoundsAssessment* a, int field) {
    const wchar_t* text = database_cell(rows, row, column);
    if (text[0]) rounds_keep_field(a, field, text);
    if (database_cell_state(rows, row, column) == DATABASE_CELL_CUT) a->unsound = true;
}

// The value, level and band of an assessment's cells.
void cell_result(const DatabaseRows& rows, int row, int value, int level, int band, RoundsAssessment* a) {
    wchar_t* end = nullptr;
    const wchar_t* text = database_cell(rows, row, value);
    double v = wcstod(text, &end);
    a->has_value = database_cell_state(rows, row, value) == DATABASE_CELL_TEXT && text[0] && !*end && isfinite(v);
    a->value = a->has_value ? v : 0;
    long l = 0;
    a->level = cell_integer(rows, row, level, &l) ? (l < 0 ? 0 : l > 3 ? 3 : (int)l) : 0;
    // A band longer than the rule takes is none: the level's words stand for it.
    if (database_cell_state(rows, row, band) == DATABASE_CELL_TEXT) text_copy(a->band, ROUNDS_BAND_CAPACITY, database_cell(rows, row, band));
}

struct Stay {
    Patient patient;
    MomentSeconds admitted;
};

// Fills the list from the rows read.
void fill_list(const DatabaseRows& rows, RoundsSource source, const wchar_t* admission_text,
               const ToolDef* const* tools, int tool_count, MomentSeconds now, int utc_offset_minutes,
               RoundsList* list) {
    static Stay stays[ROUNDS_LIST_CAPACITY];
    int stay_count = 0;
    rounds_list_begin(list, source, now);
    // Cut short, the answer lost only patients seen before its last row's:
    // without the census, no loss unless that one is still on the list.
    list->cut = rows.more && (source == ROUNDS_CENSUS || rows.count == 0 ||
                              cell_moment(rows, rows.count - 1, L_PATIENT_LATEST, utc_offset_minutes) >=
                                  now - ROUNDS_ASSESSED_DAYS * DAY);
    for (int r = 0; r < rows.count; r++) {
        RoundsAssessment a = {};
        const int fields[][2] = {{L_PATIENT_ID, PATIENT_ID}, {L_PATIENT_NAME, PATIENT_NAME}, {L_BED, PATIENT_BED},
                                 {L_WARD, PATIENT_WARD},     {L_VISIT_ID, PATIENT_VISIT_ID},
                                 {L_NURSE_ID, NURSE_ID},     {L_NURSE_NAME, NURSE_NAME}};
        for (const auto& f : fields) cell_field(rows, r, f[0], &a, f[1]);
        if (!a.patient.fields[PATIENT_ID][0] || !a.patient.fields[PATIENT_NAME][0]) continue;
        MomentSeconds admitted = cell_moment(rows, r, L_ADMITTED_AT, utc_offset_minutes);
        wchar_t admitted_text[PATIENT_FIELD_CAPACITY];
        rounds_moment_text(admitted, utc_offset_minutes, admitted_text, PATIENT_FIELD_CAPACITY);
        if (admitted_text[0]) rounds_keep_field(&a, PATIENT_ADMITTED_AT, admitted_text);
        // The patient once, for the admission's rows: as the census gives
        // them, or as the row of the latest admission has them (without the
        // census a patient's scales may come from an earlier stay's rows).
        int k = 0;
        while (k < stay_count && (wcscmp(stays[k].patient.fields[PATIENT_ID], a.patient.fields[PATIENT_ID]) ||
                                  wcscmp(stays[k].patient.fields[PATIENT_NAME], a.patient.fields[PATIENT_NAME])))
            k++;
        const bool fresh = k == stay_count && stay_count < ROUNDS_LIST_CAPACITY;
        if (fresh) stay_count++;
        if (fresh || (k < stay_count && admitted > stays[k].admitted)) {
            stays[k].patient = a.patient;
            for (int f : {NURSE_ID, NURSE_NAME}) stays[k].patient.fields[f][0] = 0;
            stays[k].admitted = admitted;
        }
        long tool = 0;
        if (!cell_integer(rows, r, L_TOOL_ID, &tool) || tool <= 0 || tool > 999 ||
            !rounds_tool_listed(tools, tool_count, (int)tool))
            continue;
        a.tool_id = (int)tool;
        cell_result(rows, r, L_VALUE, L_LEVEL, L_BAND, &a);
        a.assessed_at = cell_moment(rows, r, L_ASSESSED_AT, utc_offset_minutes);
        a.due_at = cell_moment(rows, r, L_DUE_AT, utc_offset_minutes);
        if (a.assessed_at == REASSESS_NO_TIME) continue;
        // Two rows saved in the same second: the first stands.
        bool twice = false;
        for (int e = 0; e < list->count && !twice; e++)
            twice = list->entries[e].last.tool_id == a.tool_id &&
                    !wcscmp(list->entries[e].last.patient.fields[PATIENT_ID], a.patient.fields[PATIENT_ID]) &&
                    !wcscmp(list->entries[e].last.patient.fields[PATIENT_NAME], a.patient.fields[PATIENT_NAME]);
        if (!twice) rounds_list_add(list, a);
    }
    if (source == ROUNDS_WARD_ASSESSED) rounds_keep_recent_patients(list, now - ROUNDS_ASSESSED_DAYS * DAY);
    RoundsAdmissionScales scales;
    rounds_admission_scales(admission_text, &scales);
    for (int k = 0; k < stay_count; k++) {
        if (source == ROUNDS_WARD_ASSESSED) {
            // Only patients the list holds: without a census, nobody else is known.
            bool listed = false;
            for (int e = 0; e < list->count && !listed; e++)
                listed = !wcscmp(list->entries[e].last.patient.fields[PATIENT_ID], stays[k].patient.fields[PATIENT_ID]) &&
                         !wcscmp(list->entries[e].last.patient.fields[PATIENT_NAME], stays[k].patient.fields[PATIENT_NAME]);
            if (!listed) continue;
        }
        rounds_list_add_stay(list, stays[k].patient, stays[k].admitted, scales);
    }
    rounds_list_finish(list, utc_offset_minutes);
}

}  // namespace

const wchar_t* rounds_problem_words(RoundsProblem problem) {
    switch (problem) {
    case ROUNDS_READ: return L"";
    case ROUNDS_NO_DRIVER: return delivery_problem_words(DELIVERY_NO_DRIVER);
    case ROUNDS_UNREACHABLE: return delivery_problem_words(DELIVERY_UNREACHABLE);
    case ROUNDS_LOGIN_REFUSED: return delivery_problem_words(DELIVERY_LOGIN_REFUSED);
    case ROUNDS_CERTIFICATE_REFUSED: return delivery_problem_words(DELIVERY_CERTIFICATE_REFUSED);
    case ROUNDS_NO_ANSWER: return delivery_problem_words(DELIVERY_NO_ANSWER);
    case ROUNDS_CONNECTION_TOO_LONG: return delivery_problem_words(DELIVERY_CONNECTION_TOO_LONG);
    case ROUNDS_NO_VIEW: return L"评估视图不存在";
    case ROUNDS_NOT_PERMITTED: return L"读取账户无权读取评估视图";
    case ROUNDS_VIEW_MISMATCH: return L"评估视图的列与本程序不符";
    case ROUNDS_QUERY_FAILED: return L"数据库读取失败";
    case ROUNDS_NO_WARD: return L"未设置病区";
    case ROUNDS_NO_DATA_FOLDER: return L"本机记录文件夹未知";
    case ROUNDS_BUSY: return L"正在读取";
    }
    return L"";
}

RoundsProblem rounds_read_ward(const wchar_t* connection, const wchar_t* ward, const wchar_t* admission_scales,
                               const ToolDef* const* tools, int tool_count, MomentSeconds now,
                               int utc_offset_minutes, RoundsList* list) {
    if (!ward || !ward[0]) return ROUNDS_NO_WARD;
    if (text_length(connection) > DELIVERY_CONNECTION_LIMIT) return ROUNDS_CONNECTION_TOO_LONG;
    if (busy.exchange(true)) return ROUNDS_BUSY;
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(connection, DELIVERY_LOGIN_TIMEOUT_SECONDS, &answer);
    if (link == DATABASE_NO_LINK) {
        busy = false;
        return rounds_problem_of_connection(answer);
    }
    DatabaseRows rows = {2, LIST_CAPACITIES, 1, cells, states, 0, false};
    database_calls.query(link, SERVER_FOUND, nullptr, 0, ROUNDS_QUERY_TIMEOUT_SECONDS, &rows, &answer);
    const bool found = rows.count == 1 && wcscmp(database_cell(rows, 0, 0), L"0") != 0;
    const bool postgresql = rows.count == 1 && wcscmp(database_cell(rows, 0, 1), L"0") != 0;
    RoundsSource source = found ? ROUNDS_CENSUS : ROUNDS_WARD_ASSESSED;
    if (answer.outcome == DATABASE_DONE) {
        const DatabaseParameter parameters[] = {{DATABASE_TEXT, ward, 0, 0}, {DATABASE_TEXT, ward, 0, 0}};
        const wchar_t* sql = found ? (postgresql ? CENSUS_POSTGRESQL : CENSUS_SQL_SERVER)
                                   : (postgresql ? ASSESSED_POSTGRESQL : ASSESSED_SQL_SERVER);
        rows = {LIST_COLUMNS, LIST_CAPACITIES, ROUNDS_LIST_CAPACITY, cells, states, 0, false};
        database_calls.query(link, sql, parameters, found ? 1 : 2, ROUNDS_QUERY_TIMEOUT_SECONDS, &rows, &answer);
    }
    database_calls.disconnect(link);
    RoundsProblem problem = answer.outcome == DATABASE_DONE ? ROUNDS_READ : rounds_problem_of_query(answer);
    if (problem == ROUNDS_READ)
        fill_list(rows, source, admission_scales, tools, tool_count, now, utc_offset_minutes, list);
    busy = false;
    return problem;
}

RoundsProblem rounds_read_course(const wchar_t* connection, const ToolDef& tool, const Patient& patient,
                                 MomentSeconds now, int utc_offset_minutes, RoundsAssessment* points, int capacity,
                                 int* count) {
    if (!connection || !connection[0])
        return rounds_read_course_this_user(tool, patient, now, utc_offset_minutes, points, capacity, count);
    *count = 0;
    if (capacity > ROUNDS_COURSE_CAPACITY) capacity = ROUNDS_COURSE_CAPACITY;
    if (capacity <= 0 || patient_state(patient) != PATIENT_COMPLETE) return ROUNDS_READ;
    if (text_length(connection) > DELIVERY_CONNECTION_LIMIT) return ROUNDS_CONNECTION_TOO_LONG;
    if (busy.exchange(true)) return ROUNDS_BUSY;
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(connection, DELIVERY_LOGIN_TIMEOUT_SECONDS, &answer);
    if (link == DATABASE_NO_LINK) {
        busy = false;
        return rounds_problem_of_connection(answer);
    }
    const DatabaseParameter parameters[] = {{DATABASE_TEXT, patient.fields[PATIENT_ID], 0, 0},
                                            {DATABASE_TEXT, patient.fields[PATIENT_NAME], 0, 0},
                                            {DATABASE_INTEGER, nullptr, tool.id, 0},
                                            {DATABASE_INTEGER, nullptr, capacity, 0}};
    DatabaseRows rows = {COURSE_COLUMNS, COURSE_CAPACITIES, capacity, cells, states, 0, false};
    database_calls.query(link, COURSE, parameters, 4, ROUNDS_QUERY_TIMEOUT_SECONDS, &rows, &answer);
    database_calls.disconnect(link);
    if (answer.outcome != DATABASE_DONE) {
        busy = false;
        return rounds_problem_of_query(answer);
    }
    // The stay's: rows of another stay, or before the admission, are left out.
    MomentSeconds admitted = REASSESS_NO_TIME;
    wchar_t admitted_text[PATIENT_FIELD_CAPACITY];
    if (patient_admission_time(patient.fields[PATIENT_ADMITTED_AT], utc_offset_minutes, admitted_text,
                               PATIENT_FIELD_CAPACITY))
        rounds_moment_of_text(admitted_text, utc_offset_minutes, &admitted);
    const wchar_t* visit = patient.fields[PATIENT_VISIT_ID];
    int n = 0;
    // Newest first from the server; oldest first in `points`.
    for (int r = rows.count - 1; r >= 0; r--) {
        RoundsAssessment a = {};
        a.patient = patient;
        for (int f : {NURSE_ID, NURSE_NAME, PATIENT_BED, PATIENT_WARD, PATIENT_VISIT_ID}) a.patient.fields[f][0] = 0;
        const int fields[][2] = {{C_NURSE_ID, NURSE_ID}, {C_NURSE_NAME, NURSE_NAME}, {C_BED, PATIENT_BED},
                                 {C_WARD, PATIENT_WARD}, {C_VISIT_ID, PATIENT_VISIT_ID}};
        for (const auto& f : fields) cell_field(rows, r, f[0], &a, f[1]);
        a.tool_id = tool.id;
        cell_result(rows, r, C_VALUE, C_LEVEL, C_BAND, &a);
        a.assessed_at = cell_moment(rows, r, C_ASSESSED_AT, utc_offset_minutes);
        a.due_at = cell_moment(rows, r, C_DUE_AT, utc_offset_minutes);
        const wchar_t* row_visit = a.patient.fields[PATIENT_VISIT_ID];
        if (a.assessed_at == REASSESS_NO_TIME || a.assessed_at < now - ROUNDS_RECENT_DAYS * DAY ||
            (visit[0] && row_visit[0] && wcscmp(visit, row_visit) != 0) ||
            (admitted != REASSESS_NO_TIME && a.assessed_at < admitted))
            continue;
        points[n++] = a;
    }
    busy = false;
    *count = n;
    return ROUNDS_READ;
}
