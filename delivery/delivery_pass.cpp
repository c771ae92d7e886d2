// Delivering the outbox to the hospital's database through the database
// seam. Every value is a bound parameter; each row is inserted in a
// transaction of its own, and its outbox file removed only once the
// database has committed it. A row the database refuses holds up no other:
// it is set aside with its reason and told.
#include "delivery/delivery.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "delivery/outbox_files.h"

namespace {

// The files taken at a time, oldest first; the folder is read again for
// the next ones, so that the outbox may hold any number.
constexpr int BATCH = 64;

bool starts(const char* state, const char* prefix) { return strncmp(state, prefix, strlen(prefix)) == 0; }

void copy_state(DeliveryReport* report, const char* state) {
    strncpy(report->state, state, sizeof report->state - 1);
    report->state[sizeof report->state - 1] = 0;
}

// What a failed connection means for the nurse's status line: the driver
// manager's own states and words for a driver it cannot load, never any
// message that happens to hold the word "driver".
DeliveryProblem connection_problem(const DatabaseAnswer& answer) {
    if (answer.outcome == DATABASE_NO_ANSWER) return DELIVERY_UNREACHABLE;
    // libpq: "server certificate for ... does not match host name",
    // "certificate verify failed"; never a reason to go on without it.
    if (wcsstr(answer.message, L"certificate")) return DELIVERY_CERTIFICATE_REFUSED;
    if (starts(answer.state, "IM") || wcsstr(answer.message, L"Can't open lib") ||
        wcsstr(answer.message, L"Data source name not found"))
        return DELIVERY_NO_DRIVER;
    // PostgreSQL's own access rules (pg_hba.conf) refuse a login as surely
    // as a wrong password: an unencrypted one where only TLS is taken.
    if (starts(answer.state, "28") || wcsstr(answer.message, L"authentication") || wcsstr(answer.message, L"password") ||
        wcsstr(answer.message, L"Login failed") || wcsstr(answer.message, L"pg_hba.conf"))
        return DELIVERY_LOGIN_REFUSED;
    return DELIVERY_UNREACHABLE;
}

// What an insert that failed comes to.
enum InsertOutcome {
    INSERT_ALREADY_THERE,  // committed by an earlier delivery whose answer was lost
    INSERT_REFUSED,        // this row: set aside, the next goes on
    INSERT_STOP,           // the connection or the table: the pass ends, the rows wait
};

InsertOutcome insert_outcome(const DatabaseAnswer& answer, DeliveryProblem* problem) {
    const char* state = answer.state;
    // The key is taken: 23505 (PostgreSQL), 23000 with 2627 or 2601 (SQL Server).
    if (!strcmp(state, "23505") || (!strcmp(state, "23000") && (answer.native == 2627 || answer.native == 2601)))
        return INSERT_ALREADY_THERE;
    *problem = DELIVERY_UNREACHABLE;
    if (answer.outcome == DATABASE_NO_ANSWER || starts(state, "HYT") || !strcmp(state, "57014")) {
        *problem = DELIVERY_NO_ANSWER;
        return INSERT_STOP;
    }
    // The table is missing (42P01, 42S02), lacks a column (42703, 42S22) or
    // may not be written (42501, 229 on SQL Server): every row alike.
    if (!strcmp(state, "42P01") || !strcmp(state, "42S02") || wcsstr(answer.message, L"Invalid object name")) {
        *problem = DELIVERY_NO_TABLE;
        return INSERT_STOP;
    }
    if (starts(state, "42") || starts(state, "3F")) {
        *problem = DELIVERY_TABLE_MISMATCH;
        return INSERT_STOP;
    }
    // The link, the server's state or resources, a driver's own fault:
    // nothing to do with this row.
    const char* passing[] = {"08", "HY", "57", "40", "53", "55", "58", "IM", "28", "0A", "3D"};
    for (const char* prefix : passing)
        if (starts(state, prefix) || !state[0]) return INSERT_STOP;
    return INSERT_REFUSED;
}

// The nurse's words for a refusal, with its SQLSTATE for IT.
void refusal_cause(const DatabaseAnswer& answer, wchar_t* cause) {
    const char* state = answer.state;
    const wchar_t* words = L"数据库拒收";
    if (!strcmp(state, "22001")) words = L"文本超出数据库列的长度";
    else if (starts(state, "22007") || starts(state, "22008")) words = L"时间无法被数据库识别";
    else if (!strcmp(state, "23514") || (!strcmp(state, "23000") && answer.native == 547)) words = L"不符合数据库的检查规则";
    else if (!strcmp(state, "23502")) words = L"缺少数据库要求的值";
    else if (starts(state, "22")) words = L"数据不符合数据库的格式";
    text_format(cause, DELIVERY_CAUSE_CAPACITY, L"%ls（%s）", words, state);
}

// The INSERT, every value a parameter.
void insert_statement(wchar_t* sql, int capacity) {
    text_copy(sql, capacity, L"INSERT INTO orvomed.orvomed_record (");
    wchar_t values[256] = L") VALUES (";
    for (int k = 0; k < DELIVERY_TEXT_COUNT + 3; k++) {
        wchar_t name[40];
        text_format(name, 40, k ? L", %s" : L"%s", delivery_column(k));
        text_append(sql, capacity, name);
        text_append(values, 256, k ? L", ?" : L"?");
    }
    text_append(sql, capacity, values);
    text_append(sql, capacity, L")");
}

// ---- The oldest files of the outbox, a batch at a time ----------------------------

struct Entry {
    int64_t written;
    wchar_t name[PLATFORM_NAME_CAPACITY];
};

// Whether a file written then, of that name, comes before the entry.
bool before(int64_t written, const wchar_t* name, const Entry& entry) {
    return written < entry.written || (written == entry.written && wcscmp(name, entry.name) < 0);
}
bool after(int64_t written, const wchar_t* name, const Entry& entry) {
    return written > entry.written || (written == entry.written && wcscmp(name, entry.name) > 0);
}

struct Batch {
    Entry cursor;  // every file at or before it was taken already
    bool started;
    Entry entries[BATCH];
    int count;
};

// Whether the pass may take the file: waiting, or left by a program that
// ended (a claim, or a file it died writing); never what a running
// program holds.
bool takeable(const wchar_t* name, int64_t written) {
    OutboxName read;
    if (!outbox_name_read(name, &read)) return false;
    if (read.kind == OUTBOX_WAITING) return true;
    // A file being written here is the window's, saving now, unless a crash
    // left it long ago.
    if (read.kind == OUTBOX_WRITING) return outbox_left_behind(read, written);
    // This program's own: a pass of ours that ended.
    if (read.process == platform_calls.process_id()) return true;
    return !outbox_writer_alive(read);
}

void gather(const wchar_t* name, int64_t written, void* context) {
    Batch& batch = *(Batch*)context;
    if (batch.started && !after(written, name, batch.cursor)) return;
    if (batch.count == BATCH && !before(written, name, batch.entries[BATCH - 1])) return;
    if (!takeable(name, written)) return;
    int at = batch.count < BATCH ? batch.count++ : BATCH - 1;
    while (at > 0 && before(written, name, batch.entries[at - 1])) {
        batch.entries[at] = batch.entries[at - 1];
        at--;
    }
    batch.entries[at].written = written;
    text_copy(batch.entries[at].name, PLATFORM_NAME_CAPACITY, name);
}

// ---- One pass -----------------------------------------------------------------------

struct Pass {
    const wchar_t* connection;
    DeliveryReport* report;
    DatabaseLink link;
    wchar_t folder[RECORD_PATH_CAPACITY];
};

enum Reading { ROW_READ, ROW_BROKEN, ROW_OF_A_LATER_VERSION };

Reading read_row(const wchar_t* path, DeliveryRow* row) {
    static thread_local char bytes[DELIVERY_FILE_BYTES];
    int n = platform_read_small_file(path, bytes, DELIVERY_FILE_BYTES);
    if (n > 0 && delivery_read_file_text(bytes, n, row)) return ROW_READ;
    // A format this version does not know, above its own: an earlier one
    // that does not read is torn.
    long format = 0;
    int at = 7;
    if (n > 8 && memcmp(bytes, "format=", 7) == 0)
        while (at < n && at < 16 && bytes[at] >= '0' && bytes[at] <= '9') format = format * 10 + (bytes[at++] - '0');
    if (at >= n || bytes[at] != '\n') format = 0;
    return format > DELIVERY_FILE_FORMAT ? ROW_OF_A_LATER_VERSION : ROW_BROKEN;
}

void set_aside(Pass& pass, const wchar_t* claimed, const wchar_t* record, bool broken, const char* state,
               const wchar_t* cause, const wchar_t* message) {
    if (outbox_set_aside(claimed, record, broken, state, cause, message)) pass.report->rejected++;
}

// Sends one row; false when the pass must end.
bool send(Pass& pass, const DeliveryRow& row, const wchar_t* claimed, const wchar_t* record) {
    DeliveryReport* report = pass.report;
    DatabaseAnswer answer;
    if (pass.link == DATABASE_NO_LINK) {
        pass.link = database_calls.connect(pass.connection, DELIVERY_LOGIN_TIMEOUT_SECONDS, &answer);
        if (pass.link == DATABASE_NO_LINK) {
            report->problem = connection_problem(answer);
            copy_state(report, answer.state);
            return false;
        }
    }
    DatabaseParameter parameters[DELIVERY_TEXT_COUNT + 3];
    for (int k = 0; k < DELIVERY_TEXT_COUNT; k++) parameters[k] = {DATABASE_TEXT, row.texts[k], 0, 0};
    // A time not given is no time: NULL, never an empty text the server
    // cannot read.
    const int times[] = {DELIVERY_ADMITTED_AT, DELIVERY_ASSESSED_AT, DELIVERY_DUE_AT};
    for (int k : times)
        if (!row.texts[k][0]) parameters[k] = {DATABASE_NULL, nullptr, 0, 0};
    parameters[DELIVERY_TEXT_COUNT] = {DATABASE_INTEGER, nullptr, row.tool_id, 0};
    parameters[DELIVERY_TEXT_COUNT + 1] = {DATABASE_INTEGER, nullptr, row.level, 0};
    parameters[DELIVERY_TEXT_COUNT + 2] = {row.headline_value == row.headline_value ? DATABASE_DOUBLE : DATABASE_NULL,
                                           nullptr, 0, row.headline_value};
    wchar_t sql[1024];
    insert_statement(sql, 1024);
    database_calls.execute(pass.link, sql, parameters, DELIVERY_TEXT_COUNT + 3, DELIVERY_STATEMENT_TIMEOUT_SECONDS,
                           &answer);
    bool inserted = answer.outcome == DATABASE_DONE;
    InsertOutcome outcome = INSERT_ALREADY_THERE;
    DeliveryProblem problem = DELIVERY_DONE;
    if (!inserted) outcome = insert_outcome(answer, &problem);
    if (answer.outcome == DATABASE_NO_ANSWER) {
        // The connection went with the call given up; it rolls back alone.
        pass.link = DATABASE_NO_LINK;
    } else {
        DatabaseAnswer ended;
        database_calls.end_transaction(pass.link, inserted, DELIVERY_STATEMENT_TIMEOUT_SECONDS, &ended);
        if (inserted && ended.outcome != DATABASE_DONE) {
            // Not confirmed: the file stays, and a retry finds the key if
            // the row did land.
            if (ended.outcome == DATABASE_NO_ANSWER) pass.link = DATABASE_NO_LINK;
            report->problem = ended.outcome == DATABASE_NO_ANSWER ? DELIVERY_NO_ANSWER : DELIVERY_UNREACHABLE;
            copy_state(report, ended.state);
            return false;
        }
    }
    if (inserted || outcome == INSERT_ALREADY_THERE) {
        platform_calls.remove_file(claimed);
        report->delivered++;
        return true;
    }
    if (outcome == INSERT_REFUSED) {
        wchar_t cause[DELIVERY_CAUSE_CAPACITY];
        refusal_cause(answer, cause);
        set_aside(pass, claimed, record, false, answer.state, cause, answer.message);
        return true;
    }
    report->problem = problem;
    copy_state(report, answer.state);
    return false;
}

// Claims the file, reads it and sends it; false when the pass must end.
bool deliver_file(Pass& pass, const wchar_t* name) {
    static thread_local DeliveryRow row;
    OutboxName read;
    wchar_t path[RECORD_PATH_CAPACITY], claimed[RECORD_PATH_CAPACITY], waiting[RECORD_PATH_CAPACITY],
        claim[PLATFORM_NAME_CAPACITY];
    if (!outbox_name_read(name, &read) ||
        text_format(path, RECORD_PATH_CAPACITY, L"%ls%lc%ls", pass.folder, PLATFORM_PATH_SEPARATOR, name) < 0 ||
        outbox_claim_name(read.record, claim, PLATFORM_NAME_CAPACITY) < 0 ||
        text_format(claimed, RECORD_PATH_CAPACITY, L"%ls%lc%ls", pass.folder, PLATFORM_PATH_SEPARATOR, claim) < 0 ||
        outbox_file_path(DELIVERY_OUTBOX_FOLDER, read.record, OUTBOX_ROW_SUFFIX, waiting) < 0)
        return true;
    // Another program may have taken it since the folder was read.
    if (wcscmp(path, claimed) != 0 && !platform_calls.move_over(path, claimed)) return true;
    switch (read_row(claimed, &row)) {
    case ROW_READ: break;
    case ROW_OF_A_LATER_VERSION:
        // Left for the later version's programs of this PC to send.
        platform_calls.move_over(claimed, waiting);
        return true;
    case ROW_BROKEN:
        // Torn by a crash or damaged on the disk: kept for IT, told.
        set_aside(pass, claimed, read.record, true, "", L"待上传文件已损坏，无法读取", L"");
        return true;
    }
    if (send(pass, row, claimed, read.record)) return true;
    // Back to the outbox for whoever delivers next.
    platform_calls.move_over(claimed, waiting);
    return false;
}

}  // namespace

void delivery_pass(const wchar_t* connection, DeliveryReport* report) {
    *report = {};
    static thread_local Pass pass;
    static thread_local Batch batch;
    pass = {connection, report, DATABASE_NO_LINK, L""};
    batch = {};
    if (outbox_file_path(DELIVERY_OUTBOX_FOLDER, L"", L"", pass.folder) < 0) {
        report->problem = DELIVERY_OUTBOX_UNREADABLE;
        return;
    }
    for (bool going = true; going;) {
        batch.count = 0;
        if (platform_calls.scan_folder(pass.folder, gather, &batch) < 0) {
            report->problem = DELIVERY_OUTBOX_UNREADABLE;
            break;
        }
        going = batch.count > 0;
        for (int k = 0; k < batch.count && going; k++) {
            batch.cursor = batch.entries[k];
            batch.started = true;
            going = deliver_file(pass, batch.entries[k].name);
        }
    }
    if (pass.link != DATABASE_NO_LINK) database_calls.disconnect(pass.link);
    report->left = delivery_counts();
}

DeliveryProblem delivery_connection_problem(const DatabaseAnswer& answer) { return connection_problem(answer); }
