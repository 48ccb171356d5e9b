// A C++ host drives the registered control: its type information, late-bound
// calls, events to two sinks, sinks that fail, persistence, the about box.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>

#include "ControlHost.h"
#include "ZTEventSinkAccess.h"
#include "ZTOperatorPanelX_h.h"
#include "trcutil30.h"

namespace {

class ControlHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override { ASSERT_TRUE(m_host.Ok()); }
    void TearDown() override
    {
        IDispatch *pControl = m_host.Dispatch();
        pControl->AddRef();
        m_host.Release();
        EXPECT_EQ(0u, pControl->Release()) << "the host held the last reference";
    }

    template <class T> T *Query(REFIID riid)
    {
        T *p = nullptr;
        EXPECT_EQ(S_OK, m_host.Dispatch()->QueryInterface(riid, reinterpret_cast<void **>(&p)));
        return p;
    }

    CTTUEventSink *EventSink()
    {
        IZTEventSinkAccess *pAccess = Query<IZTEventSinkAccess>(IID_IZTEventSinkAccess);
        CTTUEventSink *pSink = pAccess->GetEventSink(); // valid while the host holds the control
        pAccess->Release();
        return pSink;
    }

    CControlHost m_host;
};

std::wstring Name(ITypeInfo *pInfo, MEMBERID memid)
{
    BSTR bstr = nullptr;
    pInfo->GetDocumentation(memid, &bstr, nullptr, nullptr, nullptr);
    std::wstring name = bstr ? bstr : L"";
    SysFreeString(bstr);
    return name;
}

TEST_F(ControlHost, TypeInformationDeclaresTheMembersHostsBindTo)
{
    ITypeInfo *pInfo = nullptr;
    ASSERT_EQ(S_OK, m_host.Dispatch()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &pInfo));
    TYPEATTR *pAttr = nullptr;
    ASSERT_EQ(S_OK, pInfo->GetTypeAttr(&pAttr));
    EXPECT_EQ(TKIND_DISPATCH, pAttr->typekind);
    EXPECT_TRUE(IsEqualIID(DIID__DZTOperatorPanelX, pAttr->guid));
    // The flags hosts pass as long, the out parameter by reference.
    VARTYPE vtContinuous = VT_EMPTY, vtList = VT_EMPTY;
    for (WORD i = 0; i < pAttr->cFuncs; ++i) {
        FUNCDESC *pFunc = nullptr;
        ASSERT_EQ(S_OK, pInfo->GetFuncDesc(i, &pFunc));
        if (pFunc->memid == 36)
            vtContinuous = pFunc->lprgelemdescParam[1].tdesc.vt;
        if (pFunc->memid == 48)
            vtList = pFunc->lprgelemdescParam[0].tdesc.vt;
        pInfo->ReleaseFuncDesc(pFunc);
    }
    pInfo->ReleaseTypeAttr(pAttr);
    EXPECT_EQ(VT_I4, vtContinuous) << "Beep's Continuous";
    EXPECT_EQ(VT_PTR, vtList) << "QueryFormList's list";
    EXPECT_EQ(L"HasDisplayLigth", Name(pInfo, 7)) << "the name hosts were written against";
    EXPECT_EQ(L"AboutBox", Name(pInfo, DISPID_ABOUTBOX));
    pInfo->Release();

    // Names resolve whatever their case, parameter names to their positions;
    // an unknown name or DISPID is refused.
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"rEAD"), const_cast<LPOLESTR>(L"TerminateCommandKeys"),
                        const_cast<LPOLESTR>(L"x")};
    DISPID ids[3] = {};
    ASSERT_EQ(S_OK, m_host.Dispatch()->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ((std::vector<DISPID>{47, 11, 0}), std::vector<DISPID>(ids, ids + 3));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, m_host.Invoke(L"HasDisplayLight", DISPATCH_PROPERTYGET, {}, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, m_host.InvokeId(52, DISPATCH_METHOD, {}, nullptr));
}

TEST_F(ControlHost, ClassInfoNamesTheEventInterfaceAndThePropertyPage)
{
    IProvideClassInfo2 *pClassInfo = Query<IProvideClassInfo2>(IID_IProvideClassInfo2);
    ASSERT_NE(nullptr, pClassInfo);
    GUID guid = {};
    EXPECT_EQ(S_OK, pClassInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
    EXPECT_TRUE(IsEqualIID(DIID__DZTOperatorPanelXEvents, guid));
    ITypeInfo *pCoclass = nullptr;
    ASSERT_EQ(S_OK, pClassInfo->GetClassInfo(&pCoclass));
    TYPEATTR *pAttr = nullptr;
    pCoclass->GetTypeAttr(&pAttr);
    EXPECT_TRUE(IsEqualCLSID(CLSID_ZTOperatorPanelX, pAttr->guid));
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FCONTROL);
    pCoclass->ReleaseTypeAttr(pAttr);
    pCoclass->Release();
    pClassInfo->Release();

    IUnknown *pSafety = nullptr;
    const IID IID_IObjectSafety = {0xcb5bdc81, 0x93c1, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
    EXPECT_EQ(E_NOINTERFACE, m_host.Dispatch()->QueryInterface(IID_IObjectSafety, reinterpret_cast<void **>(&pSafety)));

    ISpecifyPropertyPages *pPages = Query<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    ASSERT_NE(nullptr, pPages);
    CAUUID pages = {};
    ASSERT_EQ(S_OK, pPages->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    IPropertyPage *pPage = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                     reinterpret_cast<void **>(&pPage)));
    PROPPAGEINFO info = {sizeof info};
    ASSERT_EQ(S_OK, pPage->GetPageInfo(&info));
    EXPECT_STREQ(L"General", info.pszTitle);
    EXPECT_GT(info.size.cx, info.size.cy) << "250 by 62 dialog units";
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(S_FALSE, pPage->IsPageDirty());
    pPage->Release();
    CoTaskMemFree(pages.pElems);
    pPages->Release();
}

std::wstring Rendered(const ControlEvent &event)
{
    std::wstring text = event.strName + L"(";
    for (size_t i = 0; i < event.args.size(); ++i)
        text += (i ? L"," : L"") + event.args[i] + L":" + std::to_wstring(event.types[i]);
    return text + L")";
}

TEST_F(ControlHost, TwoSinksReceiveEveryEventInOrderWithItsArgumentTypes)
{
    m_host.Dispatch()->AddRef();
    CControlHost second(m_host.Dispatch());
    ASSERT_TRUE(second.Ok());
    CTTUEventSink *pEvents = EventSink();
    ASSERT_NE(nullptr, pEvents);

    pEvents->FireFatalError(L"CMD_TTU_BEEP", -14);
    pEvents->FireDeviceError(L"LOCK", -4);
    pEvents->FireLockGranted();
    pEvents->FireLockReleased();
    pEvents->FireLockTimeout();
    pEvents->FireTimeout();
    pEvents->FireReadFormComplete();
    pEvents->FireReadCancelled();
    pEvents->FireUserCancelled();
    pEvents->FireReadComplete(L"1234");
    pEvents->FireDeviceStatusChanged(L"DEVONLINE");
    pEvents->FireKeyboardStatusChanged(L"ON");
    pEvents->FireKeylockStatusChanged(L"TRUE");
    pEvents->FireLEDStatusChanged(3, L"SLOWFLASH");
    pEvents->FireDisplaySizeXStatusChanged(40);
    pEvents->FireDisplaySizeYStatusChanged(-1);
    pEvents->FireFieldError(L"FORM1", L"PIN", 2);
    pEvents->FireFieldWarning(L"FORM1", L"AMOUNT", 5);
    pEvents->FireTTUKeyPressed(L"7", 0x37, 0);
    pEvents->FireResetComplete();
    pEvents->FireBeepComplete();
    pEvents->FireClearScreenComplete();
    pEvents->FireDisplayLightComplete();
    pEvents->FireWriteComplete();
    pEvents->FireWriteFormComplete();

    const std::vector<std::wstring> expected = {
        L"FatalError(CMD_TTU_BEEP:8,-14:3)", L"DeviceError(LOCK:8,-4:3)", L"LockGranted()", L"LockReleased()",
        L"LockTimeout()", L"Timeout()", L"ReadFormComplete()", L"ReadCancelled()", L"UserCancelled()",
        L"ReadComplete(1234:8)", L"DeviceStatusChanged(DEVONLINE:8)", L"KeyboardStatusChanged(ON:8)",
        L"KeylockStatusChanged(TRUE:8)", L"LEDStatusChanged(3:2,SLOWFLASH:8)", L"DisplaySizeXStatusChanged(40:2)",
        L"DisplaySizeYStatusChanged(-1:2)", L"FieldError(FORM1:8,PIN:8,2:2)", L"FieldWarning(FORM1:8,AMOUNT:8,5:2)",
        L"TTUKeyPressed(7:8,55:2,0:2)", L"ResetComplete()", L"BeepComplete()", L"ClearScreenComplete()",
        L"DisplayLightComplete()", L"WriteComplete()", L"WriteFormComplete()"};
    ASSERT_EQ(expected.size(), m_host.Events().size());
    ASSERT_EQ(expected.size(), second.Events().size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(static_cast<DISPID>(i + 1), m_host.Events()[i].dispid);
        EXPECT_EQ(expected[i], Rendered(m_host.Events()[i]));
        EXPECT_EQ(expected[i], Rendered(second.Events()[i]));
        EXPECT_EQ(m_host.Events()[i].nSeq + 1, second.Events()[i].nSeq) << "first connected, first served";
    }

    second.Release();
    EXPECT_EQ(0u, second.SinkReferences()) << "the control let go of the sink";
    pEvents->FireBeepComplete();
    EXPECT_EQ(expected.size(), second.Events().size());
    EXPECT_EQ(expected.size() + 1, m_host.Events().size());
}

TEST_F(ControlHost, FaultingSinkEndsOnlyThatDeliveryAndIsTraced)
{
    m_host.Dispatch()->AddRef();
    CControlHost second(m_host.Dispatch());
    CTTUEventSink *pEvents = EventSink();
    ASSERT_NE(nullptr, pEvents);

    TrcCaptureStart();
    TrcCaptureClear();
    m_host.FaultOn(21, CControlHost::AccessViolation);
    pEvents->FireBeepComplete();
    pEvents->FireResetComplete();
    m_host.FaultOn(10, CControlHost::ThrowCpp);
    pEvents->FireReadComplete(L"99");
    pEvents->FireLockGranted();
    const std::vector<std::string> trace = CapturedTraceLines();
    TrcCaptureStop();

    // The faulting event reaches nobody after the faulting sink; the next
    // events reach both.
    EXPECT_EQ((std::vector<std::wstring>{L"ResetComplete", L"LockGranted"}), m_host.EventNames());
    EXPECT_EQ((std::vector<std::wstring>{L"ResetComplete", L"LockGranted"}), second.EventNames());
    EXPECT_EQ(4u, trace.size()) << "an error line and a record for each fault, nothing else";
    auto count = [&](const char *pszText) {
        return std::count_if(trace.begin(), trace.end(),
                             [&](const std::string &line) { return line.find(pszText) != std::string::npos; });
    };
    EXPECT_EQ(1, count("ERROR Ctrl::FireEvent Exception raised in EventID = [21] , Exception Code = [0xC0000005]"));
    EXPECT_EQ(1, count("ERROR Ctrl::FireEvent Exception raised in EventID = [10] , Exception Code = [0x20474343]"));
    EXPECT_EQ(2, count(":[Exception]"));
    second.Release();
    EXPECT_EQ(0u, second.SinkReferences()) << "no reference lost in the abandoned deliveries";
}

TEST_F(ControlHost, PersistentStateRoundTripsTheExtent)
{
    IPersistStreamInit *pPersist = Query<IPersistStreamInit>(IID_IPersistStreamInit);
    IOleObject *pOle = Query<IOleObject>(IID_IOleObject);
    ASSERT_TRUE(pPersist && pOle);
    SIZEL size = {4321, 1234};
    EXPECT_EQ(S_OK, pOle->SetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(S_OK, pPersist->IsDirty());
    IStream *pStream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &pStream);
    EXPECT_EQ(S_OK, pPersist->Save(pStream, TRUE));
    EXPECT_EQ(S_FALSE, pPersist->IsDirty());
    ULARGE_INTEGER cbMax = {};
    pPersist->GetSizeMax(&cbMax);
    EXPECT_EQ(12u, cbMax.QuadPart) << "version and extent";

    EXPECT_EQ(S_OK, pPersist->InitNew());
    SIZEL loaded = {};
    pOle->GetExtent(DVASPECT_CONTENT, &loaded);
    EXPECT_NE(4321, loaded.cx);
    LARGE_INTEGER zero = {};
    pStream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, pPersist->Load(pStream));
    pOle->GetExtent(DVASPECT_CONTENT, &loaded);
    EXPECT_EQ(4321, loaded.cx);
    EXPECT_EQ(1234, loaded.cy);
    // The stream starts with the version the control saved.
    DWORD dwVersion = 0;
    pStream->Seek(zero, STREAM_SEEK_SET, nullptr);
    pStream->Read(&dwVersion, sizeof dwVersion, nullptr);
    EXPECT_EQ(0x00010000u, dwVersion);
    // A stream cut short is reported as such.
    ULARGE_INTEGER cbShort = {};
    cbShort.QuadPart = 8;
    pStream->SetSize(cbShort);
    pStream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(STG_E_READFAULT, pPersist->Load(pStream));
    DWORD dwMisc = 0;
    pOle->GetMiscStatus(DVASPECT_CONTENT, &dwMisc);
    EXPECT_EQ(0x00020091u, dwMisc);
    pStream->Release();
    pOle->Release();
    pPersist->Release();
}

// The about box is modal: a timer running inside its message loop reads it
// and closes it.
HWND g_hAbout = nullptr;
std::wstring g_strAboutLine;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    HWND hDlg = FindWindowW(L"#32770", L"About ZTOperatorPanelX Control");
    if (!hDlg)
        return;
    g_hAbout = hDlg;
    EnumChildWindows(
        hDlg,
        [](HWND hChild, LPARAM) CALLBACK -> BOOL {
            if (WindowTitle(hChild).find(L"Version") != std::wstring::npos)
                g_strAboutLine = WindowTitle(hChild);
            return TRUE;
        },
        0);
    KillTimer(nullptr, idTimer);
    PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
}

TEST_F(ControlHost, AboutBoxShowsItsDialogUntilClosed)
{
    const UINT_PTR idTimer = SetTimer(nullptr, 0, 50, CloseAboutBox);
    EXPECT_EQ(S_OK, m_host.Invoke(L"AboutBox", DISPATCH_METHOD, {}, nullptr));
    KillTimer(nullptr, idTimer);
    EXPECT_NE(nullptr, g_hAbout);
    EXPECT_FALSE(IsWindow(g_hAbout)) << "closed when AboutBox returned";
    EXPECT_EQ(L"ZTOperatorPanelX Control, Version 1.0", g_strAboutLine);
}

} // namespace
