// The database seam over ODBC: Windows' odbc32, unixODBC elsewhere, the
// same calls. Each call runs on a thread of its own and is waited for a
// bounded time: a server that takes the connection and then stops
// answering (a table locked by another session, a network that drops
// everything) holds no caller for longer than it was given. A call given
// up goes on alone in its connection's slot, which it frees when it ends.
#include "platform/database.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <string.h>

#include <atomic>

#include "platform/platform.h"

namespace {

constexpr int SLOTS = 4;
constexpr int PARAMETERS = 24;
// The longest text a parameter or a statement may hold, in UTF-16 units.
constexpr int TEXT_UNITS = 32768;
// Beyond this many characters a text goes as a long text: SQL Server's
// limit for an ordinary (nvarchar) parameter.
constexpr int ORDINARY_TEXT_LIMIT = 4000;
// The bound on a call is the server's time and this much more, so that a
// driver that honours the time answers first, with its own words.
constexpr int GRACE_MILLISECONDS = 3000;

enum SlotState { SLOT_FREE, SLOT_IDLE, SLOT_IN_CALL, SLOT_ABANDONED };
enum Call { CALL_CONNECT, CALL_EXECUTE, CALL_END, CALL_QUERY };

// One connection, and everything its call in flight reads: owned here, not
// by the caller, so that a call given up still reads what it was given.
struct Slot {
    PlatformWork work;  // first: run_bounded hands it back
    std::atomic<int> state;
    SQLHENV environment;
    SQLHDBC connection;
    bool open;
    Call call;
    int seconds;
    bool commit;
    SQLWCHAR text[TEXT_UNITS];  // the connection string, or the statement
    int count;
    DatabaseParameter parameters[PARAMETERS];
    SQLWCHAR values[PARAMETERS][TEXT_UNITS];
    SQLLEN lengths[PARAMETERS];
    SQLINTEGER integers[PARAMETERS];
    DatabaseAnswer answer;
    // A query's rows as the driver gave them (UTF-16), copied to the
    // caller's cells only once the call is over in time.
    int columns;
    int capacities[DATABASE_MAX_COLUMNS];
    int max_rows;
    int rows;
    bool more;
    SQLWCHAR cells[DATABASE_ANSWER_UNITS];
    DatabaseCell states[DATABASE_ANSWER_CELLS];
};
Slot slots[SLOTS];

// ODBC's wide text is UTF-16 everywhere; wchar_t is UTF-32 off Windows.
// -1 when it does not fit.
static_assert(sizeof(SQLWCHAR) == sizeof(uint16_t), "ODBC's wide text is UTF-16");
int to_odbc(const wchar_t* text, SQLWCHAR* out, int capacity) {
    return utf16_from_wide(text, (uint16_t*)out, capacity);
}

// The first diagnostic record that is an error, not a warning (a driver
// manager may put "01000" first), into the answer.
void take_diagnostic(SQLSMALLINT type, SQLHANDLE handle, DatabaseAnswer* answer) {
    answer->outcome = DATABASE_FAILED;
    answer->state[0] = 0;
    answer->message[0] = 0;
    answer->native = 0;
    for (SQLSMALLINT number = 1;; number++) {
        SQLWCHAR state[6] = {}, message[DATABASE_MESSAGE_CAPACITY] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, number, state, &native, message, DATABASE_MESSAGE_CAPACITY,
                                          &length)))
            return;
        for (int i = 0; i < 5; i++) answer->state[i] = (char)state[i];
        answer->state[5] = 0;
        answer->native = native;
        int n = 0;
        for (int i = 0; message[i] && n < DATABASE_MESSAGE_CAPACITY - 1; i++) answer->message[n++] = (wchar_t)message[i];
        answer->message[n] = 0;
        if (strncmp(answer->state, "01", 2) != 0) return;
        // unixODBC tells a driver it cannot load as a warning.
        if (wcsstr(answer->message, L"Can't open lib")) {
            memcpy(answer->state, "IM003", 6);
            return;
        }
    }
}

void done(DatabaseAnswer* answer) { *answer = {DATABASE_DONE, "", 0, L""}; }

void close_connection(Slot& slot) {
    if (slot.open) {
        SQLEndTran(SQL_HANDLE_DBC, slot.connection, SQL_ROLLBACK);
        SQLDisconnect(slot.connection);
    }
    if (slot.connection != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, slot.connection);
    if (slot.environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, slot.environment);
    slot.connection = SQL_NULL_HDBC;
    slot.environment = SQL_NULL_HENV;
    slot.open = false;
}

void run_connect(Slot& slot) {
    DatabaseAnswer* answer = &slot.answer;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &slot.environment))) {
        *answer = {DATABASE_FAILED, "IM004", 0, L"ODBC environment not allocated"};
        return;
    }
    SQLSetEnvAttr(slot.environment, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, slot.environment, &slot.connection))) {
        take_diagnostic(SQL_HANDLE_ENV, slot.environment, answer);
        return;
    }
    SQLSetConnectAttrW(slot.connection, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)(intptr_t)slot.seconds, 0);
    SQLSetConnectAttrW(slot.connection, SQL_ATTR_CONNECTION_TIMEOUT, (SQLPOINTER)(intptr_t)slot.seconds, 0);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(slot.connection, nullptr, slot.text, SQL_NTS, nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT))) {
        take_diagnostic(SQL_HANDLE_DBC, slot.connection, answer);
        return;
    }
    slot.open = true;
    SQLSetConnectAttrW(slot.connection, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    done(answer);
}

// Binds the slot's parameters to the statement, every value from the slot's own copy.
void bind_parameters(Slot& slot, SQLHSTMT statement) {
    for (int k = 0; k < slot.count; k++) {
        const DatabaseParameter& p = slot.parameters[k];
        SQLUSMALLINT number = (SQLUSMALLINT)(k + 1);
        SQLLEN& length = slot.lengths[k];
        switch (p.kind) {
        case DATABASE_TEXT: {
            SQLULEN characters = (SQLULEN)(length / (SQLLEN)sizeof(SQLWCHAR));
            SQLSMALLINT type = characters > ORDINARY_TEXT_LIMIT ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_WCHAR, type, characters > 0 ? characters : 1, 0,
                             slot.values[k], length, &length);
            break;
        }
        case DATABASE_INTEGER:
            length = 0;
            slot.integers[k] = (SQLINTEGER)p.integer;
            SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &slot.integers[k], 0,
                             &length);
            break;
        case DATABASE_DOUBLE:
            length = 0;
            SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                             &slot.parameters[k].number, 0, &length);
            break;
        case DATABASE_NULL:
            length = SQL_NULL_DATA;
            SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                             &slot.parameters[k].number, 0, &length);
            break;
        }
    }
}

void run_execute(Slot& slot) {
    DatabaseAnswer* answer = &slot.answer;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, slot.connection, &statement))) {
        take_diagnostic(SQL_HANDLE_DBC, slot.connection, answer);
        return;
    }
    // The server gives up first where the driver lets it say so.
    SQLSetStmtAttrW(statement, SQL_ATTR_QUERY_TIMEOUT, (SQLPOINTER)(intptr_t)slot.seconds, 0);
    bind_parameters(slot, statement);
    if (SQL_SUCCEEDED(SQLExecDirectW(statement, slot.text, SQL_NTS))) done(answer);
    else take_diagnostic(SQL_HANDLE_STMT, statement, answer);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// Fetches each row's columns as UTF-16 into the slot, each cell within
// its capacity: a driver's length is believed only as far as the buffer
// reaches, and the text is terminated here whatever the driver wrote.
void run_query(Slot& slot) {
    DatabaseAnswer* answer = &slot.answer;
    slot.rows = 0;
    slot.more = false;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, slot.connection, &statement))) {
        take_diagnostic(SQL_HANDLE_DBC, slot.connection, answer);
        return;
    }
    SQLSetStmtAttrW(statement, SQL_ATTR_QUERY_TIMEOUT, (SQLPOINTER)(intptr_t)slot.seconds, 0);
    // A hint to the server: one row more than is taken tells that there were more.
    SQLSetStmtAttrW(statement, SQL_ATTR_MAX_ROWS, (SQLPOINTER)(intptr_t)(slot.max_rows + 1), 0);
    bind_parameters(slot, statement);
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLExecDirectW(statement, slot.text, SQL_NTS))) {
        take_diagnostic(SQL_HANDLE_STMT, statement, answer);
    } else if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &columns)) || columns < slot.columns) {
        *answer = {DATABASE_FAILED, "07009", 0, L"the answer has fewer columns than asked"};
    } else {
        done(answer);
        SQLWCHAR* cell = slot.cells;
        while (answer->outcome == DATABASE_DONE) {
            SQLRETURN fetched = SQLFetch(statement);
            if (fetched == SQL_NO_DATA) break;
            if (!SQL_SUCCEEDED(fetched)) {
                take_diagnostic(SQL_HANDLE_STMT, statement, answer);
                break;
            }
            if (slot.rows == slot.max_rows) {
                slot.more = true;
                break;
            }
            for (int c = 0; c < slot.columns && answer->outcome == DATABASE_DONE; c++) {
                const int capacity = slot.capacities[c];
                SQLLEN indicator = 0;
                cell[0] = 0;
                SQLRETURN got = SQLGetData(statement, (SQLUSMALLINT)(c + 1), SQL_C_WCHAR, cell,
                                           (SQLLEN)capacity * (SQLLEN)sizeof(SQLWCHAR), &indicator);
                DatabaseCell& state = slot.states[slot.rows * slot.columns + c];
                state = DATABASE_CELL_TEXT;
                if (got == SQL_NO_DATA) {
                    indicator = 0;
                } else if (!SQL_SUCCEEDED(got)) {
                    take_diagnostic(SQL_HANDLE_STMT, statement, answer);
                    break;
                }
                int length = 0;
                if (indicator == SQL_NULL_DATA) {
                    state = DATABASE_CELL_NULL;
                } else {
                    const SQLLEN whole = indicator == SQL_NO_TOTAL || indicator < 0 ? -1 : indicator / (SQLLEN)sizeof(SQLWCHAR);
                    const int room = capacity - 1;
                    length = whole >= 0 && whole < room ? (int)whole : room;
                    for (int i = 0; i < length; i++)
                        if (!cell[i]) length = i;
                    if (whole < 0 || whole > room) state = DATABASE_CELL_CUT;
                }
                cell[length] = 0;
                cell += capacity;
            }
            if (answer->outcome == DATABASE_DONE) slot.rows++;
        }
        if (answer->outcome != DATABASE_DONE) slot.rows = 0, slot.more = false;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

void run_end(Slot& slot) {
    if (SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, slot.connection, slot.commit ? SQL_COMMIT : SQL_ROLLBACK)))
        done(&slot.answer);
    else
        take_diagnostic(SQL_HANDLE_DBC, slot.connection, &slot.answer);
}

void run_slot(PlatformWork* work) {
    Slot& slot = *(Slot*)work;
    switch (slot.call) {
    case CALL_CONNECT: run_connect(slot); break;
    case CALL_EXECUTE: run_execute(slot); break;
    case CALL_END: run_end(slot); break;
    case CALL_QUERY: run_query(slot); break;
    }
    int expected = SLOT_IN_CALL;
    if (slot.state.compare_exchange_strong(expected, SLOT_IDLE)) return;
    // Given up by its caller: nobody else will end this connection.
    close_connection(slot);
    slot.state = SLOT_FREE;
}

// Runs the slot's call, waiting `seconds` and the grace; a call not over
// by then is given up, and the link with it.
void run_call(Slot& slot, DatabaseAnswer* answer) {
    slot.work.run = run_slot;
    slot.state = SLOT_IN_CALL;
    PlatformStatus status = platform_calls.run_bounded(&slot.work, slot.seconds * 1000 + GRACE_MILLISECONDS);
    if (status == PLATFORM_FAILED) {
        slot.state = SLOT_IDLE;
        *answer = {DATABASE_FAILED, "HY001", 0, L"no thread for the call"};
        return;
    }
    int expected = SLOT_IN_CALL;
    if (status == PLATFORM_IN_USE && slot.state.compare_exchange_strong(expected, SLOT_ABANDONED)) {
        *answer = {DATABASE_NO_ANSWER, "HYT00", 0, L"no answer within the time allowed"};
        return;
    }
    *answer = slot.answer;
}

Slot* slot_of(DatabaseLink link) {
    return link >= 0 && link < SLOTS && slots[link].state.load() == SLOT_IDLE ? &slots[link] : nullptr;
}

DatabaseLink odbc_connect(const wchar_t* connection, int seconds, DatabaseAnswer* answer) {
    for (int k = 0; k < SLOTS; k++) {
        int expected = SLOT_FREE;
        if (!slots[k].state.compare_exchange_strong(expected, SLOT_IDLE)) continue;
        Slot& slot = slots[k];
        slot.environment = SQL_NULL_HENV;
        slot.connection = SQL_NULL_HDBC;
        slot.open = false;
        slot.call = CALL_CONNECT;
        slot.seconds = seconds;
        if (to_odbc(connection, slot.text, TEXT_UNITS) < 0) {
            *answer = {DATABASE_FAILED, "HY090", 0, L"connection string too long"};
            slot.state = SLOT_FREE;
            return DATABASE_NO_LINK;
        }
        run_call(slot, answer);
        if (answer->outcome == DATABASE_DONE) return k;
        if (answer->outcome == DATABASE_FAILED) {
            close_connection(slot);
            slot.state = SLOT_FREE;
        }
        return DATABASE_NO_LINK;
    }
    // Every slot is held by a call given up that has not ended yet.
    *answer = {DATABASE_NO_ANSWER, "HYT00", 0, L"earlier calls still wait for the server"};
    return DATABASE_NO_LINK;
}

// Copies the statement and its parameters into the slot, which the call
// reads: never the caller's, who may be gone when a call given up goes on.
bool take_statement(Slot& slot, const wchar_t* sql, const DatabaseParameter* parameters, int count, int seconds,
                    DatabaseAnswer* answer) {
    slot.seconds = seconds;
    slot.count = count;
    bool fits = to_odbc(sql, slot.text, TEXT_UNITS) >= 0;
    for (int k = 0; k < count && fits; k++) {
        slot.parameters[k] = parameters[k];
        if (parameters[k].kind != DATABASE_TEXT) continue;
        int n = to_odbc(parameters[k].text, slot.values[k], TEXT_UNITS);
        fits = n >= 0;
        slot.lengths[k] = (SQLLEN)n * (SQLLEN)sizeof(SQLWCHAR);
        slot.parameters[k].text = nullptr;  // the copy is read, never the caller's
    }
    if (!fits) *answer = {DATABASE_FAILED, "22001", 0, L"a text longer than a parameter holds"};
    return fits;
}

void odbc_execute(DatabaseLink link, const wchar_t* sql, const DatabaseParameter* parameters, int count, int seconds,
                  DatabaseAnswer* answer) {
    Slot* slot = slot_of(link);
    if (!slot || count > PARAMETERS) {
        *answer = {DATABASE_FAILED, "HY010", 0, L"no such connection, or too many parameters"};
        return;
    }
    slot->call = CALL_EXECUTE;
    if (take_statement(*slot, sql, parameters, count, seconds, answer)) run_call(*slot, answer);
}

// A UTF-16 cell of the slot into the caller's wide text of `capacity`: a
// pair cut in two at the end is left out, an unpaired half is U+FFFD.
void from_odbc(const SQLWCHAR* cell, wchar_t* text, int capacity) {
    int n = 0;
    for (int i = 0; cell[i] && n < capacity - 1; i++) {
        uint32_t c = cell[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (!cell[i + 1]) break;
            if (cell[i + 1] >= 0xDC00 && cell[i + 1] <= 0xDFFF) {
                if (sizeof(wchar_t) == 2) {
                    if (n + 2 > capacity - 1) break;
                    text[n++] = (wchar_t)c;
                    text[n++] = (wchar_t)cell[++i];
                    continue;
                }
                c = 0x10000 + ((c - 0xD800) << 10) + (cell[++i] - 0xDC00);
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        text[n++] = (wchar_t)c;
    }
    text[n] = 0;
}

void odbc_query(DatabaseLink link, const wchar_t* sql, const DatabaseParameter* parameters, int count, int seconds,
                DatabaseRows* rows, DatabaseAnswer* answer) {
    rows->count = 0;
    rows->more = false;
    Slot* slot = slot_of(link);
    if (!slot || count > PARAMETERS) {
        *answer = {DATABASE_FAILED, "HY010", 0, L"no such connection, or too many parameters"};
        return;
    }
    int64_t width = 0;
    bool sound = rows->columns >= 1 && rows->columns <= DATABASE_MAX_COLUMNS && rows->max_rows >= 0;
    for (int c = 0; sound && c < rows->columns; c++) {
        sound = rows->capacities[c] >= 1;
        width += rows->capacities[c];
    }
    if (!sound || width * rows->max_rows > DATABASE_ANSWER_UNITS ||
        (int64_t)rows->columns * rows->max_rows > DATABASE_ANSWER_CELLS) {
        *answer = {DATABASE_FAILED, "HY090", 0, L"more rows or columns asked for than the seam holds"};
        return;
    }
    slot->call = CALL_QUERY;
    slot->columns = rows->columns;
    for (int c = 0; c < rows->columns; c++) slot->capacities[c] = rows->capacities[c];
    slot->max_rows = rows->max_rows;
    if (!take_statement(*slot, sql, parameters, count, seconds, answer)) return;
    run_call(*slot, answer);
    if (answer->outcome != DATABASE_DONE) return;
    const SQLWCHAR* cell = slot->cells;
    wchar_t* text = rows->cells;
    for (int r = 0; r < slot->rows; r++)
        for (int c = 0; c < rows->columns; c++) {
            from_odbc(cell, text, rows->capacities[c]);
            rows->states[r * rows->columns + c] = slot->states[r * rows->columns + c];
            cell += rows->capacities[c];
            text += rows->capacities[c];
        }
    rows->count = slot->rows;
    rows->more = slot->more;
}

void odbc_end_transaction(DatabaseLink link, bool commit, int seconds, DatabaseAnswer* answer) {
    Slot* slot = slot_of(link);
    if (!slot) {
        *answer = {DATABASE_FAILED, "HY010", 0, L"no such connection"};
        return;
    }
    slot->call = CALL_END;
    slot->commit = commit;
    slot->seconds = seconds;
    run_call(*slot, answer);
}

void odbc_disconnect(DatabaseLink link) {
    Slot* slot = slot_of(link);
    if (!slot) return;  // given up: its call frees it
    close_connection(*slot);
    slot->state = SLOT_FREE;
}

}  // namespace

const DatabaseCalls database_system_calls = {odbc_connect, odbc_execute, odbc_end_transaction, odbc_disconnect,
                                             odbc_query};
DatabaseCalls database_calls = database_system_calls;
