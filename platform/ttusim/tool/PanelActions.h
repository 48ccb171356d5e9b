/*
 * Carrying out a parsed ttupanel request on the shared panel.
 */
#ifndef ZT_TTUPANEL_PANELACTIONS_H
#define ZT_TTUPANEL_PANELACTIONS_H

#include "PanelArguments.h"
#include "ttusim.h"

#include <string>

// Process exit codes of ttupanel.
enum ExitCode { kExitDone = 0, kExitRefused = 1, kExitUsage = 2 };

// The snapshot and the display text, read together; sizes in the snapshot
// are those the display was copied with.
LONG ReadPanel(TTUSIMSNAPSHOT *pSnapshot, std::wstring *pstrDisplay);

// Presses one key; the text of a refusal is added to *pstrError.
LONG PressKey(const CPanelKey &key, std::string *pstrError);

// "INVALID_DATA (-52)": how a refusal of the panel is reported.
std::string DescribeResult(LONG lResult);

// Runs every verb except Watch and Help; returns the process exit code.
int RunRequest(const CPanelRequest &request);

#endif
