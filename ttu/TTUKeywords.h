// The words that cross the automation boundary, in both directions: the
// keywords the host passes in (beep types, light actions, LED commands, text
// attributes, echo modes, command-key names) and the keywords and names the
// control hands out (device, keyboard and LED states, command-key texts,
// request names, form and field keywords).
//
// Keywords received are matched against the whole string without regard to
// case and without trimming: " KEYPRESS" and "KEYPRESS " match nothing. A
// null string is matched like an empty one.
#pragma once

#include <windows.h>

#include <string>

// One row of a keyword table; the first row that matches decides.
struct TTUKeyword {
    LPCWSTR lpszKeyword;
    WORD wValue;
};

// The value of the first row whose keyword equals lpszText (case
// insensitive); false when none does.
bool LookupKeyword(const TTUKeyword *pTable, size_t nRows, LPCWSTR lpszText, WORD *pwValue);
template <size_t N>
bool LookupKeyword(const TTUKeyword (&table)[N], LPCWSTR lpszText, WORD *pwValue)
{
    return LookupKeyword(table, N, lpszText, pwValue);
}

// The keyword of the first row holding wValue; lpszOther when none does.
LPCWSTR KeywordOf(const TTUKeyword *pTable, size_t nRows, WORD wValue, LPCWSTR lpszOther);
template <size_t N>
LPCWSTR KeywordOf(const TTUKeyword (&table)[N], WORD wValue, LPCWSTR lpszOther)
{
    return KeywordOf(table, N, wValue, lpszOther);
}

extern const TTUKeyword g_BeepTypeKeywords[5];      // wBeep
extern const TTUKeyword g_LightActionKeywords[2];   // bMode
extern const TTUKeyword g_LEDCommandKeywords[5];    // fwCommand
extern const TTUKeyword g_TextAttributeKeywords[3]; // fwTextAttr / fwEchoAttr
extern const TTUKeyword g_EchoModeKeywords[3];      // fwEchoMode

// Text attributes and echo modes fall back to plain text: an unknown word is
// no error there.
WORD TextAttributeFromKeyword(LPCWSTR lpszText);
WORD EchoModeFromKeyword(LPCWSTR lpszText);

// Command keys by the names a read's key lists use ("ENTER", "OEM01",
// "FDK32", always two digits); 0 when the narrow name names no key.
WORD CommandKeyFromName(const char *pszName);

// Keywords handed out for status values.
LPCWSTR DeviceStatusKeyword(WORD fwDevice);
LPCWSTR KeyboardStatusKeyword(WORD fwKeyboard);
LPCWSTR LEDStateKeyword(WORD wLED);

// The text of one command key as the CommandKeys property lists it, comma
// included ("ENTER,", "OEM1,", "FDK01,"); empty for a code without a name.
std::wstring CommandKeyListText(WORD wCommandKey);
