// The reading connection's policy value, ReadingDatabase, with
// RecordsDatabase's rules: read with a buffer of the caller's thread, since
// a tool reads it on its course's thread.
#include "common/win32/hospital_policy.h"

PolicyString policy_reading_database(wchar_t* connection, int capacity) {
    connection[0] = 0;
    wchar_t stored[POLICY_CONNECTION_CAPACITY];
    DWORD type = 0, size = sizeof stored;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return POLICY_NOT_SET;
    LONG read = RegQueryValueExW(key, L"ReadingDatabase", nullptr, &type, (BYTE*)stored, &size);
    RegCloseKey(key);
    if (read == ERROR_MORE_DATA && (type == REG_SZ || type == REG_EXPAND_SZ)) return POLICY_TOO_LONG;
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return POLICY_NOT_SET;
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
