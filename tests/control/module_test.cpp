// Loading and unloading the module: the process's hidden context window
// exists exactly while the module is loaded, whether or not a control was
// created, and the module reports when it can be unloaded.
#include <gtest/gtest.h>

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

} // namespace
