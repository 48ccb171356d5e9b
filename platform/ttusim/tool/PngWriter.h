/*
 * Saving a picture as a PNG file through the Windows Imaging Component, so
 * that it needs no screen.
 */
#ifndef ZT_TTUPANEL_PNGWRITER_H
#define ZT_TTUPANEL_PNGWRITER_H

#include <windows.h>

#include <string>

// pPixels: cy top-down rows of cx pixels, each 0x00RRGGBB. Returns S_OK or
// the failure of the step that went wrong (a file that cannot be created
// gives its Win32 error as an HRESULT).
HRESULT WritePng(const std::wstring &strPath, const DWORD *pPixels, int cx, int cy);

#endif
