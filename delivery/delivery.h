// Saved results on their way to the hospital's own database: an outbox of
// one file per result beside the records, and the delivery that inserts
// them through ODBC, each once, removing a file only once the database has
// committed its row. Without a configured database nothing is queued.
#pragma once

#include "platform/database.h"
#include "store/store.h"

// ---- What is sent -----------------------------------------------------------------

// The row of `orvomed_record` (docs/records/) a saved result becomes: its
// texts by name (delivery_column names each one's column), and the tool,
// the level and the headline value beside them. Texts are whole; headline_value is NaN
// where the headline output failed or the tool writes a report (NULL in the
// table), and so are the admission, the assessment's and the due time when empty.
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
    DELIVERY_VISIT_ID,
    DELIVERY_ADMITTED_AT,  // "2026-12-08 09:30:00+08:00"
    DELIVERY_ASSESSED_AT,
    DELIVERY_DUE_AT,       // when the result is due for reassessment; empty where no interval applies
    DELIVERY_TEXT_COUNT,
};

// Every text of a row fits this many characters: the longest is the
// result as copied.
constexpr int DELIVERY_TEXT_CAPACITY = RECORD_COPY_CAPACITY;

struct DeliveryRow {
    wchar_t texts[DELIVERY_TEXT_COUNT][DELIVERY_TEXT_CAPACITY];
    int tool_id;
    int level;
    double headline_value;
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
// "<record id>.row.<process id>-<process start time>" before it sends it,
// so that a process that ended is known as such even when another has
// taken its id since. A row the database refuses moves to "rejected"
// beside it, with "<record id>.reason.txt", the server's SQLSTATE and words;
// moved back into the outbox, it is sent again.
#define DELIVERY_OUTBOX_FOLDER L"outbox"
#define DELIVERY_REJECTED_FOLDER L"rejected"
constexpr int DELIVERY_FILE_BYTES = 8 * DELIVERY_TEXT_COUNT * DELIVERY_TEXT_CAPACITY;
// The format of the files this version writes; it reads every earlier one.
// A file of the first two formats holds no stay or assessment time, and its
// value was the first output's, not the headline's; one of the third, no
// due time: it is sent without them.
constexpr int DELIVERY_FILE_FORMAT = 4;

// Queues the row. False when its file could not be written whole.
bool delivery_queue(const DeliveryRow& row);

// The file's text for a row, and the row of a file's text: UTF-8
// "column=value" lines after "format=4", "\\", CR and LF in a value
// written "\\\\", "\\r" and "\\n" (a file of the first format has no
// format line). Reading fails (false) on any line it does not know, a
// format it does not know among them.
int delivery_file_text(const DeliveryRow& row, char* bytes, int capacity);
bool delivery_read_file_text(const char* bytes, int length, DeliveryRow* row);

// The words for why the database refused a row, for the nurse: a text
// longer than its column, a time it cannot read, a check of the server's,
// or its SQLSTATE.
constexpr int DELIVERY_CAUSE_CAPACITY = 96;

// What is in the outbox and beside it.
struct DeliveryCounts {
    int waiting;   // results in the outbox, claimed or not
    int rejected;  // results the database refused, set aside
    int broken;    // files of the outbox that could not be read, set aside
    wchar_t cause[DELIVERY_CAUSE_CAPACITY];  // why the latest of them was refused
};
DeliveryCounts delivery_counts();

// Where a saved result stands, by its record number: delivered once no
// file of it is left.
enum DeliveryRowState { DELIVERY_ROW_DELIVERED, DELIVERY_ROW_WAITING, DELIVERY_ROW_REJECTED };
DeliveryRowState delivery_row_state(const wchar_t* record_id);

// ---- The database -----------------------------------------------------------------

// What a delivery came to, as the status line names it.
enum DeliveryProblem : int {
    DELIVERY_DONE,                 // every row it could send was committed or set aside
    DELIVERY_NO_DRIVER,            // the connection string names a driver or DSN not installed
    DELIVERY_UNREACHABLE,          // the server did not answer the connection
    DELIVERY_LOGIN_REFUSED,
    DELIVERY_NO_TABLE,             // orvomed.orvomed_record is missing
    DELIVERY_TABLE_MISMATCH,       // the table lacks a column this version sends, or may not be written
    DELIVERY_OUTBOX_UNREADABLE,    // the outbox folder cannot be read
    DELIVERY_CERTIFICATE_REFUSED,  // the server's certificate is not the one the connection string trusts
    DELIVERY_NO_ANSWER,            // the server stopped answering after the login
    DELIVERY_CONNECTION_TOO_LONG,  // the policy's connection string is longer than the program reads
};

// What a connection the database refused or did not answer comes to: the
// driver, the server, the login or its certificate. The ward's list reads
// its own connection's failures so too.
DeliveryProblem delivery_connection_problem(const DatabaseAnswer& answer);

// The words for a problem: "服务器无法连接" and the like.
const wchar_t* delivery_problem_words(DeliveryProblem problem);

// The hospital's connection string holds at most this many characters
// (the policy template's limit too); a longer one is told, never cut.
constexpr int DELIVERY_CONNECTION_LIMIT = 1024;

// A connection attempt gives up after this many seconds, and a statement
// or a commit after that many: a server that stops answering holds a pass
// no longer.
constexpr int DELIVERY_LOGIN_TIMEOUT_SECONDS = 5;
constexpr int DELIVERY_STATEMENT_TIMEOUT_SECONDS = 25;

struct DeliveryReport {
    DeliveryProblem problem;
    int delivered;  // rows committed in this pass (a row already there counts)
    int rejected;   // rows the database refused in this pass, set aside
    DeliveryCounts left;  // afterwards
    char state[6];  // the SQLSTATE of the problem, "" without one
};

// One pass over the outbox, oldest file first, every file considered
// however many there are: each not claimed by a program still running is
// claimed, inserted and removed once committed; a row the database refuses
// is set aside with its reason and the next goes on; a file that cannot be
// read is set aside too. A problem of the connection or the table ends the
// pass, the rest waiting for the next; so does a server that stops
// answering, the claim released.
void delivery_pass(const wchar_t* connection, DeliveryReport* report);

// The words of the status line after a delivery, for a tool after a save
// (`own`: where the rows the nurse just saved stand, all of them
// delivered, some waiting, or one refused) and for a pass of its own
// (`own` nullptr). Returns whether they are a warning, drawn in amber.
bool delivery_status(const DeliveryReport& report, const DeliveryRowState* own, wchar_t* status, int capacity);
// A pass of its own, in a window that saved nothing into it: whether its
// status line tells of it. It does while there is a problem or rows wait,
// and once more when they are over ("已全部上传"); `*telling` says whether
// the line speaks of the delivery now, and is kept by the window between
// passes. Otherwise the line keeps what it says.
bool delivery_pass_status(const DeliveryReport& report, bool* telling, bool* warning, wchar_t* status, int capacity);
