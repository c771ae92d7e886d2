// The messages the suite's programs send one another.
#pragma once

// Posted by the launcher to the windows of every tool it opened for a
// patient once its bar holds another: the window is still the earlier
// patient's. It carries no patient: any program may post it, and all it
// can do is make a window more careful.
#define SUITE_PATIENT_CHANGED_MESSAGE L"OrvoMedSuite.LauncherPatientChanged"
