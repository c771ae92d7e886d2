// An edit field a wristband scanner types into, as the tool's patient
// window and the launcher's bar make theirs.
#pragma once

#include <windows.h>

// Makes `edit`, the field of PatientField `field`, take a scan as typed: a
// number's field has no input method (a Chinese one would compose the
// scanner's keystrokes or split them), and every field takes more than a
// field's limit, so that a text too long is refused by name, never cut to
// a number that may be another patient's.
void patient_edit_takes_scans(HWND edit, int field);
