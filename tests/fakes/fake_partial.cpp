// SPDX-License-Identifier: GPL-3.0-or-later
// A library that names itself and offers nothing else.
#include "vistrel_extender.h"

VISTREL_OPERATION(const char*, ID)(void) { return "R0009-PARTIAL                "; }
VISTREL_OPERATION(const char*, extensions)(void) { return ".part"; }
