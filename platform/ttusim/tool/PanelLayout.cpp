#include "PanelLayout.h"

#include "PanelCodes.h"
#include "xfsttu.h"

#include <algorithm>

namespace {

RECT Box(int x, int y, int cx, int cy)
{
    return RECT{x, y, x + cx, y + cy};
}

// Places the layout's parts top to bottom; x and y grow as they are placed.
class CLayoutBuilder {
public:
    CLayoutBuilder(const TTUSIMPANELVIEW &view, SIZE cell) : m_view(view)
    {
        m_layout.cell = cell;
        m_layout.nRowPitch = cell.cy + cell.cy / 2 + 2;
        m_layout.nColumns = std::min<int>(view.snapshot.wDisplaySizeX, TTUSIM_MAX_COLUMNS);
        m_layout.nRows = std::min<int>(view.snapshot.wDisplaySizeY, TTUSIM_MAX_ROWS);
        m_nMargin = cell.cy;
        m_nKeyHeight = cell.cy + 10;
        for (int i = 0; i <= TTUSIM_MAX_COMMAND_KEYS && view.wCommandKeys[i]; ++i) {
            const WORD wKey = view.wCommandKeys[i];
            const bool bBeside = wKey >= WFS_TTU_CK_FDK01 &&
                                 wKey - WFS_TTU_CK_FDK01 < 2 * m_layout.nRows;
            (bBeside ? m_functionKeys : m_commandKeys).push_back(wKey);
        }
    }

    CPanelLayout Build()
    {
        const SIZE cell = m_layout.cell;
        m_layout.rcStatus = Box(m_nMargin, m_nMargin, 0, cell.cy);
        PlaceDisplay(m_nMargin * 2 + cell.cy);
        PlaceLeds(m_layout.rcDisplay.bottom + m_nMargin);
        int y = PlaceKeypad(m_layout.leds.empty() ? m_layout.rcDisplay.bottom + m_nMargin
                                                  : m_layout.leds[0].bottom + m_nMargin);
        y = PlaceOtherCharacters(y);
        m_layout.size.cy = y + m_nMargin;
        m_layout.size.cx = std::max(m_nRight, static_cast<int>(m_layout.rcDisplay.right)) + m_nMargin;
        m_layout.rcStatus.right = m_layout.size.cx - m_nMargin;
        return m_layout;
    }

private:
    void AddKey(WCHAR wc, WORD wCommandKey, const RECT &rc)
    {
        const CPanelKey key{wc, wCommandKey};
        m_layout.keys.push_back(CKeyPlace{key, rc, KeyLabel(key)});
        m_nRight = std::max(m_nRight, static_cast<int>(rc.right));
    }

    // FDK01.. beside the lines on the left, the next ones on the right.
    void PlaceDisplay(int y)
    {
        const SIZE cell = m_layout.cell;
        const int nPad = cell.cx;
        const int nFunctionWidth = cell.cx * 6;
        const int nLeft = m_nMargin + nFunctionWidth + cell.cx;
        m_layout.rcDisplay = Box(nLeft, y, m_layout.nColumns * cell.cx + 2 * nPad,
                                 m_layout.nRows * m_layout.nRowPitch + 2 * nPad);
        m_layout.ptText = POINT{nLeft + nPad, y + nPad};
        for (WORD wKey : m_functionKeys) {
            const int nIndex = wKey - WFS_TTU_CK_FDK01;
            const int nRow = nIndex % std::max(1, m_layout.nRows);
            const int x = nIndex < m_layout.nRows ? m_nMargin : m_layout.rcDisplay.right + cell.cx;
            AddKey(0, wKey, Box(x, m_layout.ptText.y + nRow * m_layout.nRowPitch + 1,
                                nFunctionWidth, m_layout.nRowPitch - 2));
        }
        m_nRight = std::max<int>(m_nRight, m_layout.rcDisplay.right + cell.cx + nFunctionWidth);
    }

    void PlaceLeds(int y)
    {
        const int nLamp = m_layout.cell.cy + 4;
        for (int i = 0; i < std::min<int>(m_view.snapshot.wNumOfLEDs, WFS_TTU_LEDS_MAX); ++i)
            m_layout.leds.push_back(
                Box(m_layout.rcDisplay.left + i * (nLamp + m_layout.cell.cx * 5), y, nLamp, nLamp));
    }

    // The digits as on a keypad (1 2 3 / 4 5 6 / 7 8 9 / 0), the other
    // command keys in columns of four beside them. Returns the bottom.
    int PlaceKeypad(int y)
    {
        const SIZE cell = m_layout.cell;
        const int nStep = cell.cx * 5;
        const int nKeyWidth = nStep - cell.cx;
        const int nLeft = m_layout.rcDisplay.left;
        int nBottom = y;
        for (const wchar_t *p = L"1234567890"; *p; ++p) {
            if (!wcschr(m_view.szKeys, *p))
                continue;
            const int nIndex = *p == L'0' ? 10 : *p - L'1';
            const RECT rc = Box(nLeft + (nIndex % 3) * nStep, y + (nIndex / 3) * (m_nKeyHeight + 4),
                                nKeyWidth, m_nKeyHeight);
            AddKey(*p, 0, rc);
            nBottom = std::max<int>(nBottom, rc.bottom);
        }
        const int nCommandWidth = cell.cx * 10;
        for (size_t i = 0; i < m_commandKeys.size(); ++i) {
            const RECT rc = Box(nLeft + 3 * nStep + cell.cx + static_cast<int>(i / 4) * (nCommandWidth + cell.cx),
                                y + static_cast<int>(i % 4) * (m_nKeyHeight + 4), nCommandWidth,
                                m_nKeyHeight);
            AddKey(0, m_commandKeys[i], rc);
            nBottom = std::max<int>(nBottom, rc.bottom);
        }
        return nBottom;
    }

    // Letters and signs in rows of ten under the keypad.
    int PlaceOtherCharacters(int y)
    {
        const int nStep = m_layout.cell.cx * 5;
        int nBottom = y, i = 0;
        y += m_nMargin / 2;
        for (const WCHAR *p = m_view.szKeys; *p && p < m_view.szKeys + TTUSIM_MAX_KEYS; ++p) {
            if (*p >= L'0' && *p <= L'9')
                continue;
            const RECT rc = Box(m_layout.rcDisplay.left + (i % 10) * nStep,
                                y + (i / 10) * (m_nKeyHeight + 4), nStep - m_layout.cell.cx,
                                m_nKeyHeight);
            AddKey(*p, 0, rc);
            nBottom = rc.bottom;
            ++i;
        }
        return nBottom;
    }

    const TTUSIMPANELVIEW &m_view;
    CPanelLayout m_layout;
    int m_nMargin = 0;
    int m_nKeyHeight = 0;
    int m_nRight = 0;
    std::vector<WORD> m_functionKeys; // beside the display lines
    std::vector<WORD> m_commandKeys;  // on the keypad
};

} // namespace

RECT CPanelLayout::CellRect(int nColumn, int nRow) const
{
    return Box(ptText.x + nColumn * cell.cx, ptText.y + nRow * nRowPitch, cell.cx, nRowPitch);
}

CPanelLayout LayOutPanel(const TTUSIMPANELVIEW &view, SIZE cell)
{
    return CLayoutBuilder(view, cell).Build();
}

std::wstring KeyLabel(const CPanelKey &key)
{
    if (key.wCommandKey >= WFS_TTU_CK_FDK01 && key.wCommandKey <= WFS_TTU_CK_FDK32)
        return L"F" + std::to_wstring(key.wCommandKey - WFS_TTU_CK_FDK01 + 1);
    if (key.wCommandKey) {
        const std::string strName = CommandKeyName(key.wCommandKey);
        return std::wstring(strName.begin(), strName.end());
    }
    return std::wstring(1, key.wcKey);
}
