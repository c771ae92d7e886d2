// Inserts one saved result into the hospital's database through ODBC, as a
// ward PC's program does: the writer's connection string from the
// environment (GLYVANT_TEST_DATABASE), one prepared INSERT whose values are
// all bound parameters, the texts as UTF-16 (SQL_C_WCHAR), then a commit.
// Prints, one a line, each column and the UTF-8 bytes of its value in hex,
// for the test to compare with what the server stored.
// Exit 0 when the row was committed, 1 with ODBC's diagnostics on standard
// error when not, 2 without a connection string.
#include <windows.h>

#include <sql.h>
#include <sqlext.h>
#include <stdio.h>

namespace {

// The row, column by column in the table's order; a null value is NULL.
// Every value goes as text: the server makes the numbers and the time of
// the ones bound as such. The patient's name is an attempt to end the
// statement and drop the table, which a bound parameter stores as typed;
// the nurse's holds 𠮷, a character beyond the BMP (two UTF-16 units, one
// character); the inputs and the result span lines; the nurse's number is
// empty, which is not NULL.
struct Column {
    const wchar_t* name;
    SQLSMALLINT sql_type;
    const wchar_t* value;
};
const Column ROW[] = {
    {L"record_id", SQL_WVARCHAR, L"3f2a1c9e-5b7d-4e08-9a61-0c4d2b8e7f15"},
    {L"saved_at", SQL_WVARCHAR, L"2026-12-09 08:15:00+08:00"},
    {L"tool_id", SQL_INTEGER, L"18"},
    {L"tool_title", SQL_WVARCHAR, L"Braden 压力性损伤风险评估"},
    {L"program_version", SQL_WVARCHAR, L"1.0.0"},
    {L"computer", SQL_WVARCHAR, L"WARD-PC-07"},
    {L"windows_user", SQL_WVARCHAR, L"护士站"},
    {L"nurse_id", SQL_WVARCHAR, L""},
    {L"nurse_name", SQL_WVARCHAR, L"测试𠮷护士"},
    {L"patient_id", SQL_WVARCHAR, L"2026009001"},
    {L"patient_name", SQL_WVARCHAR, L"'); DROP TABLE orvomed_record;--"},
    {L"bed", SQL_WVARCHAR, L"12床"},
    {L"ward", SQL_WVARCHAR, L"普外一科"},
    {L"inputs", SQL_WLONGVARCHAR, L"感知能力=3\n潮湿程度=2"},
    {L"outputs", SQL_WLONGVARCHAR, L"总分=15 分"},
    {L"first_value", SQL_DOUBLE, nullptr},
    {L"verdict", SQL_WLONGVARCHAR, L"结论：轻度风险，每班评估（“≤18”）"},
    {L"level", SQL_SMALLINT, L"2"},
    {L"level_words", SQL_WVARCHAR, L"需关注"},
    {L"result_text", SQL_WLONGVARCHAR, L"Braden 压力性损伤风险评估\r\n总分：15 分\r\n结论：轻度风险"},
};
constexpr int COLUMNS = sizeof ROW / sizeof ROW[0];

// Prints the diagnostics of a failed call on standard error, after what
// was being done.
void report_failure(const wchar_t* doing, SQLSMALLINT handle_type, SQLHANDLE handle) {
    fprintf(stderr, "odbc_probe: %ls failed\n", doing);
    SQLWCHAR state[6], message[1024];
    SQLINTEGER native;
    SQLSMALLINT length;
    for (SQLSMALLINT record = 1; record <= 8; record++) {
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(handle_type, handle, record, state, &native, message,
                                          1024, &length)))
            break;
        char text[3072];
        if (WideCharToMultiByte(CP_UTF8, 0, (const wchar_t*)message, -1, text, sizeof text, nullptr,
                                nullptr) == 0)
            text[0] = 0;
        fprintf(stderr, "  [%ls] %s\n", (const wchar_t*)state, text);
    }
}

// Appends text to the statement in sql (capacity in characters, used so
// far in *used). Returns false, the statement cut, when it does not fit.
bool append(wchar_t* sql, int capacity, int* used, const wchar_t* text) {
    for (; *text && *used + 1 < capacity; text++) sql[(*used)++] = *text;
    sql[*used] = 0;
    return *text == 0;
}

// The INSERT with one parameter marker per column, into sql. Returns false
// when it would not fit.
bool insert_statement(wchar_t* sql, int capacity) {
    int used = 0;
    bool fits = append(sql, capacity, &used, L"INSERT INTO orvomed_record (");
    for (int i = 0; i < COLUMNS; i++)
        fits = fits && append(sql, capacity, &used, i ? L", " : L"") &&
               append(sql, capacity, &used, ROW[i].name);
    for (int i = 0; i < COLUMNS; i++)
        fits = fits && append(sql, capacity, &used, i ? L", ?" : L") VALUES (?");
    return fits && append(sql, capacity, &used, L")");
}

// Prints each column and its value's UTF-8 bytes in hex, or "-" for NULL.
void print_row() {
    for (const Column& column : ROW) {
        unsigned char bytes[1024];
        int n = column.value ? WideCharToMultiByte(CP_UTF8, 0, column.value, -1, (char*)bytes,
                                                   sizeof bytes, nullptr, nullptr)
                             : 0;
        printf("%ls %s", column.name, n ? "" : "-");
        for (int i = 0; i + 1 < n; i++) printf("%02x", bytes[i]);
        printf("\n");
    }
}

}  // namespace

int main() {
    wchar_t connection[1024];
    DWORD length = GetEnvironmentVariableW(L"GLYVANT_TEST_DATABASE", connection, 1024);
    if (length == 0 || length >= 1024) {
        fprintf(stderr, "odbc_probe: GLYVANT_TEST_DATABASE is not set\n");
        return 2;
    }
    wchar_t sql[1024];
    if (!insert_statement(sql, 1024)) return 2;

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    // An unreachable server ends the attempt in 5 s rather than the
    // driver's default, which can be minutes.
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)5, 0);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, (SQLWCHAR*)connection, SQL_NTS, nullptr, 0,
                                         nullptr, SQL_DRIVER_NOPROMPT))) {
        report_failure(L"connecting", SQL_HANDLE_DBC, dbc);
        return 1;
    }
    SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    const wchar_t* doing = L"preparing";
    bool done = SQL_SUCCEEDED(SQLPrepareW(stmt, (SQLWCHAR*)sql, SQL_NTS));
    SQLLEN lengths[COLUMNS];
    for (int i = 0; done && i < COLUMNS; i++) {
        doing = ROW[i].name;
        SQLULEN characters = ROW[i].value ? lstrlenW(ROW[i].value) : 0;
        lengths[i] = ROW[i].value ? (SQLLEN)(characters * sizeof(wchar_t)) : SQL_NULL_DATA;
        done = SQL_SUCCEEDED(SQLBindParameter(stmt, i + 1, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                              ROW[i].sql_type, characters ? characters : 1, 0,
                                              (SQLPOINTER)ROW[i].value,
                                              ROW[i].value ? lengths[i] : 0, &lengths[i]));
    }
    if (done) {
        doing = L"inserting";
        done = SQL_SUCCEEDED(SQLExecute(stmt));
    }
    if (!done) report_failure(doing, SQL_HANDLE_STMT, stmt);
    if (done && !SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT))) {
        report_failure(L"committing", SQL_HANDLE_DBC, dbc);
        done = false;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    if (done) print_row();
    return done ? 0 : 1;
}
