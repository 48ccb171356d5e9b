#include "PanelCanvas.h"

CPanelFont::CPanelFont()
{
    // Without antialiasing the glyphs have the display's few colours, which
    // keeps the picture small and the same on every machine.
    m_hFont = CreateFontW(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                          FIXED_PITCH | FF_MODERN, L"Courier New");
    HDC hdc = CreateCompatibleDC(nullptr);
    if (hdc && m_hFont) {
        CSelected font(hdc, m_hFont);
        TEXTMETRICW metrics;
        if (GetTextMetricsW(hdc, &metrics) && metrics.tmAveCharWidth > 0 && metrics.tmHeight > 0)
            m_cell = SIZE{metrics.tmAveCharWidth, metrics.tmHeight};
    }
    if (hdc)
        DeleteDC(hdc);
}

CPanelFont::~CPanelFont()
{
    if (m_hFont)
        DeleteObject(m_hFont);
}

CPanelCanvas::CPanelCanvas(int cx, int cy) : m_cx(cx), m_cy(cy)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_hdc = CreateCompatibleDC(nullptr);
    void *pBits = nullptr;
    if (m_hdc && cx > 0 && cy > 0)
        m_hBitmap = CreateDIBSection(m_hdc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (m_hBitmap) {
        m_hOld = SelectObject(m_hdc, m_hBitmap);
        m_pBits = static_cast<DWORD *>(pBits);
    }
}

CPanelCanvas::~CPanelCanvas()
{
    if (m_hOld)
        SelectObject(m_hdc, m_hOld);
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    if (m_hdc)
        DeleteDC(m_hdc);
}

COLORREF CPanelCanvas::Pixel(int x, int y) const
{
    if (!m_pBits || x < 0 || y < 0 || x >= m_cx || y >= m_cy)
        return CLR_INVALID;
    GdiFlush();
    const DWORD dwPixel = m_pBits[static_cast<size_t>(y) * m_cx + x];
    return RGB((dwPixel >> 16) & 0xFF, (dwPixel >> 8) & 0xFF, dwPixel & 0xFF);
}
