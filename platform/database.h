// The seam between the delivery and a database server: ODBC (Windows'
// odbc32, unixODBC elsewhere) behind one table of calls, which tests may
// change to answer as a server would (a refusal, a key already there, no
// answer at all) without a server.
#pragma once

#include <stdint.h>

// What the database answered a call.
enum DatabaseOutcome {
    DATABASE_DONE,
    DATABASE_FAILED,     // an answer with an error: its SQLSTATE and words below
    DATABASE_NO_ANSWER,  // none within the time given: the call was given up, its connection with it
};

constexpr int DATABASE_MESSAGE_CAPACITY = 512;

struct DatabaseAnswer {
    DatabaseOutcome outcome;
    char state[6];     // the SQLSTATE of the first error (not a warning), "" without one
    long native;       // the driver's own number for it
    wchar_t message[DATABASE_MESSAGE_CAPACITY];  // its words, as the driver gives them
};

enum DatabaseValueKind { DATABASE_TEXT, DATABASE_INTEGER, DATABASE_DOUBLE, DATABASE_NULL };

// One parameter of a statement: every value goes as a bound parameter,
// never as SQL.
struct DatabaseParameter {
    DatabaseValueKind kind;
    const wchar_t* text;
    int64_t integer;
    double number;
};

// A connection: a number the calls give out, or DATABASE_NO_LINK.
using DatabaseLink = int;
constexpr DatabaseLink DATABASE_NO_LINK = -1;

// ---- Rows read back ----------------------------------------------------------------
// A server's answer is data from outside: every cell is bounded by the
// caller's capacity, a longer text cut and known as cut, NULL told apart
// from an empty text, and no more rows taken than asked for.

constexpr int DATABASE_MAX_COLUMNS = 32;
// What the seam holds of one answer, whatever the caller's room: its rows'
// characters (the capacities' sum, rows times) and cells (columns, rows times).
constexpr int DATABASE_ANSWER_UNITS = 1 << 19;
constexpr int DATABASE_ANSWER_CELLS = 1 << 15;

enum DatabaseCell : unsigned char {
    DATABASE_CELL_TEXT,  // the whole text
    DATABASE_CELL_NULL,  // NULL: the text is empty
    DATABASE_CELL_CUT,   // longer than its column's capacity: the first capacity - 1 characters
};

// The rows a query hands back, into the caller's cells.
struct DatabaseRows {
    // Asked:
    int columns;             // the first `columns` columns of every row, 1 to DATABASE_MAX_COLUMNS
    const int* capacities;   // each column's room in characters, its terminator included (1 or more)
    int max_rows;            // at most this many rows
    wchar_t* cells;          // max_rows times the capacities' sum; see database_cell
    DatabaseCell* states;    // max_rows times `columns`
    // Answered:
    int count;               // the rows handed back
    bool more;               // the answer held more than max_rows
};

// The characters a row takes in `cells`.
inline int database_row_width(const DatabaseRows& rows) {
    int width = 0;
    for (int c = 0; c < rows.columns; c++) width += rows.capacities[c];
    return width;
}
// Row `row`'s text of column `column`, always terminated.
inline const wchar_t* database_cell(const DatabaseRows& rows, int row, int column) {
    int at = row * database_row_width(rows);
    for (int c = 0; c < column; c++) at += rows.capacities[c];
    return rows.cells + at;
}
inline DatabaseCell database_cell_state(const DatabaseRows& rows, int row, int column) {
    return rows.states[row * rows.columns + column];
}

// Every call waits for the server at most the seconds it is given; a call
// given up that still runs on finishes alone and rolls back.
struct DatabaseCalls {
    // Connects with an ODBC connection string, autocommit off.
    DatabaseLink (*connect)(const wchar_t* connection, int seconds, DatabaseAnswer* answer);
    // Runs one statement with `count` parameters in the link's transaction.
    void (*execute)(DatabaseLink link, const wchar_t* sql, const DatabaseParameter* parameters, int count,
                    int seconds, DatabaseAnswer* answer);
    // Commits or rolls back the link's transaction.
    void (*end_transaction)(DatabaseLink link, bool commit, int seconds, DatabaseAnswer* answer);
    // Ends the connection; a link given up is left to end when its call does.
    void (*disconnect)(DatabaseLink link);
    // Runs one SELECT with `count` parameters in the link's transaction and
    // hands back its first rows->max_rows rows, each column as text. Asked
    // for more than the seam holds (DATABASE_ANSWER_UNITS,
    // DATABASE_ANSWER_CELLS, DATABASE_MAX_COLUMNS), it fails without asking
    // the server; an answer of fewer columns than asked fails too. On any
    // outcome but DATABASE_DONE no row is handed back (count 0).
    void (*query)(DatabaseLink link, const wchar_t* sql, const DatabaseParameter* parameters, int count,
                  int seconds, DatabaseRows* rows, DatabaseAnswer* answer);
};

extern DatabaseCalls database_calls;
extern const DatabaseCalls database_system_calls;
