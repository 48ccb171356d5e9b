// The script event helper driven from C++ as a script engine would: created
// by ProgID through COM, called late-bound, with handler objects that answer
// names like JScript's global object (IDispatch::GetIDsOfNames) or like a
// VBScript class instance (only IDispatchEx::GetDispID, any case).
#include <gtest/gtest.h>

#include "MessagePump.h"
#include "TestSource.h"

#include <dispex.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// A VARIANT that clears itself.
struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    explicit Variant(LONG lValue) : Variant()
    {
        V_VT(this) = VT_I4;
        V_I4(this) = lValue;
    }
    explicit Variant(const wchar_t *pszValue) : Variant()
    {
        V_VT(this) = VT_BSTR;
        V_BSTR(this) = SysAllocString(pszValue);
    }
    explicit Variant(IDispatch *pDispatch) : Variant()
    {
        V_VT(this) = VT_DISPATCH;
        V_DISPATCH(this) = pDispatch;
        if (pDispatch)
            pDispatch->AddRef();
    }
    Variant(const Variant &other) : Variant() { VariantCopy(this, const_cast<Variant *>(&other)); }
    Variant &operator=(const Variant &other)
    {
        if (this != &other)
            VariantCopy(this, const_cast<Variant *>(&other));
        return *this;
    }
    ~Variant() { VariantClear(this); }
};

struct CallOutcome {
    HRESULT hr = E_FAIL;
    Variant result;
    std::wstring strError; // the description of a raised error
};

// A late-bound call of a method, arguments in written order.
CallOutcome Call(IDispatch *pObject, const wchar_t *pszName, std::vector<Variant> args)
{
    CallOutcome outcome;
    DISPID dispId = DISPID_UNKNOWN;
    LPOLESTR pszMember = const_cast<LPOLESTR>(pszName);
    outcome.hr = pObject->GetIDsOfNames(IID_NULL, &pszMember, 1, LOCALE_USER_DEFAULT, &dispId);
    if (FAILED(outcome.hr))
        return outcome;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO excepInfo = {};
    UINT uArgErr = 0;
    outcome.hr = pObject->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 &outcome.result, &excepInfo, &uArgErr);
    if (excepInfo.bstrDescription)
        outcome.strError = excepInfo.bstrDescription;
    SysFreeString(excepInfo.bstrSource);
    SysFreeString(excepInfo.bstrDescription);
    SysFreeString(excepInfo.bstrHelpFile);
    return outcome;
}

// One call a handler received: the member's name and the arguments in
// written order.
struct ReceivedCall {
    std::wstring strName;
    std::vector<Variant> args;
};

enum class NameLookup {
    DispatchOnly,   // like JScript's global object, names as written
    DispatchExOnly, // like a VBScript class: GetIDsOfNames fails, GetDispID ignores case
};

// A handler object with a fixed set of member names that records every call.
class RecordingHandler : public IDispatchEx {
public:
    RecordingHandler(NameLookup lookup, std::vector<std::wstring> names) : m_lookup(lookup), m_names(names) {}

    std::vector<ReceivedCall> calls;
    std::function<void(const std::wstring &)> onCall; // runs inside the event

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch ||
            (riid == __uuidof(IDispatchEx) && m_lookup == NameLookup::DispatchExOnly))
            *ppv = static_cast<IDispatchEx *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; } // lives on the test's stack
    LONG References() const { return m_cRef; }

    STDMETHODIMP GetTypeInfoCount(UINT *pc) override
    {
        *pc = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *ppszNames, UINT, LCID, DISPID *pDispId) override
    {
        if (m_lookup == NameLookup::DispatchExOnly)
            return E_NOTIMPL;
        for (size_t i = 0; i < m_names.size(); ++i) {
            if (m_names[i] == ppszNames[0]) {
                *pDispId = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *,
                        EXCEPINFO *, UINT *) override
    {
        return Record(dispId, wFlags, pParams);
    }
    STDMETHODIMP GetDispID(BSTR bstrName, DWORD grfdex, DISPID *pDispId) override
    {
        for (size_t i = 0; i < m_names.size(); ++i) {
            const bool bSame = (grfdex & fdexNameCaseInsensitive) ? lstrcmpiW(m_names[i].c_str(), bstrName) == 0
                                                                  : m_names[i] == bstrName;
            if (bSame) {
                *pDispId = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP InvokeEx(DISPID dispId, LCID, WORD wFlags, DISPPARAMS *pParams, VARIANT *, EXCEPINFO *,
                          IServiceProvider *) override
    {
        return Record(dispId, wFlags, pParams);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown **) override { return E_NOTIMPL; }

private:
    HRESULT Record(DISPID dispId, WORD wFlags, DISPPARAMS *pParams)
    {
        if (dispId < 1 || static_cast<size_t>(dispId) > m_names.size() || !(wFlags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        ReceivedCall call{m_names[dispId - 1], {}};
        for (UINT i = pParams->cArgs; i > 0; --i) {
            Variant arg;
            VariantCopy(&arg, &pParams->rgvarg[i - 1]);
            call.args.push_back(arg);
        }
        calls.push_back(call);
        if (onCall)
            onCall(call.strName);
        return S_OK;
    }

    const NameLookup m_lookup;
    const std::vector<std::wstring> m_names;
    LONG m_cRef = 1;
};

class ScriptEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CLSID clsid;
        ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"ZTOperatorPanelX.ScriptEvents", &clsid))
            << "the helper is not registered";
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&m_pHelper)));
        ASSERT_HRESULT_SUCCEEDED(CreateTestSource(true, IID_ITestSource, reinterpret_cast<void **>(&m_pSource)));
    }
    void TearDown() override
    {
        if (m_pSource)
            m_pSource->Release();
        if (m_pHelper)
            m_pHelper->Release();
        CoUninitialize();
    }

    LONG Connect(ITestSource *pSource, IDispatch *pHandler, const wchar_t *pszPrefix)
    {
        CallOutcome outcome = Call(m_pHelper, L"Connect", {Variant(pSource), Variant(pHandler), Variant(pszPrefix)});
        EXPECT_HRESULT_SUCCEEDED(outcome.hr) << std::string(outcome.strError.begin(), outcome.strError.end());
        EXPECT_EQ(V_VT(&outcome.result), VT_I4);
        return V_I4(&outcome.result);
    }

    // The handlers live on the test's stack: a test that leaves connections
    // open lets the helper go before they do.
    void ReleaseHelper()
    {
        m_pHelper->Release();
        m_pHelper = nullptr;
    }

    LONG SinkCount()
    {
        LONG nCount = -1;
        m_pSource->get_SinkCount(&nCount);
        return nCount;
    }

    IDispatch *m_pHelper = nullptr;
    ITestSource *m_pSource = nullptr;
};

} // namespace

TEST_F(ScriptEventsTest, EventsReachPrefixedHandlersWithTheirArgumentsUntilDisconnected)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"On_Number", L"On_Finished", L"on_tick"});
    const LONG lCookie = Connect(m_pSource, &handler, L"On_");
    EXPECT_NE(lCookie, 0);
    EXPECT_EQ(SinkCount(), 1);

    BSTR bstrText = SysAllocString(L"seven");
    m_pSource->FireNumber(7, bstrText);
    SysFreeString(bstrText);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].strName, L"On_Number");
    ASSERT_EQ(handler.calls[0].args.size(), 2u);
    EXPECT_EQ(V_VT(&handler.calls[0].args[0]), VT_I4);
    EXPECT_EQ(V_I4(&handler.calls[0].args[0]), 7);
    EXPECT_EQ(V_VT(&handler.calls[0].args[1]), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&handler.calls[0].args[1]), L"seven");

    // GetIDsOfNames is exact: "on_tick" is not "On_Tick", so ticks go unheard
    // while Finished, which has its member, still arrives.
    m_pSource->FireLater(2, 0);
    ASSERT_TRUE(PumpUntil([&] { return handler.calls.size() >= 2; }));
    ASSERT_EQ(handler.calls.size(), 2u) << "Finished comes after the ticks";
    EXPECT_EQ(handler.calls[1].strName, L"On_Finished");
    EXPECT_TRUE(handler.calls[1].args.empty());

    EXPECT_HRESULT_SUCCEEDED(Call(m_pHelper, L"Disconnect", {Variant(lCookie)}).hr);
    EXPECT_EQ(SinkCount(), 0);
    m_pSource->FireNumber(8, nullptr);
    EXPECT_EQ(handler.calls.size(), 2u);
    EXPECT_EQ(handler.References(), 1) << "the handler is still held after Disconnect";

    const CallOutcome again = Call(m_pHelper, L"Disconnect", {Variant(lCookie)});
    EXPECT_EQ(again.hr, DISP_E_EXCEPTION);
    EXPECT_NE(again.strError.find(L"cookie"), std::wstring::npos);
}

TEST_F(ScriptEventsTest, ClassInstanceHandlersAreFoundThroughDispatchExWhateverTheCase)
{
    RecordingHandler handler(NameLookup::DispatchExOnly, {L"src_number", L"SRC_TICK", L"Src_Finished"});
    Connect(m_pSource, &handler, L"Src_");
    m_pSource->FireNumber(-3, nullptr);
    m_pSource->FireLater(3, 1);
    auto finished = [&handler] { return !handler.calls.empty() && handler.calls.back().strName == L"Src_Finished"; };
    for (int i = 0; i < 500 && !finished(); ++i)
        Call(m_pHelper, L"Pump", {Variant(20L)});
    ASSERT_EQ(handler.calls.size(), 5u);
    EXPECT_EQ(handler.calls[0].strName, L"src_number");
    EXPECT_EQ(V_I4(&handler.calls[0].args[0]), -3);
    for (LONG i = 1; i <= 3; ++i) {
        EXPECT_EQ(handler.calls[i].strName, L"SRC_TICK");
        EXPECT_EQ(V_I4(&handler.calls[i].args[0]), i);
    }
    EXPECT_EQ(handler.calls[4].strName, L"Src_Finished");
}

TEST_F(ScriptEventsTest, SourceWithoutClassInformationIsFoundThroughItsTypeLibrary)
{
    ITestSource *pPlainSource = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CreateTestSource(false, IID_ITestSource, reinterpret_cast<void **>(&pPlainSource)));
    IProvideClassInfo *pClassInfo = nullptr;
    EXPECT_EQ(pPlainSource->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void **>(&pClassInfo)),
              E_NOINTERFACE);
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Number"});
    Connect(pPlainSource, &handler, L"");
    pPlainSource->FireNumber(42, nullptr);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(V_I4(&handler.calls[0].args[0]), 42);
    // The helper still holds the connection; it lets go when released.
    ReleaseHelper();
    EXPECT_EQ(handler.References(), 1);
    pPlainSource->Release();
}

TEST_F(ScriptEventsTest, ConnectRefusesWhatCannotBeConnected)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {});
    // An object that tells nothing about events: the handler itself.
    CallOutcome outcome = Call(m_pHelper, L"Connect", {Variant(&handler), Variant(&handler), Variant(L"x")});
    EXPECT_EQ(outcome.hr, DISP_E_EXCEPTION);
    EXPECT_NE(outcome.strError.find(L"default source interface"), std::wstring::npos);
    // Nothing (a null object), a number for the handler, too few arguments.
    EXPECT_EQ(Call(m_pHelper, L"Connect", {Variant(static_cast<IDispatch *>(nullptr)), Variant(&handler)}).hr,
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(m_pHelper, L"Connect", {Variant(m_pSource), Variant(5L)}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(m_pHelper, L"Connect", {Variant(m_pSource)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(m_pHelper, L"NoSuchMethod", {}).hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Call(m_pHelper, L"Pump", {Variant(-1L)}).hr, DISP_E_EXCEPTION);
    EXPECT_EQ(SinkCount(), 0);
    EXPECT_EQ(handler.References(), 1);
}

TEST_F(ScriptEventsTest, PumpUntilStopsWhenTheConditionHolds)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Finished"});
    Connect(m_pSource, &handler, L"");

    // A condition object answers through DISPID_VALUE, as a script function.
    RecordingHandler never(NameLookup::DispatchOnly, {});
    class Condition : public RecordingHandler {
    public:
        explicit Condition(RecordingHandler &watched)
            : RecordingHandler(NameLookup::DispatchOnly, {}), m_watched(watched) {}
        STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *pResult, EXCEPINFO *,
                            UINT *) override
        {
            if (dispId != DISPID_VALUE)
                return DISP_E_MEMBERNOTFOUND;
            ++nAsked;
            V_VT(pResult) = VT_BOOL;
            V_BOOL(pResult) = m_watched.calls.empty() ? VARIANT_FALSE : VARIANT_TRUE;
            return S_OK;
        }
        int nAsked = 0;

    private:
        RecordingHandler &m_watched;
    } condition(handler);

    m_pSource->FireLater(1, 10);
    CallOutcome outcome = Call(m_pHelper, L"PumpUntil", {Variant(10000L), Variant(&condition)});
    EXPECT_HRESULT_SUCCEEDED(outcome.hr);
    EXPECT_EQ(V_VT(&outcome.result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&outcome.result), VARIANT_TRUE);
    EXPECT_EQ(handler.calls.size(), 1u);
    EXPECT_GE(condition.nAsked, 2); // asked before waiting, and again after the events

    // Time running out answers false; a condition that fails is an error.
    Condition stillFalse(never);
    outcome = Call(m_pHelper, L"PumpUntil", {Variant(50L), Variant(&stillFalse)});
    EXPECT_HRESULT_SUCCEEDED(outcome.hr);
    EXPECT_EQ(V_BOOL(&outcome.result), VARIANT_FALSE);
    outcome = Call(m_pHelper, L"PumpUntil", {Variant(50L), Variant(&never)}); // no DISPID_VALUE
    EXPECT_EQ(outcome.hr, DISP_E_EXCEPTION);

    // A WM_QUIT met while pumping is still there for the caller's loop.
    PostQuitMessage(3);
    EXPECT_HRESULT_SUCCEEDED(Call(m_pHelper, L"Pump", {Variant(30L)}).hr);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    ReleaseHelper();
}

TEST_F(ScriptEventsTest, HandlerMayDisconnectInsideItsEventAndReleasingTheHelperLetsGo)
{
    RecordingHandler handler(NameLookup::DispatchOnly, {L"Tick"});
    const LONG lCookie = Connect(m_pSource, &handler, L"");
    handler.onCall = [this, lCookie](const std::wstring &) {
        EXPECT_HRESULT_SUCCEEDED(Call(m_pHelper, L"Disconnect", {Variant(lCookie)}).hr);
    };
    // Connected later, so served later: once it has Finished, every tick
    // has been delivered.
    RecordingHandler barrier(NameLookup::DispatchOnly, {L"Finished"});
    const LONG lBarrier = Connect(m_pSource, &barrier, L"");
    m_pSource->FireLater(3, 0);
    ASSERT_TRUE(PumpUntil([&] { return !barrier.calls.empty(); }));
    EXPECT_EQ(handler.calls.size(), 1u) << "the ticks after the disconnect must not arrive";
    EXPECT_EQ(SinkCount(), 1);
    Call(m_pHelper, L"Disconnect", {Variant(lBarrier)});

    // Connections left open are closed when the script lets go of the helper.
    handler.onCall = nullptr;
    Connect(m_pSource, &handler, L"");
    Connect(m_pSource, &handler, L"");
    EXPECT_EQ(SinkCount(), 2);
    ReleaseHelper();
    EXPECT_EQ(SinkCount(), 0);
    EXPECT_EQ(handler.References(), 1);
}
