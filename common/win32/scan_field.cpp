// Patient fields that take a scanner's keystrokes as typed.
#include "common/win32/scan_field.h"

#include <imm.h>

#include "patient/patient.h"

void patient_edit_takes_scans(HWND edit, int field) {
    SendMessageW(edit, EM_SETLIMITTEXT, 2 * PATIENT_FIELD_LIMIT, 0);
    if (patient_field_name(field).number) ImmAssociateContextEx(edit, nullptr, 0);
}
