#include "PanelSnapshot.h"

#include "ConsoleText.h"
#include "PanelActions.h"
#include "PanelPicture.h"
#include "PngWriter.h"
#include "xfsttu.h"

namespace {

// "Path not found. " (with its space), or a space alone.
std::wstring SystemMessage(HRESULT hr)
{
    LPWSTR pszMessage = nullptr;
    const DWORD cch = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(hr), 0,
                                     reinterpret_cast<LPWSTR>(&pszMessage), 0, nullptr);
    std::wstring strMessage(pszMessage ? pszMessage : L"", cch);
    LocalFree(pszMessage);
    for (wchar_t &wc : strMessage)
        if (wc == L'\r' || wc == L'\n')
            wc = L' ';
    while (!strMessage.empty() && strMessage.back() == L' ')
        strMessage.pop_back();
    return strMessage + L" ";
}

} // namespace

std::unique_ptr<CPanelCanvas> RenderPanel(const TTUSIMPANELVIEW &view, DWORD dwPhase,
                                          CPanelLayout *pLayout)
{
    CPanelFont font;
    const CPanelLayout layout = LayOutPanel(view, font.Cell());
    std::unique_ptr<CPanelCanvas> canvas(new CPanelCanvas(layout.size.cx, layout.size.cy));
    if (!canvas->Ok())
        return nullptr;
    DrawPanel(canvas->Dc(), layout, view, font.Handle(), dwPhase);
    GdiFlush();
    if (pLayout)
        *pLayout = layout;
    return canvas;
}

int RunSnapshot(const std::wstring &strPath)
{
    const HANDLE hError = GetStdHandle(STD_ERROR_HANDLE);
    TTUSIMPANELVIEW view;
    const LONG lResult = TtuSimGetPanelView(&view);
    if (lResult != WFS_SUCCESS) {
        WriteText(hError, "ttupanel: cannot read the panel: " + DescribeResult(lResult) + "\n");
        return kExitRefused;
    }
    // Phase 0: flashing lamps and text are drawn lit.
    const std::unique_ptr<CPanelCanvas> canvas = RenderPanel(view, 0);
    if (!canvas) {
        WriteText(hError, "ttupanel: cannot draw the panel off screen\n");
        return kExitRefused;
    }
    const HRESULT hr = WritePng(strPath, canvas->Bits(), canvas->Width(), canvas->Height());
    if (FAILED(hr)) {
        wchar_t szCode[16];
        wsprintfW(szCode, L"0x%08lX", static_cast<unsigned long>(hr));
        WriteText(hError, L"ttupanel: cannot write " + strPath + L": " + SystemMessage(hr) + L"(" +
                              szCode + L")\n");
        return kExitRefused;
    }
    return kExitDone;
}
