// Saved results on their way to the hospital's own database: an outbox of
// one file per result beside the records, and the delivery that inserts
// them through ODBC, each once, removing a file only once the database has
// committed its row. Without a configured database nothing is queued.
#pragma once

#include "store/store.h"

// ---- What is sent -----------------------------------------------------------------

// The row of `orvomed_record` (docs/records/) a saved result becomes, in
// the table's column order. Texts are whole; first_value is NaN where the
// first output failed or the tool writes a report (NULL in the table).
enum DeliveryText : int {
    DELIVERY_RECORD_ID,
    DELIVERY_SAVED_AT,
    DELIVERY_TOOL_TITLE,
    DELIVERY_PROGRAM_VERSION,
    DELIVERY_COMPUTER,
    DELIVERY_WINDOWS_USER,
    DELIVERY_NURSE_ID,
    DELIVERY_NURSE_NAME,
    DELIVERY_PATIENT_ID,
    DELIVERY_PATIENT_NAME,
    DELIVERY_BED,
    DELIVERY_WARD,
    DELIVERY_INPUTS,
    DELIVERY_OUTPUTS,
    DELIVERY_VERDICT,
    DELIVERY_LEVEL_WORDS,
    DELIVERY_RESULT_TEXT,
    DELIVERY_TEXT_COUNT,
};

// Every text of a row fits this many characters: the longest is the
// result as copied.
constexpr int DELIVERY_TEXT_CAPACITY = RESULT_TEXT_CAPACITY + 512;

struct DeliveryRow {
    wchar_t texts[DELIVERY_TEXT_COUNT][DELIVERY_TEXT_CAPACITY];
    int tool_id;
    int level;
    double first_value;
};

// The table's column of each text, and of the numbers.
const char* delivery_column(int text);

// The row of a result saved with `stamp` (record_save's).
void delivery_row_of(const PreparedTool& tool, const Calculation& calculation, const RecordStamp& stamp,
                     DeliveryRow* row);

// ---- The outbox -------------------------------------------------------------------

// "<per-user data folder>/OrvoMedSuite/outbox": one file "<record id>.row"
// per result waiting, written whole (a new name, on the disk, then moved
// into place); a delivery claims a file by renaming it
// "<record id>.row.<process id>" before it sends it.
constexpr int DELIVERY_FILE_BYTES = 8 * DELIVERY_TEXT_COUNT * DELIVERY_TEXT_CAPACITY;

// Queues the row. False when its file could not be written whole.
bool delivery_queue(const DeliveryRow& row);

// How many results wait in the outbox, claimed or not.
int delivery_waiting();

// The file's text for a row, and the row of a file's text: UTF-8
// "column=value" lines, "\\", CR and LF in a value written "\\\\", "\\r"
// and "\\n". Reading fails (false) on any line it does not know.
int delivery_file_text(const DeliveryRow& row, char* bytes, int capacity);
bool delivery_read_file_text(const char* bytes, int length, DeliveryRow* row);

// ---- The database -----------------------------------------------------------------

// What a delivery came to, as the status line names it.
enum DeliveryProblem : int {
    DELIVERY_DONE,             // every row waiting was committed
    DELIVERY_NO_DRIVER,        // the connection string names a driver or DSN not installed
    DELIVERY_UNREACHABLE,      // the server did not answer within the time allowed
    DELIVERY_LOGIN_REFUSED,
    DELIVERY_NO_TABLE,         // orvomed_record is missing
    DELIVERY_ROW_REFUSED,      // the database refused a row (its SQLSTATE in the report)
    DELIVERY_OUTBOX_UNREADABLE,
};

// The words for a problem: "服务器无法连接" and the like.
const wchar_t* delivery_problem_words(DeliveryProblem problem);

// A connection attempt gives up after this many seconds.
constexpr int DELIVERY_LOGIN_TIMEOUT_SECONDS = 5;

struct DeliveryReport {
    DeliveryProblem problem;
    int delivered;  // rows committed in this pass (a row already there counts)
    int waiting;    // rows left in the outbox afterwards
    char state[6];  // the SQLSTATE of the failure, "" without one
};

// One pass over the outbox: every file not claimed by another program is
// claimed, inserted and removed once committed; a file claimed by a
// program that has ended is taken over. Stops at the first problem of the
// connection, leaving the rest waiting.
void delivery_pass(const wchar_t* connection, DeliveryReport* report);
