// The control's methods. Each writes its "Invoked" line first, then either
// hands the call to the instance's CTTUService (or its CService base) or,
// for the form and field queries, puts the query together here. The device
// commands are refused with -39 while the process's session is closed; the
// session, lock and query methods let the service answer for itself.
//
// A control whose constructor could not create its service or its instance
// window cannot reach the device: nothing routed by the context would come
// back to it, so a synchronous query would wait for an answer that never
// arrives. Such a control still traces every call, then answers with
// WFS_ERR_INTERNAL_ERROR (-15), FALSE or an empty string, and never touches
// the session that the process's other controls share. -15 is chosen over
// -39 because opening the session would not help: the fault is the control's.
#include "ZTOperatorPanelXCtrl.h"

#include <string>

#include "DispatchValues.h"
#include "TTUContext.h"
#include "TTUService.h"
#include "TextConversion.h"
#include "Trace.h"
#include "xfsadmin.h"
#include "xfsttu.h"

namespace {

const HRESULT kNoService = WFS_ERR_INTERNAL_ERROR;

bool IsSessionOpen()
{
    return CTTUContext::GetInstance()->GetOpened() != FALSE;
}

// The name that a form or field query sends, in the system code page.
// Names of more than CTTUService::MAX_FORM_TEXT bytes are refused rather
// than cut: a cut name could quietly name another form or field.
class CQueryName {
public:
    explicit CQueryName(BSTR bstrName) : m_strName(WideToAnsi(Wide(bstrName))) {}
    bool IsTooLong() const { return m_strName.size() > CTTUService::MAX_FORM_TEXT; }
    LPSTR Get() { return &m_strName[0]; }

private:
    std::string m_strName;
};

// The common part of the device commands: the open check, then the command.
template <typename TCommand>
HRESULT IssueCommand(CTTUService *pService, TCommand command)
{
    if (!pService)
        return kNoService;
    if (!IsSessionOpen())
        return WFS_ERR_NOT_STARTED;
    return command(*pService);
}

// The session, lock and extra-information methods: the service answers for
// itself, whether the session is open or not.
template <typename... Args>
HRESULT AskService(CTTUService *pService, LONG *pResult, HRESULT (CService::*pfnCall)(Args...), Args... args)
{
    return StoreResult(pResult, pService ? (pService->*pfnCall)(args...) : kNoService);
}

HRESULT AskExtra(CTTUService *pService, BSTR *pResult, std::wstring (CService::*pfnCall)(const std::wstring &),
                 BSTR KeyName)
{
    return StoreString(pResult, pService ? (pService->*pfnCall)(Wide(KeyName)) : std::wstring());
}

// The form and field queries: a device command whose name is checked first.
template <typename TQuery>
HRESULT IssueQuery(CTTUService *pService, const CQueryName &name, TQuery query)
{
    return IssueCommand(pService, [&](CTTUService &service) -> HRESULT {
        return name.IsTooLong() ? WFS_ERR_INVALID_DATA : query(service);
    });
}

// The field query, naming the form of the last form query. Before any form
// query the service holds no form name, and the field is asked for without one.
HRESULT QueryFieldOfForm(CTTUService &service, LPSTR lpszFieldName)
{
    LPVOID lpQuery = nullptr;
    const HRESULT hAlloc = WFMAllocateBuffer(sizeof(WFSTTUQUERYFIELD), WFS_MEM_ZEROINIT, &lpQuery);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED("Ctrl::QueryField", "4r", hAlloc);
        return hAlloc;
    }
    LPWFSTTUQUERYFIELD lpQueryField = static_cast<LPWFSTTUQUERYFIELD>(lpQuery);
    lpQueryField->lpszFormName = const_cast<LPSTR>(service.GetFormName());
    lpQueryField->lpszFieldName = lpszFieldName;
    const HRESULT hResult = service.GetInfo(WFS_INF_TTU_QUERY_FIELD, &lpQuery, CTTUService::COMMAND_TIMEOUT);
    WFMFreeBuffer(lpQuery);
    return hResult;
}

} // namespace

CTTUService *CZTOperatorPanelXCtrl::GetUsableService() const
{
    return m_hMsgWnd ? m_pTTUService : nullptr;
}

STDMETHODIMP CZTOperatorPanelXCtrl::OpenSessionSync(LONG Timeout, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::OpenSessionSync", "Invoked {Timeout[%d]}", static_cast<int>(Timeout));
    return AskService(GetUsableService(), pResult, &CService::OpenSession, static_cast<DWORD>(Timeout));
}

STDMETHODIMP CZTOperatorPanelXCtrl::CloseSessionSync(LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::CloseSessionSync", "Invoked");
    CTTUService *pService = GetUsableService();
    if (!pService)
        return StoreResult(pResult, kNoService);
    // Cleared first: whether or not the close succeeds, the next property
    // read asks the device again instead of showing the old session's values.
    pService->SetStatusValid(FALSE);
    pService->SetCapsValid(FALSE);
    pService->SetKeyDetailValid(FALSE);
    return StoreResult(pResult, pService->CloseSession());
}

STDMETHODIMP CZTOperatorPanelXCtrl::RequestLock(LONG Timeout, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::RequestLock", "Invoked {Timeout[%d]}", static_cast<int>(Timeout));
    return AskService(GetUsableService(), pResult, &CService::Lock, static_cast<DWORD>(Timeout));
}

STDMETHODIMP CZTOperatorPanelXCtrl::ReleaseLock(LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::ReleaseLock", "Invoked");
    return AskService(GetUsableService(), pResult, &CService::Unlock);
}

STDMETHODIMP CZTOperatorPanelXCtrl::GetExtraStatus(BSTR KeyName, BSTR *pResult)
{
    TTU_TRACE_METHOD("Ctrl::GetExtraStatus", "Invoked {KeyName[%S]}", Wide(KeyName));
    return AskExtra(GetUsableService(), pResult, &CService::GetExtraStatus, KeyName);
}

STDMETHODIMP CZTOperatorPanelXCtrl::GetExtraCaps(BSTR KeyName, BSTR *pResult)
{
    TTU_TRACE_METHOD("Ctrl::GetExtraCaps", "Invoked {KeyName[%S]}", Wide(KeyName));
    return AskExtra(GetUsableService(), pResult, &CService::GetExtraCaps, KeyName);
}

// The five flags of Beep, WriteForm and Read arrive as Booleans, whatever
// the caller passed (the dispatch layer converted them); they are traced as
// 0 or 1.
STDMETHODIMP CZTOperatorPanelXCtrl::Beep(BSTR BeepType, VARIANT_BOOL Continuous, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::Beep", "Invoked {BeepType[%S], Continuous[%d]}", Wide(BeepType),
                     IsTrue(Continuous));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.Beep(Wide(BeepType), IsTrue(Continuous));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::BeepOff(LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::BeepOff", "Invoked");
    return StoreResult(pResult, IssueCommand(GetUsableService(),
                                             [](CTTUService &service) { return service.BeepOff(); }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::ClearScreen(short TopLeftX, short TopLeftY, short Width, short Height,
                                                LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::ClearScreen", "Invoked {TopLeftX[%d], TopLeftY[%d], Width[%d], Height[%d]}",
                     TopLeftX, TopLeftY, Width, Height);
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.ClearScreen(TopLeftX, TopLeftY, Width, Height);
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::SetDisplayLight(BSTR LightAction, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::SetDisplayLight", "Invoked {LightAction[%S]}", Wide(LightAction));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.SetDisplayLight(Wide(LightAction));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::SetLEDState(short Index, BSTR State, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::SetLEDState", "Invoked {Index[%d], State[%S]}", Index, Wide(State));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.SetLEDState(Index, Wide(State));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::SelectScreenSize(short Width, short Height, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::SelectScreenSize", "Invoked {Width[%d], Height[%d]}", Width, Height);
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.SelectScreenSize(Width, Height);
                       }));
}

// A null FormName is no form at all: the service refuses it with -1.
STDMETHODIMP CZTOperatorPanelXCtrl::WriteForm(BSTR FormName, VARIANT_BOOL ClearScreen, BSTR FieldValues,
                                              LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::WriteForm", "Invoked {FormName[%S], ClearScreen[%d], FieldValues[%S]}",
                     Wide(FormName), IsTrue(ClearScreen), Wide(FieldValues));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.WriteForm(FormName, IsTrue(ClearScreen), Wide(FieldValues));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::ReadForm(BSTR FormName, BSTR Fields, short Timeout, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::ReadForm", "Invoked {FormName[%S], Fields[%S], Timeout[%d]}", Wide(FormName),
                     Wide(Fields), Timeout);
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.ReadForm(FormName, Wide(Fields), Timeout);
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::CancelRead(LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::CancelRead", "Invoked");
    return StoreResult(pResult, IssueCommand(GetUsableService(),
                                             [](CTTUService &service) { return service.CancelRead(); }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::GetFieldValue(BSTR FieldName, VARIANT *FieldValue, VARIANT_BOOL *pResult)
{
    TTU_TRACE_METHOD("Ctrl::GetFieldValue", "Invoked {FieldName[%S]}", Wide(FieldName));
    if (!pResult)
        return E_POINTER;
    // FieldValue is written only when the field is found.
    CTTUService *pService = GetUsableService();
    const bool bFound = pService && FieldValue && IsSessionOpen() &&
                        pService->GetFieldValue(Wide(FieldName), FieldValue);
    return StoreBool(pResult, bFound);
}

STDMETHODIMP CZTOperatorPanelXCtrl::Write(short x, short y, BSTR TextAttribute, BSTR Text, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::Write", "Invoked {x[%d], y[%d], TextAttribute[%S], Text[%S]}", x, y,
                     Wide(TextAttribute), Wide(Text));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.Write(x, y, Wide(TextAttribute), Wide(Text));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::Read(short x, short y, BSTR TextAttribute, BSTR EchoMode, short Length,
                                         VARIANT_BOOL CursorOn, VARIANT_BOOL Flush, VARIANT_BOOL AutoEnd,
                                         LONG Timeout, BSTR ActiveKeys,
                                         BSTR ActiveCommandKeys, BSTR TerminateCommandKeys, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::Read",
                     "Invoked {x[%d], y[%d], TextAttribute[%S], EchoMode[%S], Length[%d], CursorOn[%d], "
                     "Flush[%d], AutoEnd[%d], Timeout[%d], ActiveKeys[%S], ActiveCommandKeys[%S], "
                     "TerminateCommandKeys[%S]}",
                     x, y, Wide(TextAttribute), Wide(EchoMode), Length, IsTrue(CursorOn), IsTrue(Flush),
                     IsTrue(AutoEnd), static_cast<int>(Timeout),
                     Wide(ActiveKeys), Wide(ActiveCommandKeys), Wide(TerminateCommandKeys));
    return StoreResult(pResult, IssueCommand(GetUsableService(), [&](CTTUService &service) {
                           return service.Read(x, y, Wide(TextAttribute), Wide(EchoMode), Length,
                                               IsTrue(CursorOn), IsTrue(Flush), IsTrue(AutoEnd),
                                               static_cast<DWORD>(Timeout),
                                               Wide(ActiveKeys), Wide(ActiveCommandKeys),
                                               Wide(TerminateCommandKeys));
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::QueryFormList(VARIANT *FormList, LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::QueryFormList", "Invoked");
    if (!FormList)
        return E_POINTER;
    CTTUService *pService = GetUsableService();
    return StoreResult(pResult, pService ? pService->QueryFormList(FormList) : kNoService);
}

STDMETHODIMP CZTOperatorPanelXCtrl::Reset(LONG *pResult)
{
    TTU_TRACE_METHOD("Ctrl::Reset", "Invoked");
    return StoreResult(pResult,
                       IssueCommand(GetUsableService(), [](CTTUService &service) { return service.Reset(); }));
}

// The answer (form header or field description) is stored by the service's
// query handlers during the wait; the result here only says whether the
// query could be issued.
STDMETHODIMP CZTOperatorPanelXCtrl::QueryForm(BSTR FormName, LONG *pResult)
{
    CQueryName name(FormName);
    TTU_TRACE_METHOD("Ctrl::QueryForm", "Invoked {FormName[%s]}", name.Get());
    return StoreResult(pResult, IssueQuery(GetUsableService(), name, [&](CTTUService &service) {
                           LPVOID lpQuery = name.Get();
                           return service.GetInfo(WFS_INF_TTU_QUERY_FORM, &lpQuery, CTTUService::COMMAND_TIMEOUT);
                       }));
}

STDMETHODIMP CZTOperatorPanelXCtrl::QueryField(BSTR FieldName, LONG *pResult)
{
    CQueryName name(FieldName);
    TTU_TRACE_METHOD("Ctrl::QueryField", "Invoked {FieldName[%s]}", name.Get());
    return StoreResult(pResult, IssueQuery(GetUsableService(), name, [&](CTTUService &service) {
                           return QueryFieldOfForm(service, name.Get());
                       }));
}
