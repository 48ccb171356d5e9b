// The completions of the ten TTU commands: one family of handlers that turn
// the completion's hResult into the control's events. They differ only in
// the codes they report as fatal themselves, whether time-outs and
// cancellations are their own events (the two reads), what success does, and
// their trace names and location codes.
#include <algorithm>
#include <vector>

#include "TTUService.h"
#include "TextConversion.h"
#include "TTUTrace.h"

struct CTTUService::CommandFamily {
    const char *pszFunction;
    const char *pszLocation;
    std::vector<HRESULT> fatalCodes;
    // Key cancel, time-out and cancellation have events of their own.
    bool bReadOutcomes;
    void (*pfnSuccess)(CTTUService &service, LPWFSRESULT lpResult);
};

void CTTUService::HandleCommandCompletion(const CommandFamily &family, UINT uMsg,
                                          LPWFSRESULT lpResult)
{
    const HRESULT hr = lpResult->hResult;
    const DWORD dwCode = lpResult->u.dwCommandCode;
    auto trace = [&](const char *pszFormat) {
        TTU_TRACE_EVENT(family.pszFunction, pszFormat, static_cast<int>(dwCode),
                        static_cast<int>(hr));
    };
    const auto &fatal = family.fatalCodes;
    if (std::find(fatal.begin(), fatal.end(), hr) != fatal.end()) {
        trace("FireFatalError {dwExecuteCode=%d, hResult=%d}");
        m_pCtrl->FireFatalError(GetRequestName(uMsg, dwCode).c_str(), hr);
    } else if (family.bReadOutcomes && hr == WFS_ERR_TTU_KEYCANCELED) {
        trace("FireUserCancelled {dwExecuteCode=%d, hResult=%d}");
        m_pCtrl->FireUserCancelled();
    } else if (family.bReadOutcomes && hr == WFS_ERR_TIMEOUT) {
        trace("FireTimeout {dwExecuteCode=%d, hResult=%d}");
        m_pCtrl->FireTimeout();
    } else if (hr == WFS_ERR_HARDWARE_ERROR) {
        trace("FireDeviceError {dwExecuteCode=%d, hResult=%d}");
        m_pCtrl->FireDeviceError(GetRequestName(uMsg, dwCode).c_str(), hr);
    } else if (family.bReadOutcomes && hr == WFS_ERR_CANCELED) {
        trace("FireReadCancelled {dwExecuteCode=%d, hResult=%d}");
        m_pCtrl->FireReadCancelled();
    } else if (hr == WFS_SUCCESS) {
        family.pfnSuccess(*this, lpResult);
    } else {
        TTU_TRACE_FAILURE(family.pszFunction, family.pszLocation, hr, "DoErrorStatus");
        DoErrorStatus(uMsg, dwCode, hr);
    }
}

// The answer passes through HandleStatus during the wait; that is how a
// changed LED or display size reaches the host. Its code is not looked at.
void CTTUService::QueryStatus()
{
    GetInfo(WFS_INF_TTU_STATUS, nullptr, COMMAND_TIMEOUT);
}

void CTTUService::HandleBeep(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleBeep", "6o", {}, false, [](CTTUService &self, LPWFSRESULT) {
            TTU_TRACE_EVENT("CTTUService::HandleBeep", "FireBeepComplete");
            self.m_pCtrl->FireBeepComplete();
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleClearScreen(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleClearScreen", "6p", {}, false, [](CTTUService &self, LPWFSRESULT) {
            TTU_TRACE_EVENT("CTTUService::HandleClearScreen", "FireClearScreenComplete");
            self.m_pCtrl->FireClearScreenComplete();
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleDispLight(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleDispLight", "6q", {}, false, [](CTTUService &self, LPWFSRESULT) {
            TTU_TRACE_EVENT("CTTUService::HandleDispLight", "FireDisplayLightComplete");
            self.m_pCtrl->FireDisplayLightComplete();
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

// Success has no event of its own: the LED change reaches the host through
// the status query.
void CTTUService::HandleSetLed(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleSetLed",
        "6r",
        {WFS_ERR_TTU_INVALIDLED},
        false,
        [](CTTUService &self, LPWFSRESULT) { self.QueryStatus(); }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleSetResolution(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleSetResolution",
        "6s",
        {WFS_ERR_TTU_RESNOTSUPP},
        false,
        [](CTTUService &self, LPWFSRESULT) { self.QueryStatus(); }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleWriteForm(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleWriteForm",
        "6t",
        {WFS_ERR_TTU_CHARSETDATA, WFS_ERR_TTU_MEDIAOVERFLOW, WFS_ERR_TTU_FORMNOTFOUND,
         WFS_ERR_TTU_FORMINVALID, WFS_ERR_TTU_FIELDSPECFAILURE, WFS_ERR_TTU_FIELDERROR},
        false,
        [](CTTUService &self, LPWFSRESULT) {
            TTU_TRACE_EVENT("CTTUService::HandleWriteForm", "FireWriteFormComplete");
            self.m_pCtrl->FireWriteFormComplete();
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleReadForm(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {"CTTUService::HandleReadForm",
                                         "6u",
                                         {WFS_ERR_TTU_FORMNOTFOUND, WFS_ERR_TTU_FORMINVALID,
                                          WFS_ERR_TTU_FIELDSPECFAILURE, WFS_ERR_TTU_FIELDERROR},
                                         true,
                                         [](CTTUService &self, LPWFSRESULT lpResult) {
                                             self.DeliverFormFields(lpResult->u.dwCommandCode,
                                                                    lpResult->hResult,
                                                                    lpResult->lpBuffer);
                                         }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleWrite(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {"CTTUService::HandleWrite",
                                         "6v",
                                         {WFS_ERR_TTU_CHARSETDATA},
                                         false,
                                         [](CTTUService &self, LPWFSRESULT) {
                                             TTU_TRACE_EVENT("CTTUService::HandleWrite",
                                                             "FireWriteComplete");
                                             self.m_pCtrl->FireWriteComplete();
                                         }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

void CTTUService::HandleRead(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleRead",
        "6w",
        {WFS_ERR_TTU_NOACTIVEKEYS, WFS_ERR_TTU_KEYNOTSUPPORTED, WFS_ERR_TTU_KEYINVALID},
        true,
        [](CTTUService &self, LPWFSRESULT lpResult) {
            self.DeliverInput(lpResult->u.dwCommandCode, lpResult->hResult, lpResult->lpBuffer);
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

// ResetComplete follows the status query, so the host sees the status the
// reset left before it hears that the reset is done.
void CTTUService::HandleReset(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CommandFamily family = {
        "CTTUService::HandleReset", "6x", {}, false, [](CTTUService &self, LPWFSRESULT) {
            self.QueryStatus();
            TTU_TRACE_EVENT("CTTUService::HandleReset", "FireResetComplete");
            self.m_pCtrl->FireResetComplete();
        }};
    HandleCommandCompletion(family, uMsg, *lppResult);
}

// A read that succeeded without data (no buffer, or no input text) read an
// empty text: the host still hears that the read is complete.
void CTTUService::DeliverInput(DWORD dwCode, HRESULT hResult, LPVOID lpBuffer)
{
    const WFSTTUREADIN *lpReadIn = static_cast<const WFSTTUREADIN *>(lpBuffer);
    LPCSTR lpszInput = lpReadIn && lpReadIn->lpszInput ? lpReadIn->lpszInput : "";
    TTU_TRACE_EVENT("CTTUService::HandleRead",
                    "FireReadComplete {dwExecuteCode=%d, hResult=%d, Value=%s}",
                    static_cast<int>(dwCode), static_cast<int>(hResult), lpszInput);
    std::unique_ptr<wchar_t[]> input = AnsiToWideBuffer(lpszInput);
    if (!input) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::HandleRead", "6w");
        return;
    }
    m_pCtrl->FireReadComplete(input.get());
}

// The event comes first: while the host handles it, GetFieldValue still
// answers from what the map held before this completion.
void CTTUService::DeliverFormFields(DWORD dwCode, HRESULT hResult, LPVOID lpBuffer)
{
    TTU_TRACE_EVENT("CTTUService::HandleReadForm",
                    "FireReadFormComplete {dwExecuteCode=%d, hResult=%d}", static_cast<int>(dwCode),
                    static_cast<int>(hResult));
    m_pCtrl->FireReadFormComplete();
    const WFSTTUREADFORMOUT *lpOut = static_cast<const WFSTTUREADFORMOUT *>(lpBuffer);
    if (!lpOut)
        return;
    // A Unicode service's narrow list is never read, even when its wide
    // list is missing.
    if (m_fwCharSupport & WFS_TTU_AVAILUNICODE) {
        if (lpOut->lpszUNICODEFields)
            StoreWideFields(lpOut->lpszUNICODEFields);
    } else if (m_fwCharSupport & WFS_TTU_AVAILASCII) {
        if (lpOut->lpszFields)
            StoreNarrowFields(lpOut->lpszFields);
    }
}

// Entries name=value up to the first empty entry or the first entry without
// "="; only the first "=" splits, so a value may hold more of them.
void CTTUService::StoreWideFields(LPCWSTR lpszFields)
{
    for (LPCWSTR lpszEntry = lpszFields; *lpszEntry; lpszEntry += lstrlenW(lpszEntry) + 1) {
        LPCWSTR lpszEquals = wcschr(lpszEntry, L'=');
        if (!lpszEquals)
            return;
        m_mapFieldValues[std::wstring(lpszEntry, lpszEquals)] = lpszEquals + 1;
    }
}

void CTTUService::StoreNarrowFields(LPCSTR lpszFields)
{
    for (LPCSTR lpszEntry = lpszFields; *lpszEntry; lpszEntry += lstrlenA(lpszEntry) + 1) {
        LPCSTR lpszEquals = strchr(lpszEntry, '=');
        if (!lpszEquals)
            return;
        std::string strName(lpszEntry, lpszEquals);
        std::unique_ptr<wchar_t[]> name = AnsiToWideBuffer(strName.c_str());
        std::unique_ptr<wchar_t[]> value = name ? AnsiToWideBuffer(lpszEquals + 1) : nullptr;
        if (!value) {
            TTU_TRACE_ALLOC_FAILED("CTTUService::HandleReadForm", "6u");
            return;
        }
        m_mapFieldValues[name.get()] = value.get();
    }
}
