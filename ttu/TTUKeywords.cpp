#include "TTUKeywords.h"

#include <string.h>
#include <wchar.h>

#include "xfsttu.h"

bool LookupKeyword(const TTUKeyword *pTable, size_t nRows, LPCWSTR lpszText, WORD *pwValue)
{
    LPCWSTR lpszWord = lpszText ? lpszText : L"";
    for (size_t i = 0; i < nRows; ++i) {
        if (_wcsicmp(lpszWord, pTable[i].lpszKeyword) == 0) {
            *pwValue = pTable[i].wValue;
            return true;
        }
    }
    return false;
}

LPCWSTR KeywordOf(const TTUKeyword *pTable, size_t nRows, WORD wValue, LPCWSTR lpszOther)
{
    for (size_t i = 0; i < nRows; ++i)
        if (pTable[i].wValue == wValue)
            return pTable[i].lpszKeyword;
    return lpszOther;
}

const TTUKeyword g_BeepTypeKeywords[5] = {
    {L"KEYPRESS", WFS_TTU_BEEPKEYPRESS}, {L"EXCLAMATION", WFS_TTU_BEEPEXCLAMATION},
    {L"WARNING", WFS_TTU_BEEPWARNING},   {L"ERROR", WFS_TTU_BEEPERROR},
    {L"CRITICAL", WFS_TTU_BEEPCRITICAL},
};

const TTUKeyword g_LightActionKeywords[2] = {{L"ON", TRUE}, {L"OFF", FALSE}};

const TTUKeyword g_LEDCommandKeywords[5] = {
    {L"OFF", WFS_TTU_LEDOFF},
    {L"SLOW", WFS_TTU_LEDSLOWFLASH},
    {L"MEDIUM", WFS_TTU_LEDMEDIUMFLASH},
    {L"QUICK", WFS_TTU_LEDQUICKFLASH},
    {L"CONTINUOUS", WFS_TTU_LEDCONTINUOUS},
};

const TTUKeyword g_TextAttributeKeywords[3] = {
    {L"UNDERLINE", WFS_TTU_TEXTUNDERLINE},
    {L"INVERTED", WFS_TTU_TEXTINVERTED},
    {L"FLASHING", WFS_TTU_TEXTFLASH},
};

const TTUKeyword g_EchoModeKeywords[3] = {
    {L"TEXT", WFS_TTU_ECHOTEXT},
    {L"PASSWORD", WFS_TTU_ECHOPASSWORD},
    {L"INVISIBLE", WFS_TTU_ECHOINVISIBLE},
};

WORD TextAttributeFromKeyword(LPCWSTR lpszText)
{
    WORD wValue = 0;
    return LookupKeyword(g_TextAttributeKeywords, lpszText, &wValue) ? wValue : 0;
}

WORD EchoModeFromKeyword(LPCWSTR lpszText)
{
    WORD wValue = WFS_TTU_ECHOTEXT;
    return LookupKeyword(g_EchoModeKeywords, lpszText, &wValue) ? wValue : WFS_TTU_ECHOTEXT;
}

namespace {

const char *const kNamedCommandKeys[] = {
    "ENTER", "CANCEL",  "CLEAR",     "BACKSPACE", "HELP",       "00",
    "000",   "ARROWUP", "ARROWDOWN", "ARROWLEFT", "ARROWRIGHT",
};

// "OEMnn" or "FDKnn" with exactly two digits and nn in 1..nMax: the code of
// key nn counted from wFirst; 0 otherwise.
WORD NumberedKey(const char *pszName, const char *pszPrefix, int nMax, WORD wFirst)
{
    if (_strnicmp(pszName, pszPrefix, 3) != 0)
        return 0;
    const char *pszDigits = pszName + 3;
    if (strlen(pszDigits) != 2 || pszDigits[0] < '0' || pszDigits[0] > '9' || pszDigits[1] < '0' ||
        pszDigits[1] > '9')
        return 0;
    int n = (pszDigits[0] - '0') * 10 + (pszDigits[1] - '0');
    return n >= 1 && n <= nMax ? static_cast<WORD>(wFirst + n - 1) : 0;
}

} // namespace

WORD CommandKeyFromName(const char *pszName)
{
    for (size_t i = 0; i < sizeof kNamedCommandKeys / sizeof kNamedCommandKeys[0]; ++i)
        if (_stricmp(pszName, kNamedCommandKeys[i]) == 0)
            return static_cast<WORD>(WFS_TTU_CK_ENTER + i);
    if (WORD wKey = NumberedKey(pszName, "OEM", 12, WFS_TTU_CK_OEM1))
        return wKey;
    return NumberedKey(pszName, "FDK", 32, WFS_TTU_CK_FDK01);
}

LPCWSTR DeviceStatusKeyword(WORD fwDevice)
{
    static const LPCWSTR kWords[] = {L"DEVONLINE",  L"DEVOFFLINE",   L"DEVPOWEROFF", L"DEVNODEVICE",
                                     L"DEVHWERROR", L"DEVUSERERROR", L"DEVBUSY"};
    return fwDevice < sizeof kWords / sizeof kWords[0] ? kWords[fwDevice] : L"FATAL";
}

LPCWSTR KeyboardStatusKeyword(WORD fwKeyboard)
{
    static const TTUKeyword kWords[] = {{L"ON", WFS_TTU_KBDON}, {L"OFF", WFS_TTU_KBDOFF}};
    return KeywordOf(kWords, fwKeyboard, L"NOTAVAILABLE");
}

LPCWSTR LEDStateKeyword(WORD wLED)
{
    if (wLED == WFS_TTU_LEDNA)
        return L"NOTAVAILABLE";
    // A combination of bits has no word.
    return KeywordOf(g_LEDCommandKeywords, wLED, L"");
}

std::wstring CommandKeyListText(WORD wCommandKey)
{
    static const LPCWSTR kNamed[] = {L"ENTER,",     L"CANCEL,",    L"CLEAR,",     L"BACKSPACE,",
                                     L"HELP,",      L"00,",        L"000,",       L"ARROWUP,",
                                     L"ARROWDOWN,", L"ARROWLEFT,", L"ARROWRIGHT,"};
    wchar_t szText[16];
    if (wCommandKey >= WFS_TTU_CK_ENTER && wCommandKey <= WFS_TTU_CK_ARROWRIGHT)
        return kNamed[wCommandKey - WFS_TTU_CK_ENTER];
    if (wCommandKey >= WFS_TTU_CK_OEM1 && wCommandKey <= WFS_TTU_CK_OEM12) {
        // No leading zero here, unlike the names a read's key lists take.
        swprintf(szText, 16, L"OEM%d,", wCommandKey - WFS_TTU_CK_OEM1 + 1);
        return szText;
    }
    if (wCommandKey >= WFS_TTU_CK_FDK01 && wCommandKey <= WFS_TTU_CK_FDK32) {
        swprintf(szText, 16, L"FDK%02d,", wCommandKey - WFS_TTU_CK_FDK01 + 1);
        return szText;
    }
    return std::wstring();
}
