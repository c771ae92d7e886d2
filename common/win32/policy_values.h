// How the policy's values are read, for the files of hospital_policy.h's
// functions alone.
#pragma once

#include "common/win32/hospital_policy.h"

// A policy value, read where Group Policy writes it (the 64-bit view, for
// 32-bit programs too): its type, and how many bytes it holds
// (0xFFFFFFFF: more than `size` holds). False when it is not there.
bool policy_value(const wchar_t* name, DWORD* type, void* value, DWORD* size);
// A connection string value, by RecordsDatabase's rules.
PolicyString policy_connection(const wchar_t* name, wchar_t* connection, int capacity);
