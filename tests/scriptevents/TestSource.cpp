#include "TestSource.h"

#include "ComServer.h"

#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <new>
#include <vector>

namespace {

const wchar_t kTimerWindowClass[] = L"ZTScriptEventsTestSourceTimer";
const UINT_PTR kTickTimer = 1;

class CTestSource : public ITestSource,
                    public IConnectionPointContainer,
                    public IConnectionPoint,
                    public IProvideClassInfo2,
                    public zt_com::RefCounted {
public:
    explicit CTestSource(bool bProvideClassInfo) : m_bProvideClassInfo(bProvideClassInfo) {}

    HRESULT Initialize()
    {
        wchar_t szModule[MAX_PATH];
        GetModuleFileNameW(zt_com::ModuleOfAddress(kTimerWindowClass), szModule, MAX_PATH);
        ITypeLib *pLibrary = nullptr;
        HRESULT hr = LoadTypeLibEx(szModule, REGKIND_NONE, &pLibrary);
        if (SUCCEEDED(hr))
            hr = pLibrary->GetTypeInfoOfGuid(IID_ITestSource, &m_pInterfaceInfo);
        if (SUCCEEDED(hr))
            hr = pLibrary->GetTypeInfoOfGuid(CLSID_TestSource, &m_pClassInfo);
        if (pLibrary)
            pLibrary->Release();
        if (SUCCEEDED(hr))
            hr = CreateTimerWindow();
        return hr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_ITestSource)
            *ppv = static_cast<ITestSource *>(this);
        else if (riid == IID_IConnectionPointContainer)
            *ppv = static_cast<IConnectionPointContainer *>(this);
        else if (m_bProvideClassInfo && (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2))
            *ppv = static_cast<IProvideClassInfo2 *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // IDispatch over the type library
    STDMETHODIMP GetTypeInfoCount(UINT *pcTypeInfo) override
    {
        *pcTypeInfo = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT uIndex, LCID, ITypeInfo **ppTypeInfo) override
    {
        if (uIndex != 0)
            return DISP_E_BADINDEX;
        m_pInterfaceInfo->AddRef();
        *ppTypeInfo = m_pInterfaceInfo;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *ppszNames, UINT cNames, LCID, DISPID *pDispIds) override
    {
        return DispGetIDsOfNames(m_pInterfaceInfo, ppszNames, cNames, pDispIds);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override
    {
        return DispInvoke(static_cast<ITestSource *>(this), m_pInterfaceInfo, dispIdMember, wFlags,
                          pDispParams, pVarResult, pExcepInfo, puArgErr);
    }

    // ITestSource
    STDMETHODIMP FireNumber(LONG nValue, BSTR bstrText) override
    {
        VARIANT args[2]; // last argument first
        V_VT(&args[0]) = VT_BSTR;
        V_BSTR(&args[0]) = bstrText;
        V_VT(&args[1]) = VT_I4;
        V_I4(&args[1]) = nValue;
        Fire(1, args, 2);
        return S_OK;
    }
    STDMETHODIMP FireLater(LONG nCount, LONG nDelay) override
    {
        if (nCount < 0 || nDelay < 0)
            return E_INVALIDARG;
        m_nTicksLeft = nCount;
        m_nTickIndex = 0;
        return SetTimer(m_hTimerWindow, kTickTimer, static_cast<UINT>(nDelay), nullptr) ? S_OK : E_FAIL;
    }
    STDMETHODIMP get_SinkCount(LONG *pnCount) override
    {
        *pnCount = static_cast<LONG>(m_sinks.size());
        return S_OK;
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override
    {
        *ppEnum = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppPoint) override
    {
        *ppPoint = nullptr;
        if (riid != DIID__DTestSourceEvents)
            return CONNECT_E_NOCONNECTION;
        *ppPoint = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }

    // IConnectionPoint: a sink must answer the event interface itself.
    STDMETHODIMP GetConnectionInterface(IID *piid) override
    {
        *piid = DIID__DTestSourceEvents;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **ppContainer) override
    {
        *ppContainer = static_cast<IConnectionPointContainer *>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown *pUnknownSink, DWORD *pdwCookie) override
    {
        IDispatch *pSink = nullptr;
        if (pUnknownSink == nullptr ||
            FAILED(pUnknownSink->QueryInterface(DIID__DTestSourceEvents, reinterpret_cast<void **>(&pSink))))
            return CONNECT_E_CANNOTCONNECT;
        *pdwCookie = m_dwNextCookie++;
        m_sinks[*pdwCookie] = pSink;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD dwCookie) override
    {
        const auto found = m_sinks.find(dwCookie);
        if (found == m_sinks.end())
            return CONNECT_E_NOCONNECTION;
        IDispatch *pSink = found->second;
        m_sinks.erase(found);
        pSink->Release();
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections **ppEnum) override
    {
        *ppEnum = nullptr;
        return E_NOTIMPL;
    }

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo **ppClassInfo) override
    {
        m_pClassInfo->AddRef();
        *ppClassInfo = m_pClassInfo;
        return S_OK;
    }
    STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID *pGuid) override
    {
        if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
            return E_INVALIDARG;
        *pGuid = DIID__DTestSourceEvents;
        return S_OK;
    }

private:
    ~CTestSource() override
    {
        if (m_hTimerWindow)
            DestroyWindow(m_hTimerWindow);
        for (auto &entry : m_sinks)
            entry.second->Release();
        if (m_pClassInfo)
            m_pClassInfo->Release();
        if (m_pInterfaceInfo)
            m_pInterfaceInfo->Release();
    }

    // Every sink hears the event; the list is copied first because a sink
    // may disconnect itself or another one while it runs.
    void Fire(DISPID dispId, VARIANT *pArgs, UINT cArgs)
    {
        std::vector<IDispatch *> sinks;
        for (auto &entry : m_sinks) {
            entry.second->AddRef();
            sinks.push_back(entry.second);
        }
        AddRef();
        for (IDispatch *pSink : sinks) {
            DISPPARAMS params = {pArgs, nullptr, cArgs, 0};
            pSink->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                          nullptr);
            pSink->Release();
        }
        Release();
    }

    void OnTick()
    {
        if (m_nTicksLeft <= 0) {
            KillTimer(m_hTimerWindow, kTickTimer);
            Fire(3, nullptr, 0);
            return;
        }
        --m_nTicksLeft;
        VARIANT index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = ++m_nTickIndex;
        Fire(2, &index, 1);
    }

    static LRESULT CALLBACK TimerWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_TIMER && wParam == kTickTimer) {
            if (auto *pSource = reinterpret_cast<CTestSource *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
                pSource->OnTick();
            return 0;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    HRESULT CreateTimerWindow()
    {
        const HINSTANCE hInstance = zt_com::ModuleOfAddress(kTimerWindowClass);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = TimerWindowProc;
        windowClass.hInstance = hInstance;
        windowClass.lpszClassName = kTimerWindowClass;
        RegisterClassW(&windowClass); // already registered by an earlier source: fine
        m_hTimerWindow = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         hInstance, nullptr);
        if (m_hTimerWindow == nullptr)
            return HRESULT_FROM_WIN32(GetLastError());
        SetWindowLongPtrW(m_hTimerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return S_OK;
    }

    const bool m_bProvideClassInfo;
    ITypeInfo *m_pInterfaceInfo = nullptr;
    ITypeInfo *m_pClassInfo = nullptr;
    std::map<DWORD, IDispatch *> m_sinks;
    DWORD m_dwNextCookie = 1;
    HWND m_hTimerWindow = nullptr;
    LONG m_nTicksLeft = 0;
    LONG m_nTickIndex = 0;
};

} // namespace

HRESULT CreateTestSource(bool bProvideClassInfo, REFIID riid, void **ppv)
{
    *ppv = nullptr;
    CTestSource *pSource = new (std::nothrow) CTestSource(bProvideClassInfo);
    if (pSource == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = pSource->Initialize();
    if (SUCCEEDED(hr))
        hr = pSource->QueryInterface(riid, ppv);
    pSource->Release();
    return hr;
}
