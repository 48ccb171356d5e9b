#include "TestSource.h"

#include "ComObject.h"
#include "TypeInfoDispatch.h"

#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <vector>

namespace {

const wchar_t kTimerWindowClass[] = L"ZTScriptEventsTestSourceTimer";
const UINT_PTR kTickTimer = 1;

class CTestSource : public zt_com::Dispatch<ITestSource>,
                    public IConnectionPointContainer,
                    public IConnectionPoint,
                    public zt_com::ProvideClassInfo {
public:
    explicit CTestSource(bool bProvideClassInfo)
        : zt_com::Dispatch<ITestSource>(LIBID_ZTScriptEventsTestLib, 1, 0, IID_ITestSource),
          zt_com::ProvideClassInfo(CLSID_TestSource, LIBID_ZTScriptEventsTestLib, 1, 0, DIID__DTestSourceEvents),
          m_bProvideClassInfo(bProvideClassInfo)
    {
    }

    HRESULT Initialize() { return CreateTimerWindow(); }

    const zt_com::InterfaceEntry *Interfaces() const
    {
        using zt_com::Entry;
        static const zt_com::InterfaceEntry s_withClassInfo[] = {
            Entry<CTestSource, ITestSource>(IID_ITestSource),
            Entry<CTestSource, ITestSource>(IID_IDispatch),
            Entry<CTestSource, IConnectionPointContainer>(IID_IConnectionPointContainer),
            Entry<CTestSource, IProvideClassInfo2>(IID_IProvideClassInfo),
            Entry<CTestSource, IProvideClassInfo2>(IID_IProvideClassInfo2),
            zt_com::EndOfTable(),
        };
        static const zt_com::InterfaceEntry s_withoutClassInfo[] = {
            s_withClassInfo[0], s_withClassInfo[1], s_withClassInfo[2], zt_com::EndOfTable(),
        };
        return m_bProvideClassInfo ? s_withClassInfo : s_withoutClassInfo;
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
        (*ppPoint)->AddRef();
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
        (*ppContainer)->AddRef();
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

protected:
    ~CTestSource()
    {
        if (m_hTimerWindow)
            DestroyWindow(m_hTimerWindow);
        for (auto &entry : m_sinks)
            entry.second->Release();
    }

private:

    // Every sink hears the event; the list is copied first because a sink
    // may disconnect itself or another one while it runs.
    void Fire(DISPID dispId, VARIANT *pArgs, UINT cArgs)
    {
        std::vector<IDispatch *> sinks;
        for (auto &entry : m_sinks) {
            entry.second->AddRef();
            sinks.push_back(entry.second);
        }
        ITestSource *pSelf = this;
        pSelf->AddRef();
        for (IDispatch *pSink : sinks) {
            DISPPARAMS params = {pArgs, nullptr, cArgs, 0};
            pSink->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                          nullptr);
            pSink->Release();
        }
        pSelf->Release();
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
        const HINSTANCE hInstance = zt_com::ThisModule();
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
    std::map<DWORD, IDispatch *> m_sinks;
    DWORD m_dwNextCookie = 1;
    HWND m_hTimerWindow = nullptr;
    LONG m_nTicksLeft = 0;
    LONG m_nTickIndex = 0;
};

} // namespace

HRESULT CreateTestSource(bool bProvideClassInfo, REFIID riid, void **ppv)
{
    return zt_com::CreateInstance<CTestSource>(riid, ppv, bProvideClassInfo);
}
