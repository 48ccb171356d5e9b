/*
 * The text ttupanel shows for the panel: the display in a frame, then the
 * LEDs, display light, key lock, keyboard and device status. Built from a
 * snapshot and the display text alone, so it is the same for `show` and
 * for each redraw of `watch`.
 */
#ifndef ZT_TTUPANEL_PANELVIEW_H
#define ZT_TTUPANEL_PANELVIEW_H

#include "ttusim.h"

#include <string>

// strDisplay: wDisplaySizeY lines of wDisplaySizeX characters, each ended by
// L'\n', as the panel hands it out. Characters that cannot be shown
// (controls, zeros) appear as spaces so the frame stays aligned.
std::wstring FormatPanel(const TTUSIMSNAPSHOT &snapshot, const std::wstring &strDisplay);

#endif
