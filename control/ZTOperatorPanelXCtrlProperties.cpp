// The control's read-only properties. The status group reads the process's
// last known status; the capability, key and form groups read what the
// instance's CTTUService holds. The status, capability and key groups ask the
// device once (the service's query-done flags), the form group never: it
// shows the last QueryForm and QueryField.
//
// A status getter queries first and marks the status as read afterwards, so
// a nested status read from an event fired during the wait queries again; a
// capability or key getter marks first, so a nested read returns the held
// values at once. Either way a failed query is not repeated until
// CloseSessionSync or a device event clears the flag.
//
// A control without its service or window (see ZTOperatorPanelXCtrlDispatch
// .cpp) queries nothing and shows what a service that never queried shows:
// the process's last known status, no capabilities, no keys, no form.
#include "ZTOperatorPanelXCtrl.h"

#include <memory>
#include <new>
#include <string>

#include "DispatchValues.h"
#include "TTULastKnownStatus.h"
#include "TTUService.h"
#include "TextConversion.h"
#include "Trace.h"
#include "xfsttu.h"

namespace {

// The keyword tables of CTTUService::GetString.
enum KeywordTable { kFieldType = 0, kFieldClass = 1, kFieldAccess = 2, kFieldOverflow = 3, kFormCharSet = 4 };

// What a service holds before any form or field query: a form in ASCII, a
// static, read-only text field that terminates on overflow.
const WORD kNoFormCharSet = WFS_TTU_AVAILASCII;
const WORD kNoFieldType = 0;
const WORD kNoFieldClass = 1;
const WORD kNoFieldAccess = 1;
const WORD kNoFieldOverflow = 0;

HRESULT QueryOnce(CTTUService &service, DWORD dwCategory)
{
    LPVOID lpNoDetails = nullptr;
    return service.GetInfo(dwCategory, &lpNoDetails, CTTUService::COMMAND_TIMEOUT);
}

// While no session is open nothing can be asked (-39, no XFS call): the
// flag stays clear, so that the first read after an open, made by this
// control or another one, asks the device. Otherwise a key list read
// before the open would stay empty until the next close.
void QueryStatusOnce(CTTUService *pService)
{
    if (!pService || pService->IsStatusValid())
        return;
    if (QueryOnce(*pService, WFS_INF_TTU_STATUS) != WFS_ERR_NOT_STARTED)
        pService->SetStatusValid(TRUE);
}

void QueryCapsOnce(CTTUService *pService)
{
    if (!pService || pService->IsCapsValid())
        return;
    pService->SetCapsValid(TRUE);
    if (QueryOnce(*pService, WFS_INF_TTU_CAPABILITIES) == WFS_ERR_NOT_STARTED)
        pService->SetCapsValid(FALSE);
}

void QueryKeyDetailOnce(CTTUService *pService)
{
    if (!pService || pService->IsKeyDetailValid())
        return;
    pService->SetKeyDetailValid(TRUE);
    if (QueryOnce(*pService, WFS_INF_TTU_KEY_DETAIL) == WFS_ERR_NOT_STARTED)
        pService->SetKeyDetailValid(FALSE);
}

// A value of the service, or the never-queried value without one.
template <typename T, typename TRead> T ValueOf(const CTTUService *pService, T noService, TRead read)
{
    return pService ? read(*pService) : noService;
}

HRESULT StoreCopy(VARIANT *pValue, const CVariant &var)
{
    if (!pValue)
        return E_POINTER;
    VariantInit(pValue);
    return var.CopyTo(pValue);
}

// A wide property traced with its wide value ("Name = %S").
HRESULT StoreTracedString(BSTR *pValue, const std::wstring &strValue, const char *pszFunction,
                          const char *pszFormat)
{
    TTU_TRACE_PROPERTY(pszFunction, pszFormat, strValue.c_str());
    return StoreString(pValue, strValue);
}

// A narrow string of the service (null = empty) as a wide property.
// A text the service keeps (null without a service).
LPCSTR NarrowOf(const CTTUService *pService, LPCSTR (CTTUService::*pfnText)() const)
{
    return pService ? (pService->*pfnText)() : nullptr;
}

HRESULT StoreNarrow(BSTR *pValue, LPCSTR lpszValue, const char *pszFunction, const char *pszFormat)
{
    return StoreTracedString(pValue, AnsiToWide(lpszValue), pszFunction, pszFormat);
}

HRESULT StoreKeyword(BSTR *pValue, KeywordTable table, WORD wValue, const char *pszFunction,
                     const char *pszFormat)
{
    return StoreNarrow(pValue, CTTUService::GetString(table, wValue), pszFunction, pszFormat);
}

HRESULT StoreTracedLong(LONG *pValue, WORD wValue, const char *pszFunction, const char *pszFormat)
{
    TTU_TRACE_PROPERTY(pszFunction, pszFormat, static_cast<int>(wValue));
    return StoreValue<LONG>(pValue, wValue);
}

HRESULT StoreTracedBool(VARIANT_BOOL *pValue, BOOL bValue, const char *pszFunction, const char *pszFormat)
{
    TTU_TRACE_PROPERTY(pszFunction, pszFormat, static_cast<int>(bValue));
    return StoreBool(pValue, bValue);
}

// A capability flag: the capabilities asked for once, then the flag (FALSE
// without a service) traced and stored.
HRESULT StoreCapsFlag(CTTUService *pService, VARIANT_BOOL *pValue, BOOL (CTTUService::*pfnFlag)() const,
                      const char *pszFunction, const char *pszFormat)
{
    QueryCapsOnce(pService);
    const BOOL bFlag = ValueOf<BOOL>(pService, FALSE, [pfnFlag](const CTTUService &s) { return (s.*pfnFlag)(); });
    return StoreTracedBool(pValue, bFlag, pszFunction, pszFormat);
}

// One line per element of a VT_I2 array ("Name[%d]=%d"), then a copy.
HRESULT StoreSizeArray(VARIANT *pValue, const CVariant &var, const char *pszFunction, const char *pszFormat)
{
    const VARIANT &held = var.Get();
    if ((held.vt & VT_ARRAY) && held.parray) {
        LONG lLower = 0, lUpper = -1;
        SafeArrayGetLBound(held.parray, 1, &lLower);
        SafeArrayGetUBound(held.parray, 1, &lUpper);
        for (LONG i = lLower; i <= lUpper; ++i) {
            VARIANT element;
            VariantInit(&element);
            if (SUCCEEDED(SafeArrayGetElement(held.parray, &i, &element)) &&
                SUCCEEDED(VariantChangeType(&element, &element, 0, VT_I2)))
                TTU_TRACE_PROPERTY(pszFunction, pszFormat, static_cast<int>(i), static_cast<int>(element.iVal));
            VariantClear(&element);
        }
    }
    return StoreCopy(pValue, var);
}

// The trace line of DeviceStatus is written from a narrow heap copy.
void TraceDeviceStatus(const std::wstring &strStatus)
{
    const int cbCopy = WideCharToMultiByte(CP_ACP, 0, strStatus.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::unique_ptr<char[]> lpszCopy(new (std::nothrow) char[cbCopy > 0 ? cbCopy : 1]);
    if (!lpszCopy) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::GetDeviceStatus", "63");
        return;
    }
    lpszCopy[0] = '\0';
    WideCharToMultiByte(CP_ACP, 0, strStatus.c_str(), -1, lpszCopy.get(), cbCopy, nullptr, nullptr);
    TTU_TRACE_PROPERTY("CTTUService::GetDeviceStatus", "DeviceStatus = %s", lpszCopy.get());
}

// The names of a field list (each ended by a zero byte, the list by an empty
// name) as an array of VT_BSTR VARIANTs, lower bound 0; no list gives an
// array of 0 elements.
HRESULT StoreFieldList(VARIANT *pValue, LPCSTR lpszFields)
{
    if (!pValue)
        return E_POINTER;
    VariantInit(pValue);
    ULONG nNames = 0;
    for (LPCSTR p = lpszFields; p && *p; p += lstrlenA(p) + 1)
        ++nNames;
    SAFEARRAY *psa = CreateVariantArray(nNames);
    if (!psa) {
        TTU_TRACE_ERROR("Ctrl::GetFormFieldList", "Failed to create a safe array ==> Line = %d", __LINE__);
        TTU_ERROR_NULL("4T");
        return S_OK;
    }
    LONG lIndex = 0;
    for (LPCSTR p = lpszFields; p && *p; p += lstrlenA(p) + 1)
        PutArrayString(psa, lIndex++, AnsiToWide(p).c_str());
    pValue->vt = VT_ARRAY | VT_VARIANT;
    pValue->parray = psa;
    return S_OK;
}

} // namespace

// ---- Status: the process's last known status ------------------------------

STDMETHODIMP CZTOperatorPanelXCtrl::get_DeviceStatus(BSTR *pValue)
{
    QueryStatusOnce(GetUsableService());
    TraceDeviceStatus(g_strDeviceStatus);
    return StoreString(pValue, g_strDeviceStatus);
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_DisplaySizeX(short *pValue)
{
    QueryStatusOnce(GetUsableService());
    TTU_TRACE_PROPERTY("CTTUService::GetWidth", "Width = %d", g_sDisplaySizeX);
    return StoreValue<short>(pValue, g_sDisplaySizeX);
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_DisplaySizeY(short *pValue)
{
    QueryStatusOnce(GetUsableService());
    TTU_TRACE_PROPERTY("CTTUService::GetHeight", "Height = %d", g_sDisplaySizeY);
    return StoreValue<short>(pValue, g_sDisplaySizeY);
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_KeyLockStatus(VARIANT_BOOL *pValue)
{
    QueryStatusOnce(GetUsableService());
    return StoreTracedBool(pValue, g_bKeyLockStatus, "CTTUService::GetKeyLockStatus", "KeyLockStatus = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_LEDStatus(VARIANT *pValue)
{
    QueryStatusOnce(GetUsableService());
    return StoreCopy(pValue, g_varLEDStatus);
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_KeyboardStatus(BSTR *pValue)
{
    QueryStatusOnce(GetUsableService());
    return StoreTracedString(pValue, g_strKeyboardStatus, "CTTUService::GetKeyboardStatus",
                            "KeyboardStatus = %S");
}

// From the last capabilities answer, which need not be this instance's.
STDMETHODIMP CZTOperatorPanelXCtrl::get_NumOfLEDs(short *pValue)
{
    const short sNumOfLEDs = static_cast<short>(g_usNumOfLEDs);
    TTU_TRACE_PROPERTY("CTTUService::GetNumOfLEDs", "NumOfLEDs = %d", sNumOfLEDs);
    return StoreValue<short>(pValue, sNumOfLEDs);
}

// ---- Capabilities -----------------------------------------------------------

STDMETHODIMP CZTOperatorPanelXCtrl::get_HasKeyLock(VARIANT_BOOL *pValue)
{
    return StoreCapsFlag(GetUsableService(), pValue, &CTTUService::HasKeyLock, "CTTUService::GetHasKeyLock", "HasKeyLock = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_HasDisplayLigth(VARIANT_BOOL *pValue)
{
    return StoreCapsFlag(GetUsableService(), pValue, &CTTUService::HasDisplayLight, "CTTUService::GetHasDisplayLight", "HasDisplayLight = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_CanSupportCursor(VARIANT_BOOL *pValue)
{
    return StoreCapsFlag(GetUsableService(), pValue, &CTTUService::CanSupportCursor, "CTTUService::GetCanSupportCursor", "CanSupportCursor=%d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_CanSupportForms(VARIANT_BOOL *pValue)
{
    return StoreCapsFlag(GetUsableService(), pValue, &CTTUService::CanSupportForms, "CTTUService::GetCanSupportForms", "CanSupportForms = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedScreenSizeX(VARIANT *pValue)
{
    CTTUService *pService = GetUsableService();
    QueryCapsOnce(pService);
    return StoreSizeArray(pValue, pService ? pService->GetSupportedScreenSizeX() : CVariant(),
                          "CTTUService::GetSupportedScreenSizeX", "SupportedScreenSizeX[%d]=%d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedScreenSizeY(VARIANT *pValue)
{
    CTTUService *pService = GetUsableService();
    QueryCapsOnce(pService);
    return StoreSizeArray(pValue, pService ? pService->GetSupportedScreenSizeY() : CVariant(),
                          "CTTUService::GetSupportedScreenSizeY", "SupportedScreenSizeY[%d]=%d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedCharSets(BSTR *pValue)
{
    CTTUService *pService = GetUsableService();
    QueryCapsOnce(pService);
    const WORD fwCharSupport =
        ValueOf<WORD>(pService, 0, [](const CTTUService &s) { return s.GetCharSupport(); });
    TTU_TRACE_PROPERTY("CTTUService::GetSupportedCharSets", "SupportedCharSets = %d",
                       static_cast<int>(fwCharSupport));
    return StoreString(pValue, (fwCharSupport & WFS_TTU_AVAILUNICODE) ? L"UNICODE" : L"ASCII");
}

// ---- Key detail -------------------------------------------------------------

STDMETHODIMP CZTOperatorPanelXCtrl::get_Keys(BSTR *pValue)
{
    CTTUService *pService = GetUsableService();
    QueryKeyDetailOnce(pService);
    return StoreTracedString(pValue, pService ? pService->GetKeys() : std::wstring(), "CTTUService::GetKeys",
                             "Keys = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_CommandKeys(BSTR *pValue)
{
    CTTUService *pService = GetUsableService();
    QueryKeyDetailOnce(pService);
    return StoreTracedString(pValue, pService ? pService->GetCommandKeys() : std::wstring(),
                             "CTTUService::GetCommandKeys", "CommandKeys = %S");
}

// ---- The last form and field queries ---------------------------------------

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormName(BSTR *pValue)
{
    const CTTUService *pService = GetUsableService();
    return StoreNarrow(pValue, NarrowOf(pService, &CTTUService::GetFormName), "Ctrl::GetFormName", "FormName = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormWidth(LONG *pValue)
{
    return StoreTracedLong(pValue, ValueOf<WORD>(GetUsableService(), 0, [](const CTTUService &s) { return s.GetFormWidth(); }),
                           "Ctrl::GetFormWidth", "FormWidth = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormHeight(LONG *pValue)
{
    return StoreTracedLong(pValue,
                           ValueOf<WORD>(GetUsableService(), 0, [](const CTTUService &s) { return s.GetFormHeight(); }),
                           "Ctrl::GetFormHeight", "FormHeight = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormVersionMajor(LONG *pValue)
{
    return StoreTracedLong(
        pValue, ValueOf<WORD>(GetUsableService(), 0, [](const CTTUService &s) { return s.GetFormVersionMajor(); }),
        "Ctrl::GetFormVersionMajor", "FormVersionMajor = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormVersionMinor(LONG *pValue)
{
    return StoreTracedLong(
        pValue, ValueOf<WORD>(GetUsableService(), 0, [](const CTTUService &s) { return s.GetFormVersionMinor(); }),
        "Ctrl::GetFormVersionMinor", "FormVersionMinor = %d");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormCharSet(BSTR *pValue)
{
    const WORD fwCharSet = ValueOf<WORD>(GetUsableService(), kNoFormCharSet,
                                         [](const CTTUService &s) { return s.GetFormCharSupport(); });
    return StoreKeyword(pValue, kFormCharSet, fwCharSet, "Ctrl::GetFormCharSet", "FormCharSet = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldList(VARIANT *pValue)
{
    const CTTUService *pService = GetUsableService();
    return StoreFieldList(pValue, pService ? pService->GetFormFields() : nullptr);
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldName(BSTR *pValue)
{
    return StoreNarrow(pValue, NarrowOf(GetUsableService(), &CTTUService::GetFieldName), "Ctrl::GetFormFieldName", "FormFieldName = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldType(BSTR *pValue)
{
    const WORD fwType =
        ValueOf<WORD>(GetUsableService(), kNoFieldType, [](const CTTUService &s) { return s.GetFieldType(); });
    return StoreKeyword(pValue, kFieldType, fwType, "Ctrl::GetFormFieldType", "FormFieldType = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldClass(BSTR *pValue)
{
    const WORD fwClass =
        ValueOf<WORD>(GetUsableService(), kNoFieldClass, [](const CTTUService &s) { return s.GetFieldClass(); });
    return StoreKeyword(pValue, kFieldClass, fwClass, "Ctrl::GetFormFieldClass", "FormFieldClass = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldAccess(BSTR *pValue)
{
    const WORD fwAccess =
        ValueOf<WORD>(GetUsableService(), kNoFieldAccess, [](const CTTUService &s) { return s.GetFieldAccess(); });
    return StoreKeyword(pValue, kFieldAccess, fwAccess, "Ctrl::GetFormFieldAccess", "FormFieldAccess = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldOverflow(BSTR *pValue)
{
    const WORD fwOverflow = ValueOf<WORD>(GetUsableService(), kNoFieldOverflow,
                                          [](const CTTUService &s) { return s.GetFieldOverflow(); });
    return StoreKeyword(pValue, kFieldOverflow, fwOverflow, "Ctrl::GetFormFieldOverflow", "FormFieldOverflow = %S");
}

STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldFormat(BSTR *pValue)
{
    return StoreNarrow(pValue, NarrowOf(GetUsableService(), &CTTUService::GetFieldFormat), "Ctrl::GetFormFieldFormat", "FormFieldFormat = %S");
}
