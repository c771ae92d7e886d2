// The outbox's files by name, shared by the outbox and the delivery: the
// one place their names are made and read.
#pragma once

#include <stdint.h>

#include "delivery/delivery.h"
#include "platform/database.h"

#define OUTBOX_ROW_SUFFIX L".row"
#define OUTBOX_REASON_SUFFIX L".reason.txt"
// Beside a file of the outbox that could not be read, in place of a reason.
#define OUTBOX_BROKEN_SUFFIX L".broken.txt"
// The line of a reason file that the status line quotes.
#define OUTBOX_CAUSE_LABEL "原因："
#define OUTBOX_CAUSE_WIDE L"原因："
constexpr int OUTBOX_REASON_BYTES = 4096;

enum OutboxFileKind {
    OUTBOX_WAITING,  // "<record>.row"
    OUTBOX_CLAIMED,  // "<record>.row.<process>-<start>" (or ".<process>", as the first format's programs wrote)
    OUTBOX_WRITING,  // "<record>.row.<process>.new": still being written, or left by a program that died writing it
};

struct OutboxName {
    OutboxFileKind kind;
    wchar_t record[RECORD_NUMBER_CAPACITY];
    unsigned long process;  // the claiming or writing program's
    uint64_t started;
    bool started_known;
};

// What a name in the outbox is; false for a name the suite never makes.
bool outbox_name_read(const wchar_t* name, OutboxName* read);
// Whether the program named by a claim or a file being written still runs:
// the same id and, where the name tells it, the same start.
bool outbox_writer_alive(const OutboxName& name);
// Whether a file under its private name, written then, was left by a
// program that died writing it: its writer gone, or the file older than any
// write takes, whoever holds its id now.
bool outbox_left_behind(const OutboxName& name, int64_t written);
// This program's claim of a record: "<record>.row.<process>-<start>".
int outbox_claim_name(const wchar_t* record, wchar_t* name, int capacity);

// "<data folder>/OrvoMedSuite/<folder>/<record><suffix>", or the folder
// itself for an empty record (RECORD_PATH_CAPACITY). -1 when it does not fit.
int outbox_file_path(const wchar_t* folder, const wchar_t* record, const wchar_t* suffix, wchar_t* path);

// Moves the claimed file `claimed` into the rejected folder, its reason
// (SQLSTATE, the words for the nurse, the server's own) written beside it
// first, under OUTBOX_BROKEN_SUFFIX for a file that could not be read.
// False when either could not be done.
bool outbox_set_aside(const wchar_t* claimed, const wchar_t* record, bool broken, const char* state,
                      const wchar_t* cause, const wchar_t* message);
