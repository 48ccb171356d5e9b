// A C++ host drives the registered control: creation by ProgID, its type
// information, late-bound calls, events to two sinks, and sinks that fail.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <map>

#include "ControlTestSupport.h"
#include "ZTEventSinkAccess.h"
#include "trcutil30.h"

namespace {

const wchar_t *const kMemberNames[51] = {
    L"DeviceStatus", L"DisplaySizeX", L"DisplaySizeY", L"KeyLockStatus", L"LEDStatus", L"HasKeyLock",
    L"HasDisplayLigth", L"CanSupportCursor", L"CanSupportForms", L"SupportedScreenSizeX",
    L"SupportedScreenSizeY", L"Keys", L"CommandKeys", L"SupportedCharSets", L"FormWidth", L"FormHeight",
    L"FormVersionMajor", L"FormVersionMinor", L"FormCharSet", L"FormFieldType", L"FormFieldClass",
    L"FormFieldAccess", L"FormFieldOverflow", L"FormFieldFormat", L"FormName", L"FormFieldName",
    L"FormFieldList", L"NumOfLEDs", L"KeyboardStatus", L"OpenSessionSync", L"CloseSessionSync",
    L"RequestLock", L"ReleaseLock", L"GetExtraStatus", L"GetExtraCaps", L"Beep", L"BeepOff", L"ClearScreen",
    L"SetDisplayLight", L"SetLEDState", L"SelectScreenSize", L"WriteForm", L"ReadForm", L"CancelRead",
    L"GetFieldValue", L"Write", L"Read", L"QueryFormList", L"Reset", L"QueryForm", L"QueryField"};

class ControlHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pControl = CreateControl();
        ASSERT_NE(nullptr, m_pControl);
    }
    void TearDown() override
    {
        if (m_pControl) {
            EXPECT_EQ(0u, m_pControl->Release()) << "the host held the last reference";
        }
    }

    CTTUEventSink *EventSink()
    {
        IZTEventSinkAccess *pAccess = nullptr;
        if (FAILED(m_pControl->QueryInterface(IID_IZTEventSinkAccess, reinterpret_cast<void **>(&pAccess))))
            return nullptr;
        CTTUEventSink *pSink = pAccess->GetEventSink();
        pAccess->Release();
        return pSink;
    }

    ComApartment m_com;
    IDispatch *m_pControl = nullptr;
};

std::wstring Name(ITypeInfo *pInfo, MEMBERID memid)
{
    BSTR bstr = nullptr;
    pInfo->GetDocumentation(memid, &bstr, nullptr, nullptr, nullptr);
    std::wstring name = bstr ? bstr : L"";
    SysFreeString(bstr);
    return name;
}

TEST_F(ControlHost, TypeInformationShowsEveryMemberWithItsDispidAndNames)
{
    ITypeInfo *pInfo = nullptr;
    ASSERT_EQ(S_OK, m_pControl->GetTypeInfo(0, LOCALE_USER_DEFAULT, &pInfo));
    TYPEATTR *pAttr = nullptr;
    ASSERT_EQ(S_OK, pInfo->GetTypeAttr(&pAttr));
    EXPECT_EQ(TKIND_DISPATCH, pAttr->typekind);
    EXPECT_TRUE(IsEqualIID(DIID__DZTOperatorPanelX, pAttr->guid));
    EXPECT_EQ(29, pAttr->cVars);
    EXPECT_EQ(23, pAttr->cFuncs) << "22 methods and AboutBox";
    const WORD cVars = pAttr->cVars;
    pInfo->ReleaseTypeAttr(pAttr);

    std::map<MEMBERID, std::wstring> found;
    for (WORD i = 0; i < cVars; ++i) {
        VARDESC *pVar = nullptr;
        ASSERT_EQ(S_OK, pInfo->GetVarDesc(i, &pVar));
        EXPECT_EQ(0, pVar->wVarFlags & VARFLAG_FREADONLY) << "plain dispatch properties";
        found[pVar->memid] = Name(pInfo, pVar->memid);
        pInfo->ReleaseVarDesc(pVar);
    }
    for (MEMBERID memid = 30; memid <= 51; ++memid)
        found[memid] = Name(pInfo, memid);
    for (MEMBERID memid = 1; memid <= 51; ++memid)
        EXPECT_EQ(kMemberNames[memid - 1], found[memid]) << "DISPID " << memid;
    EXPECT_EQ(L"HasDisplayLigth", found[7]);
    EXPECT_EQ(L"AboutBox", Name(pInfo, DISPID_ABOUTBOX));

    // Names resolve to the same DISPIDs, parameter names included.
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Read"), const_cast<LPOLESTR>(L"TerminateCommandKeys"),
                        const_cast<LPOLESTR>(L"x")};
    DISPID ids[3] = {};
    ASSERT_EQ(S_OK, m_pControl->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(47, ids[0]);
    EXPECT_EQ(11, ids[1]);
    EXPECT_EQ(0, ids[2]);

    // The parameter types hosts see, including the five declared long.
    BSTR paramNames[4] = {};
    UINT cNames = 0;
    ASSERT_EQ(S_OK, pInfo->GetNames(36, paramNames, 4, &cNames));
    ASSERT_EQ(3u, cNames);
    EXPECT_STREQ(L"BeepType", paramNames[1]);
    EXPECT_STREQ(L"Continuous", paramNames[2]);
    for (UINT i = 0; i < cNames; ++i)
        SysFreeString(paramNames[i]);
    pInfo->Release();
}

TEST_F(ControlHost, ClassInfoNamesTheEventInterfaceAndThePropertyPage)
{
    IProvideClassInfo2 *pClassInfo = nullptr;
    ASSERT_EQ(S_OK, m_pControl->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&pClassInfo)));
    GUID guid = {};
    EXPECT_EQ(S_OK, pClassInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
    EXPECT_TRUE(IsEqualIID(DIID__DZTOperatorPanelXEvents, guid));
    ITypeInfo *pCoclass = nullptr;
    ASSERT_EQ(S_OK, pClassInfo->GetClassInfo(&pCoclass));
    TYPEATTR *pAttr = nullptr;
    pCoclass->GetTypeAttr(&pAttr);
    EXPECT_EQ(TKIND_COCLASS, pAttr->typekind);
    EXPECT_TRUE(IsEqualCLSID(CLSID_ZTOperatorPanelX, pAttr->guid));
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FCONTROL);
    pCoclass->ReleaseTypeAttr(pAttr);
    pCoclass->Release();
    pClassInfo->Release();

    IUnknown *pSafety = nullptr;
    const IID IID_IObjectSafety = {0xcb5bdc81, 0x93c1, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
    EXPECT_EQ(E_NOINTERFACE, m_pControl->QueryInterface(IID_IObjectSafety, reinterpret_cast<void **>(&pSafety)));

    ISpecifyPropertyPages *pPages = nullptr;
    ASSERT_EQ(S_OK, m_pControl->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void **>(&pPages)));
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

TEST_F(ControlHost, PropertiesRefuseSetAndByReferenceParametersTakePlainValues)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"DEVONLINE");
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallByDispid(m_pControl, 1, DISPATCH_PROPERTYPUT, {value}));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallByDispid(m_pControl, 7, DISPATCH_PROPERTYPUT, {value}));
    VariantClear(&value);

    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(S_OK, CallByDispid(m_pControl, 1, DISPATCH_PROPERTYGET, {}, &result));
    EXPECT_EQ(VT_BSTR, V_VT(&result)) << "the property is still readable and unchanged";
    EXPECT_STRNE(L"DEVONLINE", V_BSTR(&result));
    VariantClear(&result);

    // A VARIANT* parameter given a plain value (as JScript passes it) reaches
    // the member instead of failing as a type mismatch; a by-reference
    // VARIANT (as VBScript passes a variable) receives the value.
    VARIANT plain;
    VariantInit(&plain);
    V_VT(&plain) = VT_I4;
    V_I4(&plain) = 3;
    EXPECT_EQ(S_OK, CallByDispid(m_pControl, 48, DISPATCH_METHOD, {plain}, &result));
    EXPECT_EQ(VT_I4, V_VT(&result));
    VARIANT formList;
    VariantInit(&formList);
    VARIANT byRef;
    V_VT(&byRef) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRef) = &formList;
    EXPECT_EQ(S_OK, CallByDispid(m_pControl, 48, DISPATCH_METHOD, {byRef}, &result));
    VariantClear(&formList);

    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallByDispid(m_pControl, 52, DISPATCH_METHOD, {}));
}

TEST_F(ControlHost, TwoSinksReceiveEveryEventInOrderWithItsArgumentTypes)
{
    std::vector<std::pair<char, ReceivedEvent>> log;
    RecordingSink a(&log, 'A'), b(&log, 'B');
    const DWORD dwA = ConnectSink(m_pControl, &a);
    const DWORD dwB = ConnectSink(m_pControl, &b);
    ASSERT_NE(0u, dwA);
    ASSERT_NE(0u, dwB);
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

    const std::vector<VARTYPE> bstrLong = {VT_BSTR, VT_I4}, none, bstr = {VT_BSTR}, shortBstr = {VT_I2, VT_BSTR},
                               shortOnly = {VT_I2}, field = {VT_BSTR, VT_BSTR, VT_I2},
                               key = {VT_BSTR, VT_I2, VT_I2};
    const struct {
        std::vector<VARTYPE> types;
        const wchar_t *text;
    } expected[25] = {{bstrLong, L"CMD_TTU_BEEP|-14"}, {bstrLong, L"LOCK|-4"}, {none, L""}, {none, L""},
                      {none, L""}, {none, L""}, {none, L""}, {none, L""}, {none, L""}, {bstr, L"1234"},
                      {bstr, L"DEVONLINE"}, {bstr, L"ON"}, {bstr, L"TRUE"}, {shortBstr, L"3|SLOWFLASH"},
                      {shortOnly, L"40"}, {shortOnly, L"-1"}, {field, L"FORM1|PIN|2"},
                      {field, L"FORM1|AMOUNT|5"}, {key, L"7|55|0"}, {none, L""}, {none, L""}, {none, L""},
                      {none, L""}, {none, L""}, {none, L""}};
    ASSERT_EQ(50u, log.size());
    for (DISPID id = 1; id <= 25; ++id) {
        for (int s = 0; s < 2; ++s) {
            const auto &entry = log[(id - 1) * 2 + s];
            EXPECT_EQ(s == 0 ? 'A' : 'B', entry.first) << "event " << id;
            EXPECT_EQ(id, entry.second.dispid);
            EXPECT_EQ(expected[id - 1].types, entry.second.types) << "event " << id;
            EXPECT_EQ(expected[id - 1].text, entry.second.text) << "event " << id;
        }
    }

    DisconnectSink(m_pControl, dwA);
    DisconnectSink(m_pControl, dwB);
    log.clear();
    pEvents->FireBeepComplete();  // no sink: nothing happens, nothing fails
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(1, a.m_cRef);
    EXPECT_EQ(1, b.m_cRef);
}

TEST_F(ControlHost, FaultingSinkEndsOnlyThatDeliveryAndIsTraced)
{
    std::vector<std::pair<char, ReceivedEvent>> log;
    RecordingSink a(&log, 'A'), b(&log, 'B');
    const DWORD dwA = ConnectSink(m_pControl, &a);
    const DWORD dwB = ConnectSink(m_pControl, &b);
    CTTUEventSink *pEvents = EventSink();
    ASSERT_NE(nullptr, pEvents);

    TrcCaptureStart();
    TrcCaptureClear();
    a.FaultOn(21, RecordingSink::AccessViolation);
    pEvents->FireBeepComplete();
    pEvents->FireResetComplete();
    a.FaultOn(10, RecordingSink::ThrowCpp);
    pEvents->FireReadComplete(L"99");
    pEvents->FireLockGranted();
    const std::string trace = CapturedTrace();
    TrcCaptureStop();

    // The faulting event reaches nobody after the faulting sink; the next
    // events reach both.
    std::vector<std::pair<char, DISPID>> order;
    for (const auto &entry : log)
        order.push_back({entry.first, entry.second.dispid});
    EXPECT_EQ((std::vector<std::pair<char, DISPID>>{{'A', 20}, {'B', 20}, {'A', 3}, {'B', 3}}), order);

    EXPECT_NE(std::string::npos, trace.find("ERROR Ctrl::FireEvent Exception raised in EventID = [21] , "
                                            "Exception Code = [0xC0000005]"))
        << trace;
    EXPECT_NE(std::string::npos, trace.find("ERROR Ctrl::FireEvent Exception raised in EventID = [10] , "
                                            "Exception Code = [0x20474343]"))
        << trace;
    size_t nRecords = 0;
    for (size_t pos = trace.find("27 42 "); pos != std::string::npos; pos = trace.find("27 42 ", pos + 1)) {
        EXPECT_EQ(":[Exception]", trace.substr(trace.find(':', pos), 12));
        ++nRecords;
    }
    EXPECT_EQ(2u, nRecords) << trace;
    EXPECT_EQ(4, std::count(trace.begin(), trace.end(), '\n')) << "nothing else is traced:\n" << trace;

    DisconnectSink(m_pControl, dwA);
    DisconnectSink(m_pControl, dwB);
    EXPECT_EQ(1, a.m_cRef) << "no reference lost in the abandoned deliveries";
    EXPECT_EQ(1, b.m_cRef);
}

TEST_F(ControlHost, PersistentStateRoundTripsTheExtent)
{
    IPersistStreamInit *pPersist = nullptr;
    IOleObject *pOle = nullptr;
    ASSERT_EQ(S_OK, m_pControl->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void **>(&pPersist)));
    ASSERT_EQ(S_OK, m_pControl->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&pOle)));
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
    SIZEL reset = {};
    pOle->GetExtent(DVASPECT_CONTENT, &reset);
    EXPECT_NE(4321, reset.cx);
    LARGE_INTEGER zero = {};
    pStream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, pPersist->Load(pStream));
    SIZEL loaded = {};
    pOle->GetExtent(DVASPECT_CONTENT, &loaded);
    EXPECT_EQ(4321, loaded.cx);
    EXPECT_EQ(1234, loaded.cy);
    DWORD dwMisc = 0;
    pOle->GetMiscStatus(DVASPECT_CONTENT, &dwMisc);
    EXPECT_EQ(0x00020091u, dwMisc);

    pStream->Release();
    pOle->Release();
    pPersist->Release();
}

// The about box is modal: a timer running inside its message loop reads
// it and closes it.
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
            WCHAR sz[128] = {};
            GetWindowTextW(hChild, sz, ARRAYSIZE(sz));
            if (wcsstr(sz, L"Version"))
                g_strAboutLine = sz;
            return TRUE;
        },
        0);
    KillTimer(nullptr, idTimer);
    PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
}

TEST_F(ControlHost, AboutBoxShowsItsDialogUntilClosed)
{
    const UINT_PTR idTimer = SetTimer(nullptr, 0, 50, CloseAboutBox);
    EXPECT_EQ(S_OK, CallByDispid(m_pControl, DISPID_ABOUTBOX, DISPATCH_METHOD, {}));
    KillTimer(nullptr, idTimer);
    EXPECT_NE(nullptr, g_hAbout);
    EXPECT_FALSE(IsWindow(g_hAbout)) << "closed when AboutBox returned";
    EXPECT_EQ(L"ZTOperatorPanelX Control, Version 1.0", g_strAboutLine);
}

} // namespace
