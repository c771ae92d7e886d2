/* Where the hospital's IT sets the suite's policy values: the registry key
   under HKEY_LOCAL_MACHINE that Group Policy writes, as the programs read it
   and the release's texts and template name it. Narrow text, so the native
   release tools read it too. */
#ifndef GLYVANT_POLICY_KEY_H
#define GLYVANT_POLICY_KEY_H
#include "app/maker.h"
#define POLICY_KEY_TEXT "SOFTWARE\\Policies\\" MAKER_NAME "\\Suite"
#endif
