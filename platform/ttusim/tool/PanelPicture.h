/*
 * Drawing the panel with GDI from a view of it and its layout: the one
 * routine behind both the window and the PNG picture.
 */
#ifndef ZT_TTUPANEL_PANELPICTURE_H
#define ZT_TTUPANEL_PANELPICTURE_H

#include "PanelLayout.h"

namespace PanelColours {
constexpr COLORREF kBody = RGB(56, 60, 66);
constexpr COLORREF kGlassLit = RGB(150, 200, 120); // a backlit display
constexpr COLORREF kGlassDark = RGB(22, 30, 22);   // its light off
constexpr COLORREF kInkLit = RGB(16, 40, 16);
constexpr COLORREF kInkDark = RGB(64, 84, 64);
constexpr COLORREF kLampOff = RGB(36, 36, 36);
constexpr COLORREF kLabel = RGB(230, 230, 230);
// LED n lights in the colour of entry n % 4: green, amber, red, blue.
COLORREF Lamp(int nLed);
} // namespace PanelColours

// dwPhase: milliseconds on any steady clock. A flashing LED is lit in the
// first half of its period (slow 1 s, medium 500 ms, quick 250 ms); flashing
// text shows in the first half of a second. Phase 0 shows everything lit.
bool LampLit(WORD wLedState, DWORD dwPhase);
bool FlashingTextShown(DWORD dwPhase);
// Whether the picture changes with the phase alone.
bool PanelFlashes(const TTUSIMPANELVIEW &view);

// A key is active while no read runs, or when the running read takes it.
bool KeyActive(const TTUSIMPANELVIEW &view, const CPanelKey &key);

void DrawPanel(HDC hdc, const CPanelLayout &layout, const TTUSIMPANELVIEW &view, HFONT hFont,
               DWORD dwPhase);
void DrawKeyFace(HDC hdc, const CKeyPlace &place, HFONT hFont, bool bEnabled, bool bPressed);

#endif
