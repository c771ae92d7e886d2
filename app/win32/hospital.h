// What the hospital's IT sets for every program of the suite, by Group
// Policy (HKLM\SOFTWARE\Policies\OrvoMed\Suite), and the delivery of saved
// results to the hospital's database, which the tools and the launcher
// share.
#pragma once

#include <windows.h>

#include "delivery/delivery.h"

// RequirePatient = 1: a result is saved or printed only for a patient.
bool policy_requires_patient();

// RecordsDatabase: the ODBC connection string of the hospital's database,
// at most this many characters. False (and empty) when none is set:
// nothing is sent.
constexpr int POLICY_CONNECTION_CAPACITY = 1024;
bool policy_records_database(wchar_t* connection, int capacity);

// Delivers the outbox on a thread of its own, so the window never waits on
// the network: a pass now (or right after the one running), then
// `message` is posted to `window` with the report's problem as WPARAM and
// the rows waiting as LPARAM. Nothing happens without RecordsDatabase.
void delivery_start(HWND window, UINT message);
// Passes a window that stays open asks for on its own, this often.
constexpr UINT DELIVERY_RETRY_MILLISECONDS = 3 * 60 * 1000;

// The status line after a delivery: "已保存；已上传医院数据库", or the rows
// waiting and why ("已保存到本机；医院数据库暂不可用，3 条待上传（将自动重试）：服务器无法连接").
// `after_save` tells whether the nurse just saved. Returns whether it is a
// warning (drawn in amber).
bool delivery_status(DeliveryProblem problem, int waiting, bool after_save, wchar_t* status, int capacity);
