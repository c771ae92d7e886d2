// Delivering the outbox to the hospital's database through ODBC: Windows'
// odbc32, unixODBC elsewhere, the same calls. Every value is a bound
// parameter; each row is inserted in a transaction of its own, and its
// outbox file removed only once the database has committed it.
#include "delivery/delivery.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <string.h>
#include <wchar.h>

namespace {

const wchar_t ROW_SUFFIX[] = L".row";
constexpr int PASS_FILES = 256;

// ODBC's wide text is UTF-16 everywhere; wchar_t is UTF-32 off Windows.
int to_odbc(const wchar_t* text, SQLWCHAR* out, int capacity) {
    int n = 0;
    for (; *text && n < capacity - 2; text++) {
        unsigned long c = (unsigned long)*text;
        if (c > 0xFFFF) {
            c -= 0x10000;
            out[n++] = (SQLWCHAR)(0xD800 + (c >> 10));
            out[n++] = (SQLWCHAR)(0xDC00 + (c & 0x3FF));
        } else {
            out[n++] = (SQLWCHAR)c;
        }
    }
    out[n] = 0;
    return n;
}

// The SQLSTATE and the message of a handle's diagnostic record `number`
// (from 1), the message in ASCII ("?" for the rest); its native error.
// False when there is no such record.
bool diagnostic_record(SQLSMALLINT type, SQLHANDLE handle, int number, char* state, char* message, int capacity,
                       SQLINTEGER* native) {
    SQLWCHAR wide_state[6] = {}, wide_message[512] = {};
    SQLSMALLINT length = 0;
    *native = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, (SQLSMALLINT)number, wide_state, native, wide_message, 512, &length)))
        return false;
    for (int i = 0; i < 5; i++) state[i] = (char)wide_state[i];
    state[5] = 0;
    int n = 0;
    for (int i = 0; wide_message[i] && n < capacity - 1; i++)
        message[n++] = wide_message[i] < 128 ? (char)wide_message[i] : '?';
    message[n] = 0;
    return true;
}

// The first record that is an error, not a warning (a driver manager may
// put "01000" first); its native error.
SQLINTEGER diagnostic(SQLSMALLINT type, SQLHANDLE handle, char* state, char* message, int capacity) {
    SQLINTEGER native = 0;
    state[0] = 0;
    message[0] = 0;
    for (int number = 1; diagnostic_record(type, handle, number, state, message, capacity, &native); number++)
        if (strncmp(state, "01", 2) != 0) return native;
    if (strncmp(state, "01", 2) == 0 && strstr(message, "Can't open lib")) return native;  // unixODBC: no such driver
    return native;
}

bool starts(const char* state, const char* prefix) { return strncmp(state, prefix, strlen(prefix)) == 0; }

// What a failed connection means for the nurse's status line.
DeliveryProblem connection_problem(const char* state, const char* message) {
    if (starts(state, "IM") || strstr(message, "Can't open lib") || strstr(message, "driver"))
        return DELIVERY_NO_DRIVER;
    if (starts(state, "28") || strstr(message, "authentication") || strstr(message, "password") ||
        strstr(message, "Login failed") || strstr(message, "role"))
        return DELIVERY_LOGIN_REFUSED;
    return DELIVERY_UNREACHABLE;
}

struct Connection {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC link = SQL_NULL_HDBC;
    bool open = false;
};

DeliveryProblem connect(const wchar_t* connection_string, Connection* c, char* state) {
    static thread_local SQLWCHAR text[2048];
    char message[512];
    state[0] = 0;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c->environment))) return DELIVERY_NO_DRIVER;
    SQLSetEnvAttr(c->environment, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, c->environment, &c->link))) return DELIVERY_NO_DRIVER;
    // The ward's window never waits on the network for longer than this.
    SQLSetConnectAttr(c->link, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)(intptr_t)DELIVERY_LOGIN_TIMEOUT_SECONDS, 0);
    SQLSetConnectAttr(c->link, SQL_ATTR_CONNECTION_TIMEOUT, (SQLPOINTER)(intptr_t)DELIVERY_LOGIN_TIMEOUT_SECONDS, 0);
    to_odbc(connection_string, text, 2048);
    SQLRETURN r = SQLDriverConnectW(c->link, nullptr, text, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r)) {
        diagnostic(SQL_HANDLE_DBC, c->link, state, message, 512);
        return connection_problem(state, message);
    }
    c->open = true;
    SQLSetConnectAttr(c->link, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    return DELIVERY_DONE;
}

void disconnect(Connection* c) {
    if (c->open) SQLDisconnect(c->link);
    if (c->link != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, c->link);
    if (c->environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, c->environment);
    *c = {};
}

// The INSERT, its columns in the row's order, every value a parameter.
void insert_statement(SQLWCHAR* sql, int capacity) {
    wchar_t text[1024] = L"INSERT INTO orvomed_record (";
    wchar_t values[256] = L") VALUES (";
    const int columns = DELIVERY_TEXT_COUNT + 3;
    for (int k = 0; k < columns; k++) {
        wchar_t name[40];
        text_format(name, 40, k ? L", %s" : L"%s", delivery_column(k));
        text_append(text, 1024, name);
        text_append(values, 256, k ? L", ?" : L"?");
    }
    text_append(text, 1024, values);
    text_append(text, 1024, L")");
    to_odbc(text, sql, capacity);
}

// Inserts one row in its own transaction. A row whose record_id is there
// already was committed by an earlier delivery whose answer was lost:
// delivered.
DeliveryProblem insert(Connection* c, const DeliveryRow& row, char* state) {
    static thread_local SQLWCHAR texts[DELIVERY_TEXT_COUNT][DELIVERY_TEXT_CAPACITY + 8];
    static thread_local SQLWCHAR sql[2048];
    SQLLEN lengths[DELIVERY_TEXT_COUNT + 3];
    char message[512];
    insert_statement(sql, 2048);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, c->link, &statement))) return DELIVERY_UNREACHABLE;
    SQLINTEGER tool_id = row.tool_id, level = row.level;
    double first_value = row.first_value;
    for (int k = 0; k < DELIVERY_TEXT_COUNT; k++) {
        int n = to_odbc(row.texts[k], texts[k], DELIVERY_TEXT_CAPACITY + 8);
        lengths[k] = (SQLLEN)(n * sizeof(SQLWCHAR));
        SQLBindParameter(statement, (SQLUSMALLINT)(k + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                         (SQLULEN)(n > 0 ? n : 1), 0, texts[k], lengths[k], &lengths[k]);
    }
    lengths[DELIVERY_TEXT_COUNT] = 0;
    lengths[DELIVERY_TEXT_COUNT + 1] = 0;
    lengths[DELIVERY_TEXT_COUNT + 2] = first_value == first_value ? 0 : SQL_NULL_DATA;
    SQLBindParameter(statement, DELIVERY_TEXT_COUNT + 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &tool_id, 0,
                     &lengths[DELIVERY_TEXT_COUNT]);
    SQLBindParameter(statement, DELIVERY_TEXT_COUNT + 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_SMALLINT, 0, 0, &level, 0,
                     &lengths[DELIVERY_TEXT_COUNT + 1]);
    SQLBindParameter(statement, DELIVERY_TEXT_COUNT + 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &first_value,
                     0, &lengths[DELIVERY_TEXT_COUNT + 2]);
    SQLRETURN r = SQLExecDirectW(statement, sql, SQL_NTS);
    DeliveryProblem problem = DELIVERY_DONE;
    state[0] = 0;
    if (!SQL_SUCCEEDED(r)) {
        SQLINTEGER native = diagnostic(SQL_HANDLE_STMT, statement, state, message, 512);
        // The key is taken: 23505 (PostgreSQL), 23000 with 2627 or 2601 (SQL Server).
        if (!strcmp(state, "23505") || (!strcmp(state, "23000") && (native == 2627 || native == 2601)))
            problem = DELIVERY_DONE;
        else if (!strcmp(state, "42P01") || !strcmp(state, "42S02") || strstr(message, "does not exist") ||
                 strstr(message, "Invalid object name"))
            problem = DELIVERY_NO_TABLE;
        else if (starts(state, "08") || starts(state, "HYT"))
            problem = DELIVERY_UNREACHABLE;
        else
            problem = DELIVERY_ROW_REFUSED;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    bool committed = SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, c->link, SQL_SUCCEEDED(r) ? SQL_COMMIT : SQL_ROLLBACK));
    if (SQL_SUCCEEDED(r) && !committed) {
        diagnostic(SQL_HANDLE_DBC, c->link, state, message, 512);
        problem = DELIVERY_UNREACHABLE;  // not confirmed: the file stays, a retry finds the key if it landed
    }
    return problem;
}

int outbox_folder(wchar_t* folder) { return store_suite_path(L"outbox", folder, RECORD_PATH_CAPACITY); }

// Claims the file `name` for this program by renaming it; true when the
// claim is ours, `claimed` its new path.
bool claim(const wchar_t* folder, const wchar_t* name, wchar_t* claimed) {
    wchar_t path[RECORD_PATH_CAPACITY], base[PLATFORM_NAME_CAPACITY];
    text_copy(base, PLATFORM_NAME_CAPACITY, name);
    // A claim of a program that has ended goes back to the outbox first.
    if (wchar_t* dot = wcsstr(base, L".row.")) dot[4] = 0;
    text_format(path, RECORD_PATH_CAPACITY, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, name);
    text_format(claimed, RECORD_PATH_CAPACITY, L"%ls%lc%ls.%lu", folder, PLATFORM_PATH_SEPARATOR, base,
                platform_calls.process_id());
    return wcscmp(path, claimed) == 0 || platform_calls.move_over(path, claimed);
}

bool read_row(const wchar_t* path, DeliveryRow* row) {
    static thread_local char bytes[DELIVERY_FILE_BYTES];
    int n = platform_read_small_file(path, bytes, DELIVERY_FILE_BYTES);
    return n > 0 && delivery_read_file_text(bytes, n, row);
}

}  // namespace

const wchar_t* delivery_problem_words(DeliveryProblem problem) {
    switch (problem) {
    case DELIVERY_DONE: return L"";
    case DELIVERY_NO_DRIVER: return L"未安装 ODBC 驱动";
    case DELIVERY_UNREACHABLE: return L"服务器无法连接";
    case DELIVERY_LOGIN_REFUSED: return L"登录被拒绝";
    case DELIVERY_NO_TABLE: return L"数据表不存在";
    case DELIVERY_ROW_REFUSED: return L"数据库拒收";
    case DELIVERY_OUTBOX_UNREADABLE: return L"待上传文件无法读取";
    }
    return L"";
}

void delivery_pass(const wchar_t* connection_string, DeliveryReport* report) {
    *report = {};
    wchar_t folder[RECORD_PATH_CAPACITY];
    static thread_local wchar_t names[PASS_FILES][PLATFORM_NAME_CAPACITY];
    static thread_local DeliveryRow row;
    int count = outbox_folder(folder) < 0 ? -1 : platform_calls.list_folder(folder, L"", names, PASS_FILES);
    if (count < 0) {
        report->problem = DELIVERY_OUTBOX_UNREADABLE;
        return;
    }
    Connection connection;
    bool unreadable = false;
    for (int k = 0; k < count && report->problem == DELIVERY_DONE; k++) {
        const wchar_t* name = names[k];
        // A file still being written under its private name is not one yet.
        if (wcslen(name) > 4 && wcscmp(name + wcslen(name) - 4, L".new") == 0) continue;
        const wchar_t* claim_mark = wcsstr(name, L".row.");
        bool waiting = claim_mark ? !platform_calls.process_running(wcstoul(claim_mark + 5, nullptr, 10)) ||
                                        wcstoul(claim_mark + 5, nullptr, 10) == platform_calls.process_id()
                                  : wcslen(name) > 4 && wcscmp(name + wcslen(name) - 4, ROW_SUFFIX) == 0;
        wchar_t claimed[RECORD_PATH_CAPACITY];
        if (!waiting || !claim(folder, name, claimed)) continue;
        // A file that cannot be read stays for IT to look at; the others go.
        bool readable = read_row(claimed, &row);
        unreadable = unreadable || !readable;
        if (readable && !connection.open) report->problem = connect(connection_string, &connection, report->state);
        if (readable && report->problem == DELIVERY_DONE) report->problem = insert(&connection, row, report->state);
        if (readable && report->problem == DELIVERY_DONE) {
            platform_calls.remove_file(claimed);
            report->delivered++;
        } else {
            // Back to the outbox for whoever delivers next.
            wchar_t waiting_path[RECORD_PATH_CAPACITY];
            text_copy(waiting_path, RECORD_PATH_CAPACITY, claimed);
            if (wchar_t* dot = wcsstr(waiting_path, L".row.")) dot[4] = 0;
            platform_calls.move_over(claimed, waiting_path);
        }
    }
    disconnect(&connection);
    if (report->problem == DELIVERY_DONE && unreadable) report->problem = DELIVERY_OUTBOX_UNREADABLE;
    report->waiting = delivery_waiting();
}
