#include "PanelActions.h"

#include "ConsoleText.h"
#include "PanelCodes.h"
#include "PanelView.h"
#include "xfsttu.h"

#include <vector>

namespace {

LONG SetStatus(StatusTarget target, WORD wStatus)
{
    switch (target) {
    case StatusTarget::Device:
        return TtuSimSetDeviceStatus(wStatus);
    case StatusTarget::Keyboard:
        return TtuSimSetKeyboardStatus(wStatus);
    case StatusTarget::Keylock:
        return TtuSimSetKeylockStatus(wStatus);
    }
    return WFS_ERR_INVALID_DATA;
}

LONG Show()
{
    TTUSIMSNAPSHOT snapshot{};
    std::wstring strDisplay;
    const LONG lResult = ReadPanel(&snapshot, &strDisplay);
    if (lResult == WFS_SUCCESS)
        WriteText(GetStdHandle(STD_OUTPUT_HANDLE), FormatPanel(snapshot, strDisplay));
    return lResult;
}

LONG PressAll(const std::vector<CPanelKey> &keys)
{
    for (const CPanelKey &key : keys) {
        std::string strError;
        const LONG lResult = PressKey(key, &strError);
        if (lResult != WFS_SUCCESS) {
            WriteText(GetStdHandle(STD_ERROR_HANDLE), "ttupanel: " + strError + "\n");
            return lResult;
        }
    }
    return WFS_SUCCESS;
}

LONG Carry(const CPanelRequest &request)
{
    switch (request.verb) {
    case PanelVerb::Show:
        return Show();
    case PanelVerb::Press:
        return PressAll(request.keys);
    case PanelVerb::Type:
        return TtuSimTypeText(request.strText.c_str());
    case PanelVerb::Status:
        return SetStatus(request.statusTarget, request.wStatus);
    case PanelVerb::Fail:
        return TtuSimFailNext(request.bCategory, request.dwCode, request.nCount, request.hResult);
    case PanelVerb::Delay:
        return TtuSimDelay(request.bCategory, request.dwCode, request.dwMilliseconds);
    case PanelVerb::Event:
        return TtuSimSendSystemEvent(request.dwEventID);
    case PanelVerb::Reset:
        return TtuSimReset();
    case PanelVerb::Help:
    case PanelVerb::Watch:
    case PanelVerb::Gui:
    case PanelVerb::Snapshot:
        break;
    }
    return WFS_ERR_INTERNAL_ERROR;
}

} // namespace

LONG ReadPanel(TTUSIMSNAPSHOT *pSnapshot, std::wstring *pstrDisplay)
{
    LONG lResult = TtuSimGetSnapshot(pSnapshot);
    if (lResult != WFS_SUCCESS)
        return lResult;
    // The resolution may change between the two calls: the display reports
    // the size it was copied with, and a buffer one size too small is
    // simply tried again with the size now known.
    WORD wSizeX = pSnapshot->wDisplaySizeX;
    WORD wSizeY = pSnapshot->wDisplaySizeY;
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt) {
        std::vector<WCHAR> buffer((static_cast<size_t>(wSizeX) + 1) * wSizeY + 1);
        WORD wCopiedX = 0;
        WORD wCopiedY = 0;
        lResult = TtuSimGetDisplay(buffer.data(), static_cast<DWORD>(buffer.size()), &wCopiedX,
                                   &wCopiedY);
        if (lResult == WFS_SUCCESS) {
            pSnapshot->wDisplaySizeX = wCopiedX;
            pSnapshot->wDisplaySizeY = wCopiedY;
            *pstrDisplay = buffer.data();
            return WFS_SUCCESS;
        }
        if (wCopiedX == wSizeX && wCopiedY == wSizeY)
            break;
        wSizeX = wCopiedX;
        wSizeY = wCopiedY;
    }
    return lResult;
}

LONG PressKey(const CPanelKey &key, std::string *pstrError)
{
    const LONG lResult = TtuSimPressKey(key.wcKey, key.wCommandKey);
    if (lResult != WFS_SUCCESS) {
        const std::string strKey = key.wCommandKey ? CommandKeyName(key.wCommandKey)
                                                   : Narrow(std::wstring(1, key.wcKey));
        *pstrError += "key " + strKey + " refused: " + DescribeResult(lResult);
    }
    return lResult;
}

std::string DescribeResult(LONG lResult)
{
    const char *pszName = FindName(g_Results, lResult);
    return std::string(pszName ? pszName : "error") + " (" + std::to_string(lResult) + ")";
}

int RunRequest(const CPanelRequest &request)
{
    const LONG lResult = Carry(request);
    if (lResult == WFS_SUCCESS)
        return kExitDone;
    // Keys report their own refusal, with the key that was refused.
    if (request.verb != PanelVerb::Press)
        WriteText(GetStdHandle(STD_ERROR_HANDLE),
                  "ttupanel: the panel refused: " + DescribeResult(lResult) + "\n");
    return kExitRefused;
}
