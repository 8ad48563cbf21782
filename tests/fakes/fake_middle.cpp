// SPDX-License-Identifier: GPL-3.0-or-later
// A middle extender: only a block and a menu.
#include "fake_block.h"
#include "vistrel_extender.h"

VISTREL_OPERATION(const char*, ID)(void) { return "M0001-FAKEMIDDLE             "; }
VISTREL_OPERATION(const char*, shortname)(void) { return "Fakemiddle"; }
VISTREL_OPERATION(const char*, MenuDefinition)(void) { return "Remove"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return FakeBlock("M0001-FAKEMIDDLE             ", 48); }
VISTREL_OPERATION(void*, RunCommand)(void*, int) { return nullptr; }
