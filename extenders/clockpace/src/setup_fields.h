// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * What the "Time Scheduling" dialog edits: the hours and minutes of the
 * interval. Clockpace reads them from the block, its dialog companion lets
 * the user change them, and only OK writes them back. Shared by the extender
 * and the companion, so plain C.
 */
#ifndef CLOCKPACE_SETUP_FIELDS_H
#define CLOCKPACE_SETUP_FIELDS_H

#include "vistrel_extender.h"

#include <stdint.h>

typedef struct ClockpaceSetupFields {
    uint32_t hours;
    uint32_t minutes;
    VistrelMessageFn sink; /* the program's message sink for the dialog's messages; may be null */
} ClockpaceSetupFields;

/* The companion's entry: 1 OK (fields changed), 0 Cancel, -1 no dialog can
 * be shown in this process (fields untouched). */
typedef int (*ClockpaceSetupDialogFn)(ClockpaceSetupFields* fields);
#define CLOCKPACE_SETUP_DIALOG_ENTRY "clockpace_SetupDialog"
#define CLOCKPACE_DIALOGS_COMPANION "Clockpace_Dialogs"

#endif /* CLOCKPACE_SETUP_FIELDS_H */
