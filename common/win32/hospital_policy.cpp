// The hospital's policy values, where Group Policy writes them.
#include "common/win32/hospital_policy.h"

namespace {

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

// A REG_SZ text of at most `capacity` - 1 characters, the terminator
// checked: false when it is missing, of another type or longer.
bool policy_text(HKEY key, const wchar_t* name, wchar_t* text, int capacity) {
    DWORD type = 0, size = (DWORD)(capacity * sizeof(wchar_t));
    text[0] = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)text, &size) != ERROR_SUCCESS || type != REG_SZ) {
        text[0] = 0;
        return false;
    }
    DWORD characters = size / sizeof(wchar_t);
    if (characters > 0 && text[characters - 1] == 0) characters--;
    if (characters >= (DWORD)capacity) {
        text[0] = 0;
        return false;
    }
    text[characters] = 0;
    return true;
}

bool policy_text(const wchar_t* name, wchar_t* text, int capacity) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    bool read = policy_text(key, name, text, capacity);
    RegCloseKey(key);
    return read;
}

PolicyString policy_connection(const wchar_t* name, wchar_t* connection, int capacity) {
    connection[0] = 0;
    // On the caller's stack: a tool reads its reading connection on a
    // thread of its own while the window reads the records' one.
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

}  // namespace

bool policy_requires_patient(bool assessment) {
    DWORD value = 0, type = 0, size = sizeof value;
    bool set = policy_value(L"RequirePatient", &type, &value, &size) && type == REG_DWORD && size == sizeof value &&
               (value == 0 || value == 1);
    return set ? value == 1 : assessment;
}

PolicyString policy_records_database(wchar_t* connection, int capacity) {
    return policy_connection(L"RecordsDatabase", connection, capacity);
}

PolicyString policy_reading_database(wchar_t* connection, int capacity) {
    return policy_connection(L"ReadingDatabase", connection, capacity);
}

PolicyString policy_quality_database(wchar_t* connection, int capacity) {
    return policy_connection(L"QualityDatabase", connection, capacity);
}

void policy_ward(wchar_t* ward, int capacity) {
    wchar_t text[PATIENT_FIELD_CAPACITY];
    // A ward as a patient's field may hold it, or none: the policy's text
    // names a ward, never another patient's field.
    if (!policy_text(L"Ward", text, PATIENT_FIELD_CAPACITY) || patient_field_fault(PATIENT_WARD, text) != PATIENT_FIELD_SOUND)
        text[0] = 0;
    text_copy(ward, capacity, text);
}

bool policy_reassess_hours(int tool_id, int* hours, int count) {
    for (int k = 0; k < count; k++) hours[k] = REASSESS_KEEP;
    wchar_t path[160], name[16], text[256];
    text_format(path, 160, L"%ls\\ReassessHours", POLICY_KEY);
    text_format(name, 16, L"%d", tool_id);
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    bool read = policy_text(key, name, text, 256);
    RegCloseKey(key);
    if (!read) return false;
    // "24, 24,72,-,0": one item a band; a text that is not wholly such
    // items, or names more bands than the tool has, sets nothing, so that
    // a slip never stands for an interval.
    int parsed[POLICY_REASSESS_BANDS];
    int n = 0;
    for (const wchar_t* p = text;;) {
        while (*p == L' ') p++;
        int value = REASSESS_KEEP;
        if (*p == L'-') {
            p++;
        } else if (*p >= L'0' && *p <= L'9') {
            value = 0;
            while (*p >= L'0' && *p <= L'9' && value <= REASSESS_MAX_HOURS) value = value * 10 + (*p++ - L'0');
            if (value > REASSESS_MAX_HOURS) return false;
        } else if (*p != L',' && *p) {
            return false;
        }
        while (*p == L' ') p++;
        if (n == count || n == POLICY_REASSESS_BANDS) return false;
        parsed[n++] = value;
        if (!*p) break;
        if (*p++ != L',') return false;
    }
    bool any = false;
    for (int k = 0; k < n; k++) hours[k] = parsed[k], any = any || parsed[k] != REASSESS_KEEP;
    return any;
}

void policy_admission_scales(wchar_t* scales, int capacity) {
    wchar_t text[POLICY_ADMISSION_TEXT_CAPACITY];
    bool sound = policy_text(L"AdmissionScales", text, POLICY_ADMISSION_TEXT_CAPACITY) && text[0];
    for (const wchar_t* p = text; sound && *p; p++)
        sound = (*p >= L'0' && *p <= L'9') || *p == L',' || *p == L'/' || *p == L' ';
    text_copy(scales, capacity, sound ? text : POLICY_ADMISSION_DEFAULT);
}
