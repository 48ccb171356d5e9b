#include <gtest/gtest.h>

#include <olectl.h>

#include <vector>

#include "AxModule.h"
#include "AxRegistry.h"

namespace {

std::vector<int> g_calls;

HRESULT Succeeds1(HINSTANCE, BOOL bRegister)
{
    g_calls.push_back(bRegister ? 1 : -1);
    return S_OK;
}

HRESULT Fails2(HINSTANCE, BOOL bRegister)
{
    g_calls.push_back(bRegister ? 2 : -2);
    return E_ACCESSDENIED;
}

HRESULT Succeeds3(HINSTANCE, BOOL bRegister)
{
    g_calls.push_back(bRegister ? 3 : -3);
    return S_OK;
}

const CLSID kNoClass = {0};
const AxClassEntry kEntries[] = {
    {&kNoClass, nullptr, Succeeds1},
    {&kNoClass, nullptr, Fails2},
    {&kNoClass, nullptr, Succeeds3},
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

TEST(SelfRegistration, ClassKeysAreWrittenAndRemoved)
{
    const CLSID clsid = {0x5e1f0c0a, 0x1b2c, 0x4d3e, {0x8f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6}};
    const GUID libid = {0x5e1f0c0b, 0x1b2c, 0x4d3e, {0x8f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6}};
    const AxControlRegistration reg = {&clsid, L"AxTest.RegisteredControl.3", 0, 1,
                                       AX_REG_APARTMENT_THREADING, 0x20091, &libid, 1, 0};
    ASSERT_EQ(S_OK, AxRegisterControlClass(GetModuleHandleW(nullptr), reg));

    CLSID found = {};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"AxTest.RegisteredControl.3", &found));
    EXPECT_TRUE(IsEqualCLSID(clsid, found));
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"AxTest.RegisteredControl", &found)) << "version-independent ProgID";
    EXPECT_TRUE(IsEqualCLSID(clsid, found));

    const std::wstring strKey = L"CLSID\\" + AxGuidString(clsid);
    auto read = [&](const std::wstring &sub, LPCWSTR name) {
        WCHAR sz[MAX_PATH] = {};
        DWORD cb = sizeof sz;
        RegGetValueW(HKEY_CLASSES_ROOT, (strKey + sub).c_str(), name, RRF_RT_REG_SZ, nullptr, sz, &cb);
        return std::wstring(sz);
    };
    EXPECT_EQ(L"Apartment", read(L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"131217", read(L"\\MiscStatus\\1", nullptr));
    EXPECT_EQ(L"1.0", read(L"\\Version", nullptr));
    EXPECT_EQ(AxGuidString(libid), read(L"\\TypeLib", nullptr));
    HKEY hKey = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, (strKey + L"\\Control").c_str(), 0, KEY_READ, &hKey));
    RegCloseKey(hKey);
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, (strKey + L"\\Implemented Categories").c_str(), 0,
                                           KEY_READ, &hKey))
        << "never marked safe for scripting or initialisation";

    EXPECT_EQ(S_OK, AxUnregisterClass(clsid, L"AxTest.RegisteredControl.3"));
    EXPECT_NE(S_OK, CLSIDFromProgID(L"AxTest.RegisteredControl.3", &found));
    EXPECT_NE(S_OK, CLSIDFromProgID(L"AxTest.RegisteredControl", &found));
    EXPECT_EQ(S_OK, AxUnregisterClass(clsid, L"AxTest.RegisteredControl.3")) << "absent keys are no error";
}

} // namespace
