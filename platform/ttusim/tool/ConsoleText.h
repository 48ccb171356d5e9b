/*
 * Writing ttupanel's text: through the console API when the handle is a
 * console (so any character shows), as UTF-8 when it is redirected to a file
 * or a pipe (so a test or a script can read it).
 */
#ifndef ZT_TTUPANEL_CONSOLETEXT_H
#define ZT_TTUPANEL_CONSOLETEXT_H

#include <windows.h>

#include <string>

void WriteText(HANDLE hOutput, const std::wstring &strText);
void WriteText(HANDLE hOutput, const std::string &strUtf8);

#endif
