#include "PanelPicture.h"

#include "PanelCanvas.h"
#include "PanelCodes.h"
#include "xfsttu.h"

#include <algorithm>
#include <string>

namespace {

void Fill(HDC hdc, const RECT &rc, COLORREF colour)
{
    HBRUSH hBrush = CreateSolidBrush(colour);
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
}

std::wstring NameOf(const CCodeTable &table, LONG lValue)
{
    const char *pszName = FindName(table, lValue);
    const std::string strName = pszName ? pszName : std::to_string(lValue);
    return std::wstring(strName.begin(), strName.end());
}

void DrawStatus(HDC hdc, const CPanelLayout &layout, const TTUSIMSNAPSHOT &s)
{
    std::wstring strStatus = L"Device " + NameOf(g_DeviceStates, s.fwDevice) + L"   Keyboard " +
                             NameOf(g_SwitchStates, s.fwKeyboard) + L"   Key lock " +
                             NameOf(g_SwitchStates, s.fwKeylock) + L"   Light " +
                             (s.bDisplayLight ? L"on" : L"off");
    if (s.bReadActive)
        strStatus += L"   Reading";
    if (s.bBeeping)
        strStatus += L"   Beeping";
    RECT rc = layout.rcStatus;
    SetTextColor(hdc, PanelColours::kLabel);
    DrawTextW(hdc, strStatus.c_str(), -1, &rc, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// One cell: inverted cells swap glass and ink; flashing ones lose their
// glyph and underline in the dark half of the flash.
void DrawCell(HDC hdc, const CPanelLayout &layout, const TTUSIMPANELVIEW &view, int x, int y,
              DWORD dwPhase)
{
    const bool bLit = view.snapshot.bDisplayLight != FALSE;
    const COLORREF glass = bLit ? PanelColours::kGlassLit : PanelColours::kGlassDark;
    const COLORREF ink = bLit ? PanelColours::kInkLit : PanelColours::kInkDark;
    const BYTE fwAttr = view.attributes[y][x];
    const bool bInverted = (fwAttr & WFS_TTU_TEXTINVERTED) != 0;
    const bool bShown = !(fwAttr & WFS_TTU_TEXTFLASH) || FlashingTextShown(dwPhase);
    const RECT rc = layout.CellRect(x, y);
    if (bInverted)
        Fill(hdc, rc, ink);
    const int nTop = rc.top + (layout.nRowPitch - layout.cell.cy) / 2;
    const WCHAR wc = view.cells[y][x];
    SetTextColor(hdc, bInverted ? glass : ink);
    if (bShown && wc > L' ')
        TextOutW(hdc, rc.left, nTop, &wc, 1);
    const bool bCursor = view.bCursorOn && x == view.snapshot.wCursorX && y == view.snapshot.wCursorY;
    if ((bShown && (fwAttr & WFS_TTU_TEXTUNDERLINE)) || bCursor) {
        const int nThickness = bCursor ? 3 : 1;
        const RECT rcLine{rc.left, nTop + layout.cell.cy - nThickness, rc.right,
                          nTop + layout.cell.cy};
        Fill(hdc, rcLine, bInverted ? glass : ink);
    }
}

void DrawDisplay(HDC hdc, const CPanelLayout &layout, const TTUSIMPANELVIEW &view, DWORD dwPhase)
{
    Fill(hdc, layout.rcDisplay,
         view.snapshot.bDisplayLight ? PanelColours::kGlassLit : PanelColours::kGlassDark);
    RECT rcFrame = layout.rcDisplay;
    DrawEdge(hdc, &rcFrame, EDGE_SUNKEN, BF_RECT);
    for (int y = 0; y < layout.nRows; ++y)
        for (int x = 0; x < layout.nColumns; ++x)
            DrawCell(hdc, layout, view, x, y, dwPhase);
}

void DrawLamp(HDC hdc, const RECT &rc, COLORREF colour)
{
    HBRUSH hBrush = CreateSolidBrush(colour);
    {
        CSelected brush(hdc, hBrush);
        Ellipse(hdc, rc.left, rc.top, rc.right, rc.bottom);
    }
    DeleteObject(hBrush);
}

void DrawLeds(HDC hdc, const CPanelLayout &layout, const TTUSIMPANELVIEW &view, DWORD dwPhase)
{
    HPEN hPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    {
        CSelected pen(hdc, hPen);
        SetTextColor(hdc, PanelColours::kLabel);
        for (size_t i = 0; i < layout.leds.size(); ++i) {
            const RECT &rc = layout.leds[i];
            DrawLamp(hdc, rc,
                     LampLit(view.snapshot.wLEDs[i], dwPhase) ? PanelColours::Lamp(static_cast<int>(i))
                                                              : PanelColours::kLampOff);
            const std::wstring strLabel = L"LED" + std::to_wstring(i);
            TextOutW(hdc, rc.right + layout.cell.cx / 2, rc.top + 2, strLabel.c_str(),
                     static_cast<int>(strLabel.size()));
        }
    }
    DeleteObject(hPen);
}

} // namespace

COLORREF PanelColours::Lamp(int nLed)
{
    static const COLORREF kColours[] = {RGB(40, 230, 60), RGB(255, 176, 0), RGB(240, 40, 40),
                                        RGB(60, 140, 255)};
    return kColours[nLed % 4];
}

bool LampLit(WORD wLedState, DWORD dwPhase)
{
    switch (wLedState) {
    case WFS_TTU_LEDCONTINUOUS:
        return true;
    case WFS_TTU_LEDSLOWFLASH:
        return dwPhase % 1000 < 500;
    case WFS_TTU_LEDMEDIUMFLASH:
        return dwPhase % 500 < 250;
    case WFS_TTU_LEDQUICKFLASH:
        return dwPhase % 250 < 125;
    default:
        return false;
    }
}

bool FlashingTextShown(DWORD dwPhase)
{
    return dwPhase % 1000 < 500;
}

bool PanelFlashes(const TTUSIMPANELVIEW &view)
{
    for (int i = 0; i < std::min<int>(view.snapshot.wNumOfLEDs, WFS_TTU_LEDS_MAX); ++i)
        if (LampLit(view.snapshot.wLEDs[i], 0) != LampLit(view.snapshot.wLEDs[i], 125))
            return true;
    for (int y = 0; y < std::min<int>(view.snapshot.wDisplaySizeY, TTUSIM_MAX_ROWS); ++y)
        for (int x = 0; x < std::min<int>(view.snapshot.wDisplaySizeX, TTUSIM_MAX_COLUMNS); ++x)
            if (view.attributes[y][x] & WFS_TTU_TEXTFLASH)
                return true;
    return false;
}

bool KeyActive(const TTUSIMPANELVIEW &view, const CPanelKey &key)
{
    if (!view.snapshot.bReadActive)
        return true;
    if (key.wcKey)
        return wcschr(view.szActiveKeys, key.wcKey) != nullptr;
    for (int i = 0; i <= TTUSIM_MAX_COMMAND_KEYS && view.wActiveCommandKeys[i]; ++i)
        if (view.wActiveCommandKeys[i] == key.wCommandKey)
            return true;
    return false;
}

void DrawPanel(HDC hdc, const CPanelLayout &layout, const TTUSIMPANELVIEW &view, HFONT hFont,
               DWORD dwPhase)
{
    const RECT rcAll{0, 0, layout.size.cx, layout.size.cy};
    Fill(hdc, rcAll, PanelColours::kBody);
    CSelected font(hdc, hFont);
    SetBkMode(hdc, TRANSPARENT);
    DrawStatus(hdc, layout, view.snapshot);
    DrawDisplay(hdc, layout, view, dwPhase);
    DrawLeds(hdc, layout, view, dwPhase);
    for (const CKeyPlace &place : layout.keys)
        DrawKeyFace(hdc, place, hFont, KeyActive(view, place.key), false);
}

void DrawKeyFace(HDC hdc, const CKeyPlace &place, HFONT hFont, bool bEnabled, bool bPressed)
{
    COLORREF face = RGB(200, 204, 208);
    if (bEnabled && place.key.wCommandKey == WFS_TTU_CK_ENTER)
        face = RGB(60, 170, 80);
    else if (bEnabled && place.key.wCommandKey == WFS_TTU_CK_CANCEL)
        face = RGB(210, 60, 50);
    else if (bEnabled && place.key.wCommandKey == WFS_TTU_CK_CLEAR)
        face = RGB(230, 200, 60);
    else if (!bEnabled)
        face = RGB(120, 124, 128);
    RECT rc = place.rc;
    Fill(hdc, rc, face);
    DrawEdge(hdc, &rc, bPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    CSelected font(hdc, hFont);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, bEnabled ? RGB(0, 0, 0) : RGB(80, 84, 88));
    if (bPressed)
        OffsetRect(&rc, 1, 1);
    DrawTextW(hdc, place.strLabel.c_str(), -1, &rc,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
