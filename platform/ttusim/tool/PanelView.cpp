#include "PanelView.h"

#include "PanelCodes.h"
#include "xfsttu.h"

#include <algorithm>

namespace {

std::wstring Widen(const char *pszText)
{
    std::wstring strText;
    for (; *pszText; ++pszText)
        strText += static_cast<wchar_t>(static_cast<unsigned char>(*pszText));
    return strText;
}

std::wstring NameOrNumber(const CCodeTable &table, LONG lValue)
{
    if (const char *pszName = FindName(table, lValue))
        return Widen(pszName);
    return std::to_wstring(lValue);
}

std::wstring Border(WORD wWidth)
{
    return L"+" + std::wstring(wWidth, L'-') + L"+\n";
}

// The display rows inside the frame; a row the panel sent short is padded
// and one sent long is cut, so a wrong size never breaks the frame.
std::wstring FramedDisplay(const TTUSIMSNAPSHOT &snapshot, const std::wstring &strDisplay)
{
    const WORD wWidth = snapshot.wDisplaySizeX;
    std::wstring strView = Border(wWidth);
    size_t uStart = 0;
    for (WORD y = 0; y < snapshot.wDisplaySizeY; ++y) {
        size_t uEnd = strDisplay.find(L'\n', uStart);
        if (uEnd == std::wstring::npos)
            uEnd = strDisplay.size();
        std::wstring strRow = strDisplay.substr(std::min(uStart, strDisplay.size()),
                                                uEnd > uStart ? uEnd - uStart : 0);
        uStart = uEnd + 1;
        strRow.resize(wWidth, L' ');
        std::replace_if(strRow.begin(), strRow.end(), [](wchar_t ch) { return ch < L' '; }, L' ');
        strView += L"|" + strRow + L"|\n";
    }
    return strView + Border(wWidth);
}

std::wstring Leds(const TTUSIMSNAPSHOT &snapshot)
{
    const WORD wCount = std::min<WORD>(snapshot.wNumOfLEDs, WFS_TTU_LEDS_MAX);
    if (wCount == 0)
        return L"LEDs:          none\n";
    std::wstring strLine = L"LEDs:         ";
    for (WORD i = 0; i < wCount; ++i)
        strLine += L" " + std::to_wstring(i) + L":" + NameOrNumber(g_LedStates, snapshot.wLEDs[i]);
    return strLine + L"\n";
}

std::wstring Beep(const TTUSIMSNAPSHOT &snapshot)
{
    if (snapshot.bBeeping)
        return L"continuous, sounding";
    if (snapshot.wLastBeep == 0)
        return L"none";
    wchar_t szBeep[16];
    wsprintfW(szBeep, L"0x%04X", snapshot.wLastBeep);
    return szBeep;
}

} // namespace

std::wstring FormatPanel(const TTUSIMSNAPSHOT &snapshot, const std::wstring &strDisplay)
{
    std::wstring strView = L"Display " + std::to_wstring(snapshot.wDisplaySizeX) + L"x" +
                           std::to_wstring(snapshot.wDisplaySizeY) + L", cursor at " +
                           std::to_wstring(snapshot.wCursorX) + L"," +
                           std::to_wstring(snapshot.wCursorY) + L"\n";
    strView += FramedDisplay(snapshot, strDisplay);
    strView += Leds(snapshot);
    strView += L"Display light: " + std::wstring(snapshot.bDisplayLight ? L"on" : L"off") + L"\n";
    strView += L"Key lock:      " + NameOrNumber(g_SwitchStates, snapshot.fwKeylock) + L"\n";
    strView += L"Keyboard:      " + NameOrNumber(g_SwitchStates, snapshot.fwKeyboard) + L"\n";
    strView += L"Device:        " + NameOrNumber(g_DeviceStates, snapshot.fwDevice) + L"\n";
    strView += L"Read:          " +
               std::wstring(snapshot.bReadActive ? L"waiting for keys" : L"none") + L"\n";
    strView += L"Last beep:     " + Beep(snapshot) + L"\n";
    return strView;
}
