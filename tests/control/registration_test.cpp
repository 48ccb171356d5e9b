// The module as installers and hosts see it. regsvr32 on the built module:
// unregistering removes the ProgIDs, the class and the type library;
// registering brings them back (the control stays registered, as the test
// prefix had it). Loading and unloading: the process's hidden context window
// exists exactly while the module is loaded, whether or not a control was
// created, and the module reports when it can be unloaded.
#include <gtest/gtest.h>

#include <string>

#include "ControlHost.h"
#include "ZTOperatorPanelX_h.h"

namespace {

int CountOwnContextWindows()
{
    struct Count {
        int n = 0;
    } count;
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) CALLBACK -> BOOL {
            WCHAR szClass[64] = {};
            DWORD dwProcess = 0;
            GetWindowThreadProcessId(hWnd, &dwProcess);
            GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
            if (dwProcess == GetCurrentProcessId() && wcscmp(szClass, L"TTUContextWindow") == 0)
                ++reinterpret_cast<Count *>(lParam)->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

TEST(ControlModule, LoadCreatesAndUnloadDestroysTheContextWindowOnce)
{
    ASSERT_EQ(0, CountOwnContextWindows());
    for (int round = 0; round < 2; ++round) {
        HMODULE hOcx = LoadLibraryW(L"ZTOperatorPanel30.ocx");
        ASSERT_NE(nullptr, hOcx);
        EXPECT_EQ(1, CountOwnContextWindows());
        HMODULE hAgain = LoadLibraryW(L"ZTOperatorPanel30.ocx");
        EXPECT_EQ(1, CountOwnContextWindows()) << "a second load of the same module changes nothing";
        FreeLibrary(hAgain);
        EXPECT_EQ(1, CountOwnContextWindows());
        FreeLibrary(hOcx);
        EXPECT_EQ(0, CountOwnContextWindows());
        WNDCLASSW wc = {};
        EXPECT_FALSE(GetClassInfoW(hOcx, L"TTUContextWindow", &wc)) << "class unregistered at unload";
    }
}

TEST(ControlModule, CanUnloadOnlyWhenNoFactoryObjectOrLockRemains)
{
    CoInitialize(nullptr);
    HMODULE hOcx = LoadLibraryW(L"ZTOperatorPanel30.ocx");
    ASSERT_NE(nullptr, hOcx);
    auto pfnGetClassObject = reinterpret_cast<HRESULT(WINAPI *)(REFCLSID, REFIID, void **)>(
        reinterpret_cast<void *>(GetProcAddress(hOcx, "DllGetClassObject")));
    auto pfnCanUnloadNow =
        reinterpret_cast<HRESULT(WINAPI *)()>(reinterpret_cast<void *>(GetProcAddress(hOcx, "DllCanUnloadNow")));
    ASSERT_TRUE(pfnGetClassObject && pfnCanUnloadNow);
    EXPECT_EQ(S_OK, pfnCanUnloadNow());
    IClassFactory *pFactory = nullptr;
    auto getFactory = [&] {
        return pfnGetClassObject(CLSID_ZTOperatorPanelX, IID_IClassFactory, reinterpret_cast<void **>(&pFactory));
    };
    ASSERT_EQ(S_OK, getFactory());
    EXPECT_EQ(S_FALSE, pfnCanUnloadNow()) << "a factory alone keeps the module";
    pFactory->Release();
    EXPECT_EQ(S_OK, pfnCanUnloadNow());

    ASSERT_EQ(S_OK, getFactory());
    IUnknown *pObject = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              pFactory->CreateInstance(pFactory, IID_IUnknown, reinterpret_cast<void **>(&pObject)));
    ASSERT_EQ(S_OK, pFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(&pObject)));
    pFactory->LockServer(TRUE);
    pFactory->Release();
    EXPECT_EQ(S_FALSE, pfnCanUnloadNow()) << "an object and a lock";
    pObject->Release();
    EXPECT_EQ(S_FALSE, pfnCanUnloadNow()) << "a lock";
    ASSERT_EQ(S_OK, getFactory());
    pFactory->LockServer(FALSE);
    pFactory->Release();
    EXPECT_EQ(S_OK, pfnCanUnloadNow());

    const CLSID unknown = {0x1};
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              pfnGetClassObject(unknown, IID_IClassFactory, reinterpret_cast<void **>(&pFactory)));
    CoUninitialize();
    FreeLibrary(hOcx);
}

DWORD RunRegsvr32(const std::wstring &strArgs)
{
    WCHAR szModule[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    std::wstring strOcx(szModule);
    strOcx = strOcx.substr(0, strOcx.rfind(L'\\') + 1) + L"ZTOperatorPanel30.ocx";
    std::wstring strCommand = L"regsvr32.exe /s " + strArgs + L" \"" + strOcx + L"\"";
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD dwExit = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExit;
}

bool ProgIDResolvesTo(LPCWSTR pszProgID, REFCLSID clsid)
{
    CLSID found = {};
    return SUCCEEDED(CLSIDFromProgID(pszProgID, &found)) && IsEqualCLSID(found, clsid);
}

bool TypeLibRegistered()
{
    ITypeLib *pTypeLib = nullptr;
    if (FAILED(LoadRegTypeLib(LIBID_ZTOPERATORPANELXLib, 1, 0, 0x0409, &pTypeLib)))
        return false;
    pTypeLib->Release();
    return true;
}

std::wstring GuidText(REFGUID guid)
{
    WCHAR szGuid[40] = {};
    StringFromGUID2(guid, szGuid, 40);
    return szGuid;
}

// Whether HKLM\Software\Classes\<prefix>{guid}<suffix> exists in the 64-bit
// or the 32-bit registry view.
bool ClassesKeyInView(LPCWSTR pszPrefix, REFGUID guid, LPCWSTR pszSuffix, bool b64BitView)
{
    const std::wstring strPath = std::wstring(L"Software\\Classes\\") + pszPrefix + GuidText(guid) + pszSuffix;
    HKEY hKey = nullptr;
    const REGSAM samView = b64BitView ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    const bool bFound = RegOpenKeyExW(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, KEY_READ | samView, &hKey) == ERROR_SUCCESS;
    return bFound && RegCloseKey(hKey) == ERROR_SUCCESS;
}

// A text value under the control's class key ("" when there is none).
std::wstring ClassValue(LPCWSTR pszSubKey, LPCWSTR pszName)
{
    WCHAR sz[MAX_PATH] = {};
    DWORD cb = sizeof sz;
    const std::wstring strKey = L"CLSID\\" + GuidText(CLSID_ZTOperatorPanelX) + pszSubKey;
    RegGetValueW(HKEY_CLASSES_ROOT, strKey.c_str(), pszName, RRF_RT_REG_SZ, nullptr, sz, &cb);
    return sz;
}

TEST(ControlRegistration, Regsvr32UnregistersAndRegistersTheControl)
{
    CoInitialize(nullptr);
    const CLSID clsidPage = {0xa9ba8a9f, 0xfa32, 0x40bd, {0xbc, 0x14, 0xa2, 0x05, 0xf2, 0x0e, 0xb2, 0xf5}};
    ASSERT_TRUE(ProgIDResolvesTo(CControlHost::PROGID, CLSID_ZTOperatorPanelX)) << "registered in the test prefix";

    EXPECT_EQ(0u, RunRegsvr32(L"/u"));
    EXPECT_FALSE(ProgIDResolvesTo(CControlHost::PROGID, CLSID_ZTOperatorPanelX));
    EXPECT_FALSE(ProgIDResolvesTo(L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl", CLSID_ZTOperatorPanelX));
    EXPECT_FALSE(ProgIDResolvesTo(L"ZTOPERATORPANELX.ZTOperatorPanelXPropPage.1", clsidPage));
    EXPECT_FALSE(TypeLibRegistered());
    EXPECT_EQ(nullptr, CreateControl());
    EXPECT_NE(0u, RunRegsvr32(L"/u")) << "nothing left to unregister: the type library step fails";

    EXPECT_EQ(0u, RunRegsvr32(L""));
    EXPECT_TRUE(ProgIDResolvesTo(CControlHost::PROGID, CLSID_ZTOperatorPanelX));
    EXPECT_TRUE(ProgIDResolvesTo(L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl", CLSID_ZTOperatorPanelX));
    EXPECT_TRUE(ProgIDResolvesTo(L"ZTOPERATORPANELX.ZTOperatorPanelXPropPage.1", clsidPage));
    EXPECT_TRUE(TypeLibRegistered());
    // Written in this architecture's registry view (the test prefix is a
    // 64-bit Windows): the class where hosts of this bitness look for it
    // only, the type library under win32 or win64.
    const bool b64 = sizeof(void *) == 8;
    EXPECT_TRUE(ClassesKeyInView(L"CLSID\\", CLSID_ZTOperatorPanelX, L"", b64));
    EXPECT_FALSE(ClassesKeyInView(L"CLSID\\", CLSID_ZTOperatorPanelX, L"", !b64));
    EXPECT_TRUE(ClassesKeyInView(L"CLSID\\", CLSID_ZTOperatorPanelX, L"\\Control", b64));
    EXPECT_FALSE(ClassesKeyInView(L"CLSID\\", CLSID_ZTOperatorPanelX, L"\\Implemented Categories", b64))
        << "never marked safe for scripting or initialisation";
    EXPECT_EQ(L"Apartment", ClassValue(L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"1.0", ClassValue(L"\\Version", nullptr));
    EXPECT_EQ(GuidText(LIBID_ZTOPERATORPANELXLib), ClassValue(L"\\TypeLib", nullptr));
    EXPECT_TRUE(ClassesKeyInView(L"TypeLib\\", LIBID_ZTOPERATORPANELXLib,
                                 b64 ? L"\\1.0\\409\\win64" : L"\\1.0\\409\\win32", b64));
    IDispatch *pControl = CreateControl();
    ASSERT_NE(nullptr, pControl);
    pControl->Release();

    LPOLESTR pszUserType = nullptr;
    ASSERT_EQ(S_OK, OleRegGetUserType(CLSID_ZTOperatorPanelX, USERCLASSTYPE_FULL, &pszUserType));
    EXPECT_STREQ(L"ZTOperatorPanelX Control", pszUserType);
    CoTaskMemFree(pszUserType);
    DWORD dwMisc = 0;
    EXPECT_EQ(S_OK, OleRegGetMiscStatus(CLSID_ZTOperatorPanelX, DVASPECT_CONTENT, &dwMisc));
    EXPECT_EQ(0x00020091u, dwMisc);
    CoUninitialize();
}

} // namespace
