#include "EventPrinter.h"

#include "Automation.h"

#include <cstdio>
#include <stdexcept>

namespace terminal {
namespace {

bool IsFailure(const std::wstring &strEvent)
{
    return strEvent == L"FatalError" || strEvent == L"DeviceError" || strEvent == L"Timeout" ||
           strEvent == L"ReadCancelled" || strEvent == L"FieldError";
}

// The characters of a key press (cKey, wUNICODEKey) and the text read.
bool IsSecret(const std::wstring &strEvent, UINT uArgument)
{
    return (strEvent == L"TTUKeyPressed" && uArgument < 2) || strEvent == L"ReadComplete";
}

// The type information of the coclass's [default, source] interface.
ITypeInfo *DefaultSourceInfo(IProvideClassInfo2 *pClassInfo)
{
    ITypeInfo *pClass = nullptr;
    if (FAILED(pClassInfo->GetClassInfo(&pClass)))
        return nullptr;
    ITypeInfo *pSource = nullptr;
    TYPEATTR *pAttr = nullptr;
    if (SUCCEEDED(pClass->GetTypeAttr(&pAttr))) {
        for (UINT i = 0; i < pAttr->cImplTypes && pSource == nullptr; ++i) {
            INT flags = 0;
            HREFTYPE hRef = 0;
            if (SUCCEEDED(pClass->GetImplTypeFlags(i, &flags)) &&
                (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) ==
                    (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
                SUCCEEDED(pClass->GetRefTypeOfImplType(i, &hRef)))
                pClass->GetRefTypeInfo(hRef, &pSource);
        }
        pClass->ReleaseTypeAttr(pAttr);
    }
    pClass->Release();
    return pSource;
}

} // namespace

void EventPrinter::PrintLine(const std::string &strLine)
{
    std::printf("%s\n", strLine.c_str());
    std::fflush(stdout);
}

EventPrinter::~EventPrinter()
{
    Disconnect();
    if (m_pEventInfo)
        m_pEventInfo->Release();
}

void EventPrinter::Connect(IDispatch *pControl)
{
    IProvideClassInfo2 *pClassInfo = nullptr;
    HRESULT hr = pControl->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&pClassInfo));
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(L"IProvideClassInfo2", hr));
    hr = pClassInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &m_iidEvents);
    m_pEventInfo = DefaultSourceInfo(pClassInfo);
    pClassInfo->Release();
    if (FAILED(hr) || m_pEventInfo == nullptr)
        throw std::runtime_error(DescribeFailure(L"finding the event interface", FAILED(hr) ? hr : E_FAIL));

    IConnectionPointContainer *pContainer = nullptr;
    hr = pControl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer));
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(L"IConnectionPointContainer", hr));
    hr = pContainer->FindConnectionPoint(m_iidEvents, &m_pPoint);
    pContainer->Release();
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(L"FindConnectionPoint", hr));
    hr = m_pPoint->Advise(static_cast<IDispatch *>(this), &m_dwCookie);
    if (FAILED(hr)) {
        m_pPoint->Release();
        m_pPoint = nullptr;
        throw std::runtime_error(DescribeFailure(L"Advise", hr));
    }
}

void EventPrinter::Disconnect()
{
    if (m_pPoint == nullptr)
        return;
    m_pPoint->Unadvise(m_dwCookie);
    m_pPoint->Release();
    m_pPoint = nullptr;
}

STDMETHODIMP EventPrinter::QueryInterface(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    // The control may ask for its event interface by IID before it calls
    // through IDispatch.
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iidEvents) {
        *ppv = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP EventPrinter::GetTypeInfoCount(UINT *pcTypeInfo)
{
    if (pcTypeInfo == nullptr)
        return E_POINTER;
    *pcTypeInfo = 0;
    return S_OK;
}

// No type information: every index is out of range.
STDMETHODIMP EventPrinter::GetTypeInfo(UINT, LCID, ITypeInfo **ppTypeInfo)
{
    if (ppTypeInfo)
        *ppTypeInfo = nullptr;
    return DISP_E_BADINDEX;
}

std::wstring EventPrinter::EventName(DISPID dispId) const
{
    BSTR bstrName = nullptr;
    UINT cNames = 0;
    if (FAILED(m_pEventInfo->GetNames(dispId, &bstrName, 1, &cNames)) || cNames == 0)
        return L"Event" + std::to_wstring(dispId);
    std::wstring strName(bstrName);
    SysFreeString(bstrName);
    return strName;
}

STDMETHODIMP EventPrinter::Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS *pParams, VARIANT *pResult,
                                  EXCEPINFO *, UINT *)
{
    if (pResult)
        VariantInit(pResult);
    const std::wstring strEvent = EventName(dispId);
    const UINT cArgs = pParams ? pParams->cArgs : 0;
    std::wstring strLine = strEvent + L"(";
    for (UINT i = 0; i < cArgs; ++i) {
        // Arguments arrive last one first.
        VARIANT &arg = pParams->rgvarg[cArgs - 1 - i];
        Variant copy;
        VariantCopyInd(copy.get(), &arg);
        if (i > 0)
            strLine += L", ";
        strLine += m_bHideKeys && IsSecret(strEvent, i) ? L"*" : copy.AsText();
        if (strEvent == L"TTUKeyPressed" && i == 2)
            m_lLastCommandKey = copy.AsLong();
    }
    strLine += L")";
    m_writeLine("  event " + Utf8(strLine));
    ++m_arrived[strEvent];
    if (IsFailure(strEvent) && m_strFailure.empty())
        m_strFailure = strLine;
    return S_OK;
}

std::wstring EventPrinter::FirstArrived(const std::vector<std::wstring> &names) const
{
    for (const std::wstring &strName : names) {
        const auto found = m_arrived.find(strName);
        if (found != m_arrived.end() && found->second > 0)
            return strName;
    }
    return std::wstring();
}

std::wstring EventPrinter::WaitFor(const std::vector<std::wstring> &names, DWORD dwMilliseconds)
{
    const bool bMet =
        PumpUntil(dwMilliseconds, [&] { return !m_strFailure.empty() || !FirstArrived(names).empty(); });
    if (!m_strFailure.empty())
        throw std::runtime_error(Utf8(m_strFailure));
    if (!bMet) {
        std::wstring strNames;
        for (const std::wstring &strName : names)
            strNames += (strNames.empty() ? L"" : L" or ") + strName;
        throw std::runtime_error("no " + Utf8(strNames) + " within " + std::to_string(dwMilliseconds) + " ms");
    }
    const std::wstring strName = FirstArrived(names);
    --m_arrived[strName];
    return strName;
}

bool EventPrinter::PumpUntil(DWORD dwMilliseconds, const std::function<bool()> &condition)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwMilliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition())
            return true;
        const ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullEnd)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ullEnd - ullNow), QS_ALLINPUT);
    }
}

} // namespace terminal
