// Status, capabilities and key detail: the snapshot the control's properties
// read, the change events fired when a status answer differs from it, and
// the process-wide last known status shared by every instance.
#include <algorithm>

#include "TTUContext.h"
#include "TTUKeywords.h"
#include "TTULastKnownStatus.h"
#include "TTUService.h"
#include "TextConversion.h"
#include "Trace.h"

std::wstring g_strDeviceStatus = L"DEVNODEVICE";
SHORT g_sDisplaySizeX = 0;
SHORT g_sDisplaySizeY = 0;
std::wstring g_strKeyboardStatus = L"NOTAVAILABLE";
BOOL g_bKeyLockStatus = FALSE;
CVariant g_varLEDStatus;
std::vector<std::wstring> g_arrLEDStatus;
USHORT g_usNumOfLEDs = 0;

namespace {

const char kStatusFunction[] = "CTTUService::HandleStatus";

// Records a new value; true when it differs from the current one, which
// then becomes the previous one.
template <typename T> bool Change(T &current, T &previous, T &processWide, const T &newValue)
{
    if (current == newValue)
        return false;
    previous = current;
    current = newValue;
    processWide = newValue;
    return true;
}

std::wstring NumberText(SHORT sValue)
{
    return std::to_wstring(static_cast<int>(sValue));
}

} // namespace

bool CTTUService::IsUsableAnswer(UINT uMsg, LPWFSRESULT lpResult)
{
    HRESULT hr = lpResult->hResult;
    if (hr == WFS_ERR_TIMEOUT || hr == WFS_ERR_CANCELED)
        return false;
    if (hr != WFS_SUCCESS) {
        DoErrorStatus(uMsg, lpResult->u.dwCommandCode, hr);
        return false;
    }
    return true;
}

// A successful answer without a status structure carries nothing to
// compare: the snapshot stays as it is.
void CTTUService::HandleStatus(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    const WFSTTUSTATUS *lpStatus = static_cast<const WFSTTUSTATUS *>(lpResult->lpBuffer);
    // An answer of a session closed meanwhile (by a handler of another
    // instance's events) tells nothing about the device any more.
    const HSERVICE hService = lpResult->hService;
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!lpStatus || !pContext->IsCurrentSession(hService))
        return;
    // Before the registration stands (the open's own queries) the snapshot
    // is filled silently.
    const bool bFire = pContext->GetRegistered() != FALSE;
    // A handler may close the session: the snapshot is then emptied, and the
    // rest of the answer is neither stored nor fired.
    auto closed = [&] { return !pContext->IsCurrentSession(hService); };

    std::wstring strDevice = DeviceStatusKeyword(lpStatus->fwDevice);
    if (Change(m_strDeviceStatus, m_strPrevDeviceStatus, g_strDeviceStatus, strDevice) && bFire) {
        TTU_TRACE_EVENT(kStatusFunction, "FireDeviceStatusChanged[%S -> %S]",
                        m_strPrevDeviceStatus.c_str(), m_strDeviceStatus.c_str());
        m_pCtrl->FireDeviceStatusChanged(m_strDeviceStatus.c_str());
        if (closed())
            return;
    }

    std::wstring strKeyboard = KeyboardStatusKeyword(lpStatus->fwKeyboard);
    if (Change(m_strKeyboardStatus, m_strPrevKeyboardStatus, g_strKeyboardStatus, strKeyboard) &&
        bFire) {
        TTU_TRACE_EVENT(kStatusFunction, "FireKeyboardStatusChanged[%S -> %S]",
                        m_strPrevKeyboardStatus.c_str(), m_strKeyboardStatus.c_str());
        m_pCtrl->FireKeyboardStatusChanged(m_strKeyboardStatus.c_str());
        if (closed())
            return;
    }

    // A key lock counts as on only while the keyboard is on.
    BOOL bKeyLock =
        lpStatus->fwKeyboard == WFS_TTU_KBDON && lpStatus->fwKeylock == WFS_TTU_KBDLOCKON;
    if (Change(m_bKeyLockStatus, m_bPrevKeyLockStatus, g_bKeyLockStatus, bKeyLock) && bFire) {
        LPCWSTR lpszOld = m_bPrevKeyLockStatus == 1 ? L"TRUE" : L"FALSE";
        LPCWSTR lpszNew = m_bPrevKeyLockStatus == 1 ? L"FALSE" : L"TRUE";
        TTU_TRACE_EVENT(kStatusFunction, "FireKeylockStatusChanged[%S -> %S]", lpszOld, lpszNew);
        m_pCtrl->FireKeylockStatusChanged(lpszNew);
        if (closed())
            return;
    }

    if (!UpdateLEDStatus(lpStatus->wLEDs, bFire, hService))
        return;

    SHORT sSizeX = static_cast<SHORT>(lpStatus->wDisplaySizeX);
    SHORT sOldX = m_sDisplaySizeX;
    if (Change(m_sDisplaySizeX, m_sPrevDisplaySizeX, g_sDisplaySizeX, sSizeX) && bFire) {
        TTU_TRACE_EVENT(kStatusFunction, "FireDisplaySizeXStatusChanged[%S -> %S]",
                        NumberText(sOldX).c_str(), NumberText(sSizeX).c_str());
        m_pCtrl->FireDisplaySizeXStatusChanged(sSizeX);
        if (closed())
            return;
    }
    SHORT sSizeY = static_cast<SHORT>(lpStatus->wDisplaySizeY);
    SHORT sOldY = m_sDisplaySizeY;
    if (Change(m_sDisplaySizeY, m_sPrevDisplaySizeY, g_sDisplaySizeY, sSizeY) && bFire) {
        TTU_TRACE_EVENT(kStatusFunction, "FireDisplaySizeYStatusChanged[%S -> %S]",
                        NumberText(sOldY).c_str(), NumberText(sSizeY).c_str());
        m_pCtrl->FireDisplaySizeYStatusChanged(sSizeY);
        if (closed())
            return;
    }

    if (lpStatus->lpszExtra) {
        LPSTR lpszExtra = lpStatus->lpszExtra;
        ParseExtra(&lpszExtra);
    }
}

// The LED arrays follow the LED count of the last capabilities. They are
// resized whenever their size differs from it, not only while the status is
// being re-read: a close empties them and a new open may bring LEDs without
// any status event in between, and indexing them must never go out of range.
void CTTUService::ResizeLEDArrays()
{
    const size_t nLEDs = g_usNumOfLEDs;
    if (!m_bStatusValid || g_arrLEDStatus.size() != nLEDs || m_arrLEDStatus.size() != nLEDs ||
        m_arrPrevLEDStatus.size() != nLEDs) {
        g_arrLEDStatus.resize(nLEDs);
        m_arrLEDStatus.resize(nLEDs);
        m_arrPrevLEDStatus.resize(nLEDs);
    }
}

// False when the LED array cannot be created, or when a handler closed the
// session (which emptied the arrays): the rest of the status answer is then
// left alone.
bool CTTUService::UpdateLEDStatus(const WORD *pwLEDs, bool bFire, HSERVICE hService)
{
    ResizeLEDArrays();
    const USHORT usNumOfLEDs = g_usNumOfLEDs;
    SAFEARRAY *psa = CreateVariantArray(usNumOfLEDs);
    if (!psa)
        return false;
    for (USHORT i = 0; i < usNumOfLEDs; ++i) {
        std::wstring strLED = LEDStateKeyword(pwLEDs[i]);
        if (Change(m_arrLEDStatus[i], m_arrPrevLEDStatus[i], g_arrLEDStatus[i], strLED) && bFire) {
            TTU_TRACE_EVENT(kStatusFunction, "FireLEDStatusChanged[Index=%d, strOld=%S, strNew=%S]",
                            static_cast<int>(i), m_arrPrevLEDStatus[i].c_str(),
                            m_arrLEDStatus[i].c_str());
            m_pCtrl->FireLEDStatusChanged(static_cast<SHORT>(i), m_arrLEDStatus[i].c_str());
            if (!CTTUContext::GetInstance()->IsCurrentSession(hService)) {
                SafeArrayDestroy(psa);
                return false;
            }
        }
        PutArrayString(psa, i, m_arrLEDStatus[i].c_str());
    }
    m_varLEDStatus.AttachArray(psa);
    g_varLEDStatus = m_varLEDStatus;
    return true;
}

// The status structure carries 8 LED states: a larger LED count is bounded
// to 8, so the LED properties and events never read past them. A successful
// answer without data changes nothing; a missing resolution list counts as
// no resolutions.
void CTTUService::HandleCapabilities(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    const WFSTTUCAPS *lpCaps = static_cast<const WFSTTUCAPS *>(lpResult->lpBuffer);
    if (!lpCaps)
        return;
    g_usNumOfLEDs = std::min<USHORT>(lpCaps->wNumOfLEDs, WFS_TTU_LEDS_MAX);
    m_bHasKeyLock = lpCaps->bKeyLock;
    m_bHasDisplayLight = lpCaps->bDisplayLight;
    m_bCanSupportCursor = lpCaps->bCursor;
    m_bCanSupportForms = lpCaps->bForms;
    m_fwCharSupport = lpCaps->fwCharSupport;

    m_usNumResolutions = 0;
    if (lpCaps->lppResolutions)
        while (lpCaps->lppResolutions[m_usNumResolutions])
            ++m_usNumResolutions;

    for (int nAxis = 0; nAxis < 2; ++nAxis) {
        CVariant &var = nAxis == 0 ? m_varSupportedScreenSizeX : m_varSupportedScreenSizeY;
        var.Clear();
        SAFEARRAY *psa = CreateVariantArray(m_usNumResolutions);
        if (!psa)
            return;
        for (USHORT i = 0; i < m_usNumResolutions; ++i) {
            const WFSTTURESOLUTION *lpResolution = lpCaps->lppResolutions[i];
            WORD wSize = nAxis == 0 ? lpResolution->wSizeX : lpResolution->wSizeY;
            if (FAILED(PutArrayShort(psa, i, static_cast<SHORT>(wSize)))) {
                SafeArrayDestroy(psa);
                return;
            }
        }
        var.AttachArray(psa);
    }

    if (lpCaps->lpszExtra) {
        LPSTR lpszExtra = lpCaps->lpszExtra;
        ParseExtra(&lpszExtra);
    }
}

void CTTUService::HandleKeyDetail(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    const WFSTTUKEYDETAIL *lpDetail = static_cast<const WFSTTUKEYDETAIL *>(lpResult->lpBuffer);
    if (!lpDetail)
        return;
    if (m_fwCharSupport & WFS_TTU_AVAILUNICODE)
        m_strKeys = lpDetail->lpszUNICODEKeys ? lpDetail->lpszUNICODEKeys : L"";
    else if (m_fwCharSupport & WFS_TTU_AVAILASCII)
        m_strKeys = AnsiToWide(lpDetail->lpszKeys);
    // Every answer reaches every instance, and each one describes the whole
    // keyboard: the list is replaced, never added to.
    m_strCommandKeys.clear();
    FormatCommandKeys(lpDetail->lpwCommandKeys, m_strCommandKeys);
}

BOOL CTTUService::FormatCommandKeys(const WORD *lpwCommandKeys, std::wstring &strKeys)
{
    if (!lpwCommandKeys) {
        strKeys = L"NoKey";
        return TRUE;
    }
    for (const WORD *pwKey = lpwCommandKeys; *pwKey != WFS_TTU_NOKEY; ++pwKey)
        strKeys += CommandKeyListText(*pwKey);
    if (!strKeys.empty())
        strKeys.pop_back(); // the comma after the last name
    return TRUE;
}

void CTTUService::ResetDeviceInfo()
{
    m_strDeviceStatus = L"DEVNODEVICE";
    m_sDisplaySizeX = m_sDisplaySizeY = 0;
    m_strKeyboardStatus = L"NOTAVAILABLE";
    m_bKeyLockStatus = FALSE;
    m_varLEDStatus.Clear();
    m_arrLEDStatus.clear();

    g_strDeviceStatus = L"DEVNODEVICE";
    g_sDisplaySizeX = g_sDisplaySizeY = 0;
    g_strKeyboardStatus = L"NOTAVAILABLE";
    g_bKeyLockStatus = FALSE;
    g_varLEDStatus.Clear();
    g_arrLEDStatus.clear();

    m_bHasKeyLock = m_bHasDisplayLight = m_bCanSupportCursor = m_bCanSupportForms = FALSE;
    m_fwCharSupport = WFS_TTU_AVAILASCII;
    m_strKeys.clear();
    m_strCommandKeys.clear();
    g_usNumOfLEDs = 0;
    ClearFormInfo();
    ClearFieldInfo();
}
