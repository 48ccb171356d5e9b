/*
 * GDI resources of the panel's picture, each released by its owner: the
 * display font and a memory canvas (a DIB section selected into a memory
 * DC) that is drawn off screen, then shown in the window or saved.
 */
#ifndef ZT_TTUPANEL_PANELCANVAS_H
#define ZT_TTUPANEL_PANELCANVAS_H

#include <windows.h>

// The fixed-pitch font of the display, used for every label too.
class CPanelFont {
public:
    CPanelFont();
    ~CPanelFont();
    CPanelFont(const CPanelFont &) = delete;
    CPanelFont &operator=(const CPanelFont &) = delete;

    HFONT Handle() const { return m_hFont; }
    // The size of one character cell.
    SIZE Cell() const { return m_cell; }

private:
    HFONT m_hFont;
    SIZE m_cell{8, 16};
};

// Selects an object into a DC for the life of the guard.
class CSelected {
public:
    CSelected(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(SelectObject(hdc, hObject)) {}
    ~CSelected() { SelectObject(m_hdc, m_hOld); }
    CSelected(const CSelected &) = delete;
    CSelected &operator=(const CSelected &) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// A top-down 32-bit picture of cx x cy pixels (blue, green, red, unused).
class CPanelCanvas {
public:
    CPanelCanvas(int cx, int cy);
    ~CPanelCanvas();
    CPanelCanvas(const CPanelCanvas &) = delete;
    CPanelCanvas &operator=(const CPanelCanvas &) = delete;

    bool Ok() const { return m_pBits != nullptr; }
    HDC Dc() const { return m_hdc; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    const DWORD *Bits() const { return m_pBits; }
    COLORREF Pixel(int x, int y) const;

private:
    int m_cx, m_cy;
    HDC m_hdc = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD *m_pBits = nullptr;
};

#endif
