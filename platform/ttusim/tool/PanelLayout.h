/*
 * Where each part of the panel's picture goes: the status line, the display
 * with the function keys beside its lines, the LED lamps, and the keypad
 * (digits, the command keys beside them, the other characters below). Only
 * arithmetic on the size of one display character, so the window and the
 * PNG picture place everything alike.
 */
#ifndef ZT_TTUPANEL_PANELLAYOUT_H
#define ZT_TTUPANEL_PANELLAYOUT_H

#include "PanelArguments.h"
#include "ttusim.h"

#include <string>
#include <vector>

struct CKeyPlace {
    CPanelKey key;
    RECT rc;
    std::wstring strLabel;
};

struct CPanelLayout {
    SIZE size{};       // the whole picture
    SIZE cell{};       // one display character's glyph
    int nRowPitch = 0; // the height of a display line (a function key fits beside it)
    int nColumns = 0, nRows = 0;
    RECT rcStatus{};   // the status line
    RECT rcDisplay{};  // the display's glass
    POINT ptText{};    // the top left corner of the first cell
    std::vector<RECT> leds;
    std::vector<CKeyPlace> keys;

    RECT CellRect(int nColumn, int nRow) const;
};

// cell: the size of a character of the display font.
CPanelLayout LayOutPanel(const TTUSIMPANELVIEW &view, SIZE cell);

// What a key is called on its button ("5", "ENTER", "F1").
std::wstring KeyLabel(const CPanelKey &key);

#endif
