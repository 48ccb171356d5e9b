// The registered control driven from a C++ automation host on the virtual
// panel: by ProgID, by name through IDispatch, events through a connection
// point. The XFS manager is loaded in this process as well, so its call
// counters and live-buffer count see what the control did.
#include <algorithm>
#include <string>

#include "ControlHostTest.h"
#include "xfsapi.h"
#include "xfsttu.h"

namespace {

using Texts = std::vector<std::wstring>;

// The properties' values as text, in the order asked.
Texts TextsOf(CControlHost &control, std::initializer_list<LPCWSTR> names)
{
    Texts texts;
    for (LPCWSTR lpszName : names)
        texts.push_back(PropertyText(control, lpszName));
    return texts;
}

const DWORD kEventWait = 10000;

class ControlE2E : public CControlHostTest {};

TEST_F(ControlE2E, TwoControlsShareOneSessionThatEitherOpensAndEitherCloses)
{
    CControlHost first, second;
    ASSERT_TRUE(first.Ok());
    ASSERT_TRUE(second.Ok());

    EXPECT_EQ(WFS_ERR_NOT_STARTED, second.Call(L"Beep", {L"KEYPRESS", 0}));
    ASSERT_EQ(0, first.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(0, second.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncOpen"));

    // The second control works on the session the first one opened, and
    // the completion comes back to the control that issued the command: the
    // first one's own beep, served after it, shows what reached it before.
    ASSERT_EQ(0, second.Call(L"Beep", {L"KEYPRESS", 0}));
    EXPECT_TRUE(second.WaitForEvent(L"BeepComplete", kEventWait));
    ASSERT_EQ(0, first.Call(L"Beep", {L"KEYPRESS", 0}));
    EXPECT_TRUE(first.WaitForEvent(L"BeepComplete", kEventWait));
    EXPECT_EQ(std::vector<std::wstring>{L"BeepComplete"}, first.EventNames());
    EXPECT_EQ(std::vector<std::wstring>{L"BeepComplete"}, second.EventNames());

    // Both read the process's one last known status.
    EXPECT_EQ(L"DEVONLINE", first.GetString(L"DeviceStatus"));
    WFMDiagResetCallCounts();
    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE));
    EXPECT_TRUE(first.WaitForEvent(L"DeviceStatusChanged", kEventWait));
    EXPECT_TRUE(second.WaitForEvent(L"DeviceStatusChanged", kEventWait));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo")) << "one status query answers both controls";
    // The property's own query is answered after anything the change sent.
    EXPECT_EQ(L"DEVOFFLINE", first.GetString(L"DeviceStatus"));
    for (const CControlHost *pHost : {&first, &second})
        EXPECT_EQ(1, std::count_if(pHost->Events().begin(), pHost->Events().end(),
                                   [](const ControlEvent &e) { return e.strName == L"DeviceStatusChanged"; }));
    EXPECT_EQ(first.GetString(L"DeviceStatus"), second.GetString(L"DeviceStatus"));
    // A control created while the session is open shows its keys once.
    const std::wstring strKeys = first.GetString(L"CommandKeys");
    {
        CControlHost third;
        EXPECT_EQ(strKeys, third.GetString(L"CommandKeys"));
    }
    EXPECT_EQ(strKeys, first.GetString(L"CommandKeys"));

    // A close by the second closes it for the first.
    EXPECT_EQ(0, second.Call(L"CloseSessionSync"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, first.Call(L"Beep", {L"KEYPRESS", 0}));
    EXPECT_EQ(0, first.Call(L"CloseSessionSync"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
}

TEST_F(ControlE2E, EachPropertyGroupAsksTheDeviceOnceUntilTheSessionIsClosed)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    // A session whose groups were all asked, closed: the next one asks again.
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    TextsOf(control, {L"HasKeyLock", L"Keys", L"DeviceStatus"});
    ASSERT_EQ(0, control.Call(L"CloseSessionSync"));
    // The close took the device's values back to no device; read while no
    // session is open, they do not count as asked (the reopen asks again).
    EXPECT_EQ((Texts{L"", L"", L"DEVNODEVICE", L"0"}),
              TextsOf(control, {L"Keys", L"CommandKeys", L"DeviceStatus", L"DisplaySizeX"}));
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    // Capabilities, keys and status: one query each, shared by their properties.
    for (int nRound = 0; nRound < 2; ++nRound) {
        EXPECT_EQ(Texts(3, L"TRUE"), TextsOf(control, {L"HasKeyLock", L"HasDisplayLigth", L"CanSupportForms"}));
        EXPECT_EQ(nRound ? 3 : 1, WFMDiagCallCount("WFSAsyncGetInfo"));
        EXPECT_EQ(L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.", control.GetString(L"Keys"));
        TextsOf(control, {L"CommandKeys", L"DeviceStatus", L"DisplaySizeX", L"KeyLockStatus"});
        EXPECT_EQ(3, WFMDiagCallCount("WFSAsyncGetInfo"));
    }
}

TEST_F(ControlE2E, StatusCapabilityAndKeyPropertiesShowThePanel)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));

    EXPECT_EQ((Texts{L"DEVONLINE", L"20", L"4", L"4", L"UNICODE", L"[OFF,OFF,OFF,OFF,]@0", L"TRUE",
                     L"[20,40,]@0", L"[4,2,]@0"}),
              TextsOf(control, {L"DeviceStatus", L"DisplaySizeX", L"DisplaySizeY", L"NumOfLEDs", L"SupportedCharSets",
                                L"LEDStatus", L"CanSupportCursor", L"SupportedScreenSizeX", L"SupportedScreenSizeY"}));
    EXPECT_EQ((std::vector<std::string>{
                  "L0 TTU ACTIVEX PROPERTY CTTUService::GetSupportedScreenSizeX SupportedScreenSizeX[0]=20",
                  "L0 TTU ACTIVEX PROPERTY CTTUService::GetSupportedScreenSizeX SupportedScreenSizeX[1]=40"}),
              CapturedTraceLinesWith("GetSupportedScreenSizeX"));
    EXPECT_EQ(L"ENTER,CANCEL,CLEAR,BACKSPACE,FDK01,FDK02,FDK03,FDK04,FDK05,FDK06,FDK07,FDK08",
              control.GetString(L"CommandKeys"));

    auto extra = [&](LPCWSTR lpszMethod, LPCWSTR lpszKey) {
        VARIANT value = control.CallVariant(lpszMethod, {lpszKey});
        std::wstring strValue = value.vt == VT_BSTR ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                                    : L"<not a string>";
        VariantClear(&value);
        return strValue;
    };
    EXPECT_EQ(L"ZT-VP 1.0", extra(L"GetExtraStatus", L"Firmware"));
    EXPECT_EQ(L"Zentrik", extra(L"GetExtraCaps", L"Vendor"));
    EXPECT_EQ(1u, CapturedTraceLinesWith("METHOD Ctrl::GetExtraCaps Invoked {KeyName[Vendor]}").size());
    EXPECT_EQ(L"", extra(L"GetExtraStatus", L"NoSuchKey"));

    EXPECT_EQ((std::vector<std::string>{"L0 TTU ACTIVEX PROPERTY CTTUService::GetDeviceStatus DeviceStatus = DEVONLINE"}),
              CapturedTraceLinesWith("GetDeviceStatus"));

    // Setting a property is refused and changes nothing.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, control.Put(L"DisplaySizeX", short(80)));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, control.Put(L"FormName", L"TRANSFER"));
    EXPECT_EQ((Texts{L"20", L""}), TextsOf(control, {L"DisplaySizeX", L"FormName"}));
}

TEST_F(ControlE2E, ClosedSessionRefusesDeviceCommandsWithOneTraceLineEach)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    struct Case {
        LPCWSTR lpszMethod;
        std::vector<CArg> args;
        const char *pszLine;
    };
    const Case cases[] = {
        {L"Beep", {L"KEYPRESS", 7}, "Ctrl::Beep Invoked {BeepType[KEYPRESS], Continuous[1]}"},
        {L"BeepOff", {}, "Ctrl::BeepOff Invoked"},
        {L"ClearScreen", {short(0), short(-1), short(20), short(4)},
         "Ctrl::ClearScreen Invoked {TopLeftX[0], TopLeftY[-1], Width[20], Height[4]}"},
        {L"SetDisplayLight", {L"ON"}, "Ctrl::SetDisplayLight Invoked {LightAction[ON]}"},
        {L"SetLEDState", {short(2), L"QUICK"}, "Ctrl::SetLEDState Invoked {Index[2], State[QUICK]}"},
        {L"SelectScreenSize", {short(40), short(2)}, "Ctrl::SelectScreenSize Invoked {Width[40], Height[2]}"},
        {L"Beep", {L"KEYPRESS", 0.4}, "Ctrl::Beep Invoked {BeepType[KEYPRESS], Continuous[1]}"},
        {L"WriteForm", {L"TRANSFER", L"True", L"NOTE=HI"},
         "Ctrl::WriteForm Invoked {FormName[TRANSFER], ClearScreen[1], FieldValues[NOTE=HI]}"},
        {L"ReadForm", {L"PINENTRY", L"PIN", short(30)},
         "Ctrl::ReadForm Invoked {FormName[PINENTRY], Fields[PIN], Timeout[30]}"},
        {L"CancelRead", {}, "Ctrl::CancelRead Invoked"},
        {L"Write", {short(1), short(2), L"NORMAL", L"HELLO"},
         "Ctrl::Write Invoked {x[1], y[2], TextAttribute[NORMAL], Text[HELLO]}"},
        {L"Read",
         {short(0), short(1), L"NORMAL", L"PASSWORD", short(4), L"True", 0.4, L"False", 20000, L"0123", L"ENTER",
          L"ENTER"},
         "Ctrl::Read Invoked {x[0], y[1], TextAttribute[NORMAL], EchoMode[PASSWORD], Length[4], CursorOn[1], "
         "Flush[1], AutoEnd[0], Timeout[20000], ActiveKeys[0123], ActiveCommandKeys[ENTER], "
         "TerminateCommandKeys[ENTER]}"},
        {L"Reset", {}, "Ctrl::Reset Invoked"},
        {L"QueryForm", {L"TRANSFER"}, "Ctrl::QueryForm Invoked {FormName[TRANSFER]}"},
        {L"QueryField", {L"AMOUNT"}, "Ctrl::QueryField Invoked {FieldName[AMOUNT]}"},
    };
    for (const Case &c : cases) {
        TrcCaptureClear();
        EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(c.lpszMethod, c.args)) << c.pszLine;
        EXPECT_EQ(std::vector<std::string>{std::string("L0 TTU ACTIVEX METHOD ") + c.pszLine}, CapturedTraceLines());
    }
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));

    // Lock and unlock answer for themselves: -39 as well.
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"RequestLock", {1000}));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"ReleaseLock"));

    // GetFieldValue: FALSE, and the caller's variable as it was.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 42;
    VARIANT found = control.CallVariant(L"GetFieldValue", {L"PIN", &value});
    EXPECT_EQ(VT_BOOL, found.vt);
    EXPECT_EQ(VARIANT_FALSE, found.boolVal);
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(42, value.lVal);

    // QueryFormList still asks, and the answer is the manager's -39 with an
    // empty list (an array all the same, as scripts iterate it).
    VARIANT list;
    VariantInit(&list);
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"QueryFormList", {&list}));
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, list.vt);
    EXPECT_TRUE(StringsOf(list).empty());
    VariantClear(&list);
}

TEST_F(ControlE2E, FormAndFieldQueriesFillTheFormProperties)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));

    VARIANT list;
    VariantInit(&list);
    ASSERT_EQ(0, control.Call(L"QueryFormList", {&list}));
    EXPECT_EQ((std::vector<std::wstring>{L"PINENTRY", L"TRANSFER", L"GREETING"}), StringsOf(list));
    EXPECT_EQ(0, LowerBound(list));
    VariantClear(&list);
    // As JScript passes it: a plain value, not a variable to write.
    EXPECT_EQ(0, control.Call(L"QueryFormList", {3}));

    ASSERT_EQ(0, control.Call(L"QueryForm", {L"PINENTRY"}));
    EXPECT_EQ((Texts{L"PINENTRY", L"20", L"4", L"1", L"2", L"ASCII", L"[TITLE,PROMPT,PIN,]@0"}),
              TextsOf(control, {L"FormName", L"FormWidth", L"FormHeight", L"FormVersionMajor", L"FormVersionMinor",
                                L"FormCharSet", L"FormFieldList"}));

    // The field is asked for within the form queried last.
    const std::initializer_list<LPCWSTR> fieldProperties = {L"FormFieldName", L"FormFieldType", L"FormFieldClass",
                                                            L"FormFieldAccess", L"FormFieldOverflow", L"FormFieldFormat"};
    ASSERT_EQ(0, control.Call(L"QueryField", {L"PIN"}));
    EXPECT_EQ((Texts{L"PIN", L"PASSWORD", L"REQUIRED", L"READ", L"TERMINATE", L"NNNNNN"}),
              TextsOf(control, fieldProperties));
    ASSERT_EQ(0, control.Call(L"QueryForm", {L"TRANSFER"}));
    ASSERT_EQ(0, control.Call(L"QueryField", {L"AMOUNT"}));
    EXPECT_EQ((Texts{L"AMOUNT", L"TEXT", L"OPTIONAL", L"READWRITE", L"OVERWRITE", L"N.NN"}),
              TextsOf(control, fieldProperties));
    ASSERT_EQ(0, control.Call(L"QueryForm", {L"GREETING"}));
    EXPECT_EQ(L"UNICODE", control.GetString(L"FormCharSet"));

    // Names too long for the service are refused before anything is asked.
    TrcCaptureClear();
    WFMDiagResetCallCounts();
    const std::wstring strLong(256, L'F');
    EXPECT_EQ(WFS_ERR_INVALID_DATA, control.Call(L"QueryForm", {strLong.c_str()}));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, control.Call(L"QueryField", {strLong.c_str()}));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_EQ(2u, CapturedTraceLines().size());
    EXPECT_EQ(L"GREETING", control.GetString(L"FormName"));
    // 255 bytes still go to the device (which knows no such form).
    EXPECT_EQ(0, control.Call(L"QueryForm", {std::wstring(255, L'F').c_str()}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));

    // A field query whose buffer cannot be allocated is traced and returned.
    TrcCaptureClear();
    WFMDiagFailAllocation(1);
    EXPECT_EQ(WFS_ERR_OUT_OF_MEMORY, control.Call(L"QueryField", {L"PIN"}));
    WFMDiagFailAllocation(0);
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
    const std::vector<std::string> lines = CapturedTraceLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[1].find("L0 TTU ACTIVEX ERROR Ctrl::QueryField AllocateBuffer Failed[hResult = -42] "
                                "==> Line = "))
        << lines[1];
    EXPECT_NE(std::string::npos, lines[2].find("4r")) << lines[2];
}

// The time-out the manager was given with the last call of an API function.
DWORD LastTimeOut(const char *pszFunction)
{
    DWORD dwTimeOut = 0xBADC0DE;
    return WFMDiagLastTimeOut(pszFunction, &dwTimeOut) ? dwTimeOut : 0xBADC0DE;
}

// Every time-out reaches the manager as the host gave it.
TEST_F(ControlE2E, CommandsRoundTripThroughTheirEvents)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {25000}));
    EXPECT_EQ(25000u, LastTimeOut("WFSAsyncOpen"));

    ASSERT_EQ(0, control.Call(L"RequestLock", {5000}));
    EXPECT_TRUE(control.WaitForEvent(L"LockGranted", kEventWait));
    EXPECT_EQ(5000u, LastTimeOut("WFSAsyncLock"));


    ASSERT_EQ(0, control.Call(L"Write", {short(0), short(0), L"NORMAL", L"HELLO"}));
    EXPECT_TRUE(control.WaitForEvent(L"WriteComplete", kEventWait));
    WCHAR szDisplay[512] = {};
    WORD wX = 0, wY = 0;
    ASSERT_EQ(0, TtuSimGetDisplay(szDisplay, ARRAYSIZE(szDisplay), &wX, &wY));
    EXPECT_EQ(0, wcsncmp(szDisplay, L"HELLO", 5)) << szDisplay;

    // A read without a time-out (0), cancelled.
    ASSERT_EQ(0, control.Call(L"Read", {short(0), short(3), L"NORMAL", L"TEXT", short(4), 0, 0, 0, 0, L"0", L"",
                                        L"ENTER"}));
    EXPECT_EQ(0u, LastTimeOut("WFSAsyncExecute"));
    ASSERT_EQ(0, control.Call(L"CancelRead"));
    EXPECT_TRUE(control.WaitForEvent(L"ReadCancelled", kEventWait));

    // A continuous beep: any non-zero long is TRUE.
    ASSERT_EQ(0, control.Call(L"Beep", {L"WARNING", 5}));
    ASSERT_TRUE(control.WaitForEvent(L"BeepComplete", kEventWait));
    TTUSIMSNAPSHOT snapshot = {};
    ASSERT_EQ(0, TtuSimGetSnapshot(&snapshot));
    EXPECT_TRUE(snapshot.bBeeping);
    ASSERT_EQ(0, control.Call(L"BeepOff"));

    ASSERT_EQ(0, control.Call(L"SetLEDState", {short(1), L"CONTINUOUS"}));
    ASSERT_TRUE(control.WaitForEvent(L"LEDStatusChanged", kEventWait));
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"CONTINUOUS"}), control.FindEvent(L"LEDStatusChanged")->args);
    EXPECT_EQ(L"[OFF,CONTINUOUS,OFF,OFF,]@0", PropertyText(control, L"LEDStatus"));

    // A form read: the operator types the PIN, the host reads the field.
    ASSERT_EQ(0, control.Call(L"ReadForm", {L"PINENTRY", L"PIN", short(-1)}));
    EXPECT_EQ(0xFFFFFFFFu, LastTimeOut("WFSAsyncExecute"));
    ASSERT_TRUE(PumpUntil([] {
        TTUSIMSNAPSHOT s = {};
        return TtuSimGetSnapshot(&s) == 0 && s.bReadActive;
    }));
    ASSERT_EQ(0, TtuSimTypeText(L"4321"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    ASSERT_TRUE(control.WaitForEvent(L"ReadFormComplete", kEventWait));
    VARIANT value;
    VariantInit(&value);
    VARIANT found = control.CallVariant(L"GetFieldValue", {L"PIN", &value});
    EXPECT_EQ(VARIANT_TRUE, found.boolVal);
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_STREQ(L"4321", value.bstrVal);
    VariantClear(&value);
    found = control.CallVariant(L"GetFieldValue", {L"NOSUCHFIELD", &value});
    EXPECT_EQ(VARIANT_FALSE, found.boolVal);
    EXPECT_EQ(VT_EMPTY, value.vt);

    ASSERT_EQ(0, control.Call(L"ReleaseLock"));
    EXPECT_TRUE(control.WaitForEvent(L"LockReleased", kEventWait));
    ASSERT_EQ(0, control.Call(L"Reset"));
    EXPECT_TRUE(control.WaitForEvent(L"ResetComplete", kEventWait));
    EXPECT_EQ(nullptr, control.FindEvent(L"FatalError"));
    EXPECT_EQ(nullptr, control.FindEvent(L"DeviceError"));
}

// Each control's hidden window is titled with the next instance number of
// the process; a number is never given again, also after its control went.
TEST_F(ControlE2E, InstanceNumbersCountUpAndAreNeverReused)
{
    auto highest = [] {
        int nHighest = 0;
        for (HWND hWnd : InstanceWindows())
            nHighest = std::max(nHighest, std::stoi(WindowTitle(hWnd).substr(9)));
        return nHighest;
    };
    const size_t nBefore = InstanceWindows().size();
    CControlHost first;
    const int n = highest();
    ASSERT_GT(n, 0);
    {
        CControlHost second;
        EXPECT_EQ(n + 1, highest());
    }
    EXPECT_EQ(n, highest()) << "the window went with its control";
    CControlHost third;
    EXPECT_EQ(n + 2, highest());
    first.Release();
    CControlHost fourth;
    EXPECT_EQ(n + 3, highest());
    EXPECT_EQ(nBefore + 2, InstanceWindows().size());
}

// What careless hosts pass at the automation surface: malformed VARIANTs,
// null strings, arguments too big for one trace line.
VARIANT Malformed(VARTYPE vt)
{
    VARIANT var;
    VariantInit(&var);
    V_VT(&var) = vt;  // the value (a reference) stays null
    return var;
}

TEST_F(ControlE2E, MalformedOutArgumentsAreRefusedWithAnAutomationError)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    const struct {
        VARTYPE vt;
        HRESULT hr;
    } cases[] = {
        {VT_BYREF | VT_I4, DISP_E_TYPEMISMATCH},       {VT_BYREF | VT_BSTR, DISP_E_TYPEMISMATCH},
        {VT_BYREF | VT_DISPATCH, DISP_E_TYPEMISMATCH}, {VT_BYREF | VT_VARIANT, DISP_E_TYPEMISMATCH},
        {0x7FFF, DISP_E_BADVARTYPE},
    };
    for (const auto &c : cases) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(c.hr, control.Invoke(L"GetFieldValue", DISPATCH_METHOD, {L"PIN", Malformed(c.vt)}, &result))
            << c.vt;
        EXPECT_EQ(c.hr, control.Invoke(L"QueryFormList", DISPATCH_METHOD, {Malformed(c.vt)}, &result)) << c.vt;
        VariantClear(&result);
    }
    // The control is unharmed.
    VARIANT list;
    VariantInit(&list);
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"QueryFormList", {&list}));
    VariantClear(&list);
}

TEST_F(ControlE2E, NullFormNameIsRefusedAsNotAssigned)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    const LPCWSTR lpszNull = nullptr;
    EXPECT_EQ(-1, control.Call(L"WriteForm", {lpszNull, 0, L"PIN=1"}));
    EXPECT_EQ(-1, control.Call(L"ReadForm", {lpszNull, L"", short(30)}));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo") + WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(2u, CapturedTraceLinesWith("FormName is not assigned").size());
    // An empty name is a name: it is asked for.
    EXPECT_NE(-1, control.Call(L"WriteForm", {L"", 0, L""}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(ControlE2E, AHugeArgumentMakesOneCutTraceLine)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    const std::wstring strText(1 << 20, L'X');
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"Write", {short(0), short(0), L"", strText.c_str()}));
    const std::vector<std::string> lines = CapturedTraceLinesWith("METHOD Ctrl::Write Invoked");
    ASSERT_EQ(1u, lines.size());
    EXPECT_LE(lines[0].size(), 4096u);
    EXPECT_NE(std::string::npos, lines[0].find("Text[XXXX"));
    // It says where it was cut, and how long it was.
    const size_t nMark = lines[0].rfind("...[cut, ");
    ASSERT_NE(std::string::npos, nMark);
    EXPECT_GT(std::stoul(lines[0].substr(nMark + 9)), 1ul << 20);
    EXPECT_EQ(" bytes]", lines[0].substr(lines[0].size() - 7));
}

} // namespace
