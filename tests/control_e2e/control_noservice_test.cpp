// A control whose constructor could not create its service: the control
// module built with a factory that cannot make one, loaded from its file and
// driven through IDispatch. Every member must still answer: the methods
// trace their call and refuse with -15 (or FALSE, or an empty string) without
// any XFS call, and the properties show the values of a service that never
// asked the device.
#include <gtest/gtest.h>

#include "ControlHost.h"
#include "ZTOperatorPanelX_h.h"
#include "trcutil30.h"
#include "xfsapi.h"
#include "xfsdiag.h"

namespace {

class NoServiceControl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        m_hModule = LoadLibraryW(L"ZTOperatorPanelNoService.ocx");
        ASSERT_NE(nullptr, m_hModule);
        typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, LPVOID *);
        auto pfnGetClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void *>(GetProcAddress(m_hModule, "DllGetClassObject")));
        ASSERT_NE(nullptr, pfnGetClassObject);
        IClassFactory *pFactory = nullptr;
        ASSERT_EQ(S_OK, pfnGetClassObject(CLSID_ZTOperatorPanelX, IID_IClassFactory, reinterpret_cast<void **>(&pFactory)));
        IDispatch *pDisp = nullptr;
        EXPECT_EQ(S_OK, pFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&pDisp)));
        pFactory->Release();
        m_pControl = new CControlHost(pDisp);
        WFMDiagResetCallCounts();
        TrcCaptureClear();
        TrcCaptureStart();
    }

    void TearDown() override
    {
        delete m_pControl;
        TrcCaptureStop();
        TrcCaptureClear();
        EXPECT_EQ(0, WFMDiagLiveBufferCount());
        // The module stays loaded: COM may still hold its class objects.
    }

    HMODULE m_hModule = nullptr;
    CControlHost *m_pControl = nullptr;
};

TEST_F(NoServiceControl, MethodsTraceAndRefuseWithoutTouchingTheSession)
{
    CControlHost &control = *m_pControl;
    ASSERT_TRUE(control.Ok());

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

    EXPECT_EQ(0, WFMDiagCallCount("WFSStartUp"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncOpen"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
    // Each call still wrote its one "Invoked" line.
    EXPECT_EQ(9u, CapturedLinesWith(" METHOD Ctrl::").size());
    EXPECT_EQ(1u, CapturedLinesWith("METHOD Ctrl::Beep Invoked {BeepType[KEYPRESS], Continuous[0]}").size());
}

TEST_F(NoServiceControl, PropertiesShowAServiceThatNeverAsked)
{
    CControlHost &control = *m_pControl;
    ASSERT_TRUE(control.Ok());

    EXPECT_EQ(L"DEVNODEVICE", control.GetString(L"DeviceStatus"));
    EXPECT_EQ(L"NOTAVAILABLE", control.GetString(L"KeyboardStatus"));
    EXPECT_FALSE(control.GetBool(L"HasKeyLock"));
    EXPECT_FALSE(control.GetBool(L"CanSupportForms"));
    VARIANT sizes = control.Get(L"SupportedScreenSizeX");
    EXPECT_EQ(VT_EMPTY, sizes.vt);
    EXPECT_EQ(L"ASCII", control.GetString(L"SupportedCharSets"));
    EXPECT_EQ(L"", control.GetString(L"Keys"));
    EXPECT_EQ(L"", control.GetString(L"FormName"));
    EXPECT_EQ(L"ASCII", control.GetString(L"FormCharSet"));
    EXPECT_EQ(L"TEXT", control.GetString(L"FormFieldType"));
    EXPECT_EQ(L"STATIC", control.GetString(L"FormFieldClass"));
    EXPECT_EQ(L"READ", control.GetString(L"FormFieldAccess"));
    EXPECT_EQ(L"TERMINATE", control.GetString(L"FormFieldOverflow"));
    VARIANT fields = control.Get(L"FormFieldList");
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, fields.vt);
    VariantClear(&fields);
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
}

} // namespace
