#include <gtest/gtest.h>

#include <olectl.h>

#include <vector>

#include "AxModule.h"
#include "AxRegistry.h"

namespace {

std::vector<int> g_calls;

// A class's registration step: records its number (negative when
// unregistering) and answers hr.
template <int N, HRESULT hr>
HRESULT Step(HINSTANCE, BOOL bRegister)
{
    g_calls.push_back(bRegister ? N : -N);
    return hr;
}

const CLSID kNoClass = {0};
const AxClassEntry kEntries[] = {
    {&kNoClass, nullptr, Step<1, S_OK>},
    {&kNoClass, nullptr, Step<2, E_ACCESSDENIED>},
    {&kNoClass, nullptr, Step<3, S_OK>},
};

TEST(SelfRegistration, ModuleWithoutTypeLibraryFailsBeforeAnyClass)
{
    g_calls.clear();
    // This test program has no TYPELIB resource.
    EXPECT_EQ(SELFREG_E_TYPELIB, AxRegisterServer(GetModuleHandleW(nullptr), kEntries, 3));
    EXPECT_EQ(SELFREG_E_TYPELIB, AxUnregisterServer(GetModuleHandleW(nullptr), kEntries, 3));
    EXPECT_TRUE(g_calls.empty());
}

TEST(SelfRegistration, FailingClassStepStopsWithClassError)
{
    // The control's module carries a real type library; registering it again
    // for the same path changes nothing.
    HMODULE hOcx = LoadLibraryW(L"ZTOperatorPanel30.ocx");
    ASSERT_NE(nullptr, hOcx);
    g_calls.clear();
    EXPECT_EQ(SELFREG_E_CLASS, AxRegisterServer(hOcx, kEntries, 3));
    EXPECT_EQ((std::vector<int>{1, 2}), g_calls);
    g_calls.clear();
    EXPECT_EQ(S_OK, AxRegisterServer(hOcx, kEntries, 1));
    EXPECT_EQ(std::vector<int>{1}, g_calls);
    FreeLibrary(hOcx);
}

// What the keys of a class say is checked on the control's own registration.
TEST(SelfRegistration, UnregisteringAnAbsentClassIsNoError)
{
    const CLSID clsid = {0x5e1f0c0a, 0x1b2c, 0x4d3e, {0x8f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6}};
    EXPECT_EQ(S_OK, AxUnregisterClass(clsid, L"AxTest.NeverRegistered.3"));
}

} // namespace
