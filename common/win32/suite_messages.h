// The messages the suite's programs send one another.
#pragma once

// Posted by the launcher to the windows of every tool it opened for a
// patient once its bar holds another: the window is still the earlier
// patient's. It carries no patient: any program may post it, and all it
// can do is make a window more careful.
#define SUITE_PATIENT_CHANGED_MESSAGE L"OrvoMedSuite.LauncherPatientChanged"
// Posted to every top-level window once a program of the suite has saved
// a result or delivered results to the hospital's database: the
// launcher reads its ward list again. It carries no patient either.
#define SUITE_RESULTS_SAVED_MESSAGE L"OrvoMedSuite.ResultsSaved"
