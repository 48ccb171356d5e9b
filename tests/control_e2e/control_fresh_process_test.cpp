// A process of its own, because what is checked depends on the process's
// history. First a control whose constructor could not create its service
// (the module built with a factory that cannot make one, loaded from its
// file): every member still answers, without any XFS call. Then the
// registered control in a process that has never opened the session, and
// last a close that fails because the XFS session was taken away under the
// control (the process's session state cannot be repaired after that, so
// nothing may run after it).
#include "ControlHostTest.h"
#include "ZTOperatorPanelX_h.h"
#include "xfsapi.h"

namespace {

// The shared fixture but for its closing step: the last test leaves a
// session state that no close can repair.
class FreshProcess : public CControlHostTest {
protected:
    void TearDown() override
    {
        TrcCaptureStop();
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }, 10000));
    }
};

// What a control shows whose service has never asked the device: with or
// without a service, before any session or form query.
void ExpectNeverAsked(CControlHost &control)
{
    const struct {
        LPCWSTR lpszName, lpszValue;
    } values[] = {
        {L"DeviceStatus", L"DEVNODEVICE"}, {L"KeyboardStatus", L"NOTAVAILABLE"}, {L"DisplaySizeX", L"0"},
        {L"DisplaySizeY", L"0"}, {L"KeyLockStatus", L"FALSE"}, {L"LEDStatus", L"<empty>"},
        {L"HasKeyLock", L"FALSE"}, {L"HasDisplayLigth", L"FALSE"}, {L"CanSupportCursor", L"FALSE"},
        {L"CanSupportForms", L"FALSE"}, {L"SupportedScreenSizeX", L"<empty>"},
        {L"SupportedScreenSizeY", L"<empty>"}, {L"SupportedCharSets", L"ASCII"}, {L"Keys", L""},
        {L"CommandKeys", L""}, {L"NumOfLEDs", L"0"}, {L"FormName", L""}, {L"FormWidth", L"0"},
        {L"FormHeight", L"0"}, {L"FormVersionMajor", L"0"}, {L"FormVersionMinor", L"0"},
        {L"FormCharSet", L"ASCII"}, {L"FormFieldList", L"[]@0"}, {L"FormFieldName", L""},
        {L"FormFieldFormat", L""}, {L"FormFieldType", L"TEXT"}, {L"FormFieldClass", L"STATIC"},
        {L"FormFieldAccess", L"READ"}, {L"FormFieldOverflow", L"TERMINATE"},
    };
    for (const auto &v : values)
        EXPECT_EQ(v.lpszValue, PropertyText(control, v.lpszName)) << v.lpszName;
}

TEST_F(FreshProcess, AControlWithoutItsServiceAnswersEveryMemberWithoutTheDevice)
{
    HMODULE hModule = LoadLibraryW(L"ZTOperatorPanelNoService.ocx");
    ASSERT_NE(nullptr, hModule);
    auto pfnGetClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, LPVOID *)>(
        reinterpret_cast<void *>(GetProcAddress(hModule, "DllGetClassObject")));
    ASSERT_NE(nullptr, pfnGetClassObject);
    IClassFactory *pFactory = nullptr;
    ASSERT_EQ(S_OK, pfnGetClassObject(CLSID_ZTOperatorPanelX, IID_IClassFactory, reinterpret_cast<void **>(&pFactory)));
    IDispatch *pDisp = nullptr;
    EXPECT_EQ(S_OK, pFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&pDisp)));
    pFactory->Release();
    // The module stays loaded: COM may still hold its class objects.
    CControlHost control(pDisp);
    ASSERT_TRUE(control.Ok());

    // The methods trace their call and refuse with -15, FALSE or "".
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"Beep", {L"KEYPRESS", 0}));
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"RequestLock", {1000}));
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"QueryForm", {L"TRANSFER"}));
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"QueryField", {L"PIN"}));
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"CloseSessionSync"));
    VARIANT list;
    VariantInit(&list);
    EXPECT_EQ(WFS_ERR_INTERNAL_ERROR, control.Call(L"QueryFormList", {&list}));
    EXPECT_EQ(VT_EMPTY, list.vt);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 5;
    VARIANT found = control.CallVariant(L"GetFieldValue", {L"PIN", &value});
    EXPECT_EQ(VARIANT_FALSE, found.boolVal);
    EXPECT_EQ(5, value.lVal);
    VARIANT extra = control.CallVariant(L"GetExtraStatus", {L"Firmware"});
    EXPECT_EQ(VT_BSTR, extra.vt);
    EXPECT_EQ(0u, SysStringLen(extra.bstrVal));
    VariantClear(&extra);
    EXPECT_EQ(9u, CapturedTraceLinesWith(" METHOD Ctrl::").size());
    EXPECT_EQ(1u, CapturedTraceLinesWith("METHOD Ctrl::Beep Invoked {BeepType[KEYPRESS], Continuous[0]}").size());

    ExpectNeverAsked(control);
    EXPECT_EQ(0, WFMDiagCallCount("WFSStartUp"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncOpen"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(FreshProcess, PropertiesOfAProcessThatNeverOpenedTheSession)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ExpectNeverAsked(control);

    // Read while no session was open, nothing counts as asked: the first
    // read after the open asks the device.
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.", control.GetString(L"Keys"));
    ASSERT_EQ(0, control.Call(L"CloseSessionSync"));
}

TEST_F(FreshProcess, AFailedCloseStillMakesThePropertiesAskAgain)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(L"TRUE", PropertyText(control, L"HasKeyLock"));
    control.GetString(L"Keys");
    control.GetString(L"DeviceStatus");

    // Take the XFS session away: the only session of this process is the
    // control's, so the one handle that closes is its.
    bool bTaken = false;
    for (HSERVICE hService = 1; hService < 4096 && !bTaken; ++hService)
        bTaken = WFSClose(hService) == WFS_SUCCESS;
    ASSERT_TRUE(bTaken);

    WFMDiagResetCallCounts();
    TrcCaptureClear();
    EXPECT_NE(0, control.Call(L"CloseSessionSync"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncDeregister"));
    EXPECT_EQ((std::vector<std::string>{"L0 TTU ACTIVEX METHOD Ctrl::CloseSessionSync Invoked"}),
              CapturedTraceLinesWith("Ctrl::"));

    // The failed close leaves the process closed; in the next session each
    // group asks again.
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    PropertyText(control, L"HasKeyLock");
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
    control.GetString(L"Keys");
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncGetInfo"));
    control.GetString(L"DeviceStatus");
    EXPECT_EQ(3, WFMDiagCallCount("WFSAsyncGetInfo"));
}

} // namespace
