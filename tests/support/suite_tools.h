// The suite's tools for the tests: the launcher's catalogue.
#pragma once

#include "launcher/catalogue.h"
