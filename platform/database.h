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
};

extern DatabaseCalls database_calls;
extern const DatabaseCalls database_system_calls;
