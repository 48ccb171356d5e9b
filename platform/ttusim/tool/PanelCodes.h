/*
 * The names ttupanel understands and prints: TTU commands and categories,
 * result codes, device, keyboard, key-lock and LED states, system events and
 * command keys. One table per kind serves both directions (name -> value
 * when parsing, value -> name when showing), so the two never disagree.
 */
#ifndef ZT_TTUPANEL_PANELCODES_H
#define ZT_TTUPANEL_PANELCODES_H

#include <windows.h>

#include <string>

struct CNamedCode {
    const char *pszName;
    LONG lValue;
};

// A table of names and the prefixes a user may write before them
// ("WFS_CMD_TTU_BEEP" and "BEEP" name the same command).
struct CCodeTable {
    const CNamedCode *pEntries;
    size_t cEntries;
    const char *const *ppszPrefixes;
    size_t cPrefixes;
};

extern const CCodeTable g_Commands;
extern const CCodeTable g_Categories;
extern const CCodeTable g_Results;
extern const CCodeTable g_DeviceStates;
extern const CCodeTable g_SwitchStates; // keyboard and key lock share on/off/na
extern const CCodeTable g_LedStates;
extern const CCodeTable g_SystemEvents;

// Case-insensitive; a prefix of the table may be left out.
bool FindCode(const CCodeTable &table, const std::wstring &strName, LONG *plValue);
// nullptr when the value has no name.
const char *FindName(const CCodeTable &table, LONG lValue);
// "name1|name2|..." for messages.
std::string ListNames(const CCodeTable &table);

// A command key by its name: ENTER, CANCEL, CLEAR, BACKSPACE, HELP, 00, 000,
// UP, DOWN, LEFT, RIGHT, OEM1..OEM12, FDK01..FDK32 (FDK1 is accepted too).
bool FindCommandKey(const std::wstring &strName, WORD *pwCommandKey);
// The canonical name of a command key ("FDK07"), empty when unknown.
std::string CommandKeyName(WORD wCommandKey);

// A whole-string integer, decimal (optionally signed) or 0x-hexadecimal.
bool ParseInteger(const std::wstring &strText, long long *pllValue);

std::string Narrow(const std::wstring &strText);

#endif
