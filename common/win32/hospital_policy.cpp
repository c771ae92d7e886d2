// The hospital's policy values, where Group Policy writes them.
#include "common/win32/hospital_policy.h"

#include "common/win32/policy_values.h"

// A policy value, read where Group Policy writes it (the 64-bit view, for
// 32-bit programs too): its type, and how many bytes it holds. False when
// it is not there.
bool policy_value(const wchar_t* name, DWORD* type, void* value, DWORD* size) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    LONG read = RegQueryValueExW(key, name, nullptr, type, (BYTE*)value, size);
    RegCloseKey(key);
    // Too big for the room: there, but not read.
    if (read == ERROR_MORE_DATA) *size = 0xFFFFFFFF;
    return read == ERROR_SUCCESS || read == ERROR_MORE_DATA;
}

bool policy_requires_patient(bool assessment) {
    DWORD value = 0, type = 0, size = sizeof value;
    bool set = policy_value(L"RequirePatient", &type, &value, &size) && type == REG_DWORD && size == sizeof value &&
               (value == 0 || value == 1);
    return set ? value == 1 : assessment;
}

PolicyString policy_records_database(wchar_t* connection, int capacity) {
    return policy_connection(L"RecordsDatabase", connection, capacity);
}

PolicyString policy_connection(const wchar_t* name, wchar_t* connection, int capacity) {
    connection[0] = 0;
    // Its own room: the delivery's thread and the ward list's may read at once.
    wchar_t stored[POLICY_CONNECTION_CAPACITY];
    DWORD type = 0, size = sizeof stored;
    if (!policy_value(name, &type, stored, &size) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return POLICY_NOT_SET;
    if (size == 0xFFFFFFFF) return POLICY_TOO_LONG;
    // What was stored may lack its terminator.
    DWORD characters = size / sizeof(wchar_t);
    if (characters >= POLICY_CONNECTION_CAPACITY) {
        if (stored[POLICY_CONNECTION_CAPACITY - 1] != 0) return POLICY_TOO_LONG;
        characters = POLICY_CONNECTION_CAPACITY - 1;
    }
    stored[characters] = 0;
    if (!stored[0]) return POLICY_NOT_SET;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsW(stored, connection, (DWORD)capacity);
        if (needed == 0 || needed > (DWORD)capacity || needed > POLICY_CONNECTION_CAPACITY) {
            connection[0] = 0;
            return POLICY_TOO_LONG;
        }
        return POLICY_SET;
    }
    if (text_length(stored) > DELIVERY_CONNECTION_LIMIT || text_length(stored) >= capacity) return POLICY_TOO_LONG;
    text_copy(connection, capacity, stored);
    return POLICY_SET;
}
