/*
 * `ttupanel snapshot FILE.png`: the panel's window drawn off screen and
 * saved, so that a picture of the panel needs no display.
 */
#ifndef ZT_TTUPANEL_PANELSNAPSHOT_H
#define ZT_TTUPANEL_PANELSNAPSHOT_H

#include "PanelCanvas.h"
#include "PanelLayout.h"

#include <memory>
#include <string>

// The view drawn as the window shows it at dwPhase (see LampLit), with the
// layout it was drawn at; null when the canvas cannot be made.
std::unique_ptr<CPanelCanvas> RenderPanel(const TTUSIMPANELVIEW &view, DWORD dwPhase,
                                          CPanelLayout *pLayout = nullptr);

// Returns the process exit code; says on the console what went wrong.
int RunSnapshot(const std::wstring &strPath);

#endif
