// What hosts pass at the control's automation surface: malformed VARIANTs,
// null strings, and arguments too big for one trace line.
#include <climits>
#include <string>

#include "ControlHostTest.h"
#include "xfsapi.h"

namespace {

class HostSurface : public CControlHostTest {};

VARIANT Malformed(VARTYPE vt)
{
    VARIANT var;
    VariantInit(&var);
    V_VT(&var) = vt;  // the value (a reference) stays null
    return var;
}

TEST_F(HostSurface, MalformedOutArgumentsAreRefusedWithAnAutomationError)
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

TEST_F(HostSurface, NullFormNameIsRefusedAsNotAssigned)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    const LPCWSTR lpszNull = nullptr;
    EXPECT_EQ(-1, control.Call(L"WriteForm", {lpszNull, 0, L"PIN=1"}));
    EXPECT_EQ(-1, control.Call(L"ReadForm", {lpszNull, L"", short(30)}));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo") + WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(2u, CapturedLinesWith("FormName is not assigned").size());
    // An empty name is a name: it is asked for.
    EXPECT_NE(-1, control.Call(L"WriteForm", {L"", 0, L""}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(HostSurface, AHugeArgumentMakesOneCutTraceLine)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    const std::wstring strText(1 << 20, L'X');
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"Write", {short(0), short(0), L"", strText.c_str()}));
    const std::vector<std::string> lines = CapturedLinesWith("METHOD Ctrl::Write Invoked");
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
