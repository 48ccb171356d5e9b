#include "ComModule.h"

#include <vector>

namespace zt_com {
namespace {

LONG g_cModuleLocks = 0;

LONG ModuleLockCount()
{
    return InterlockedCompareExchange(&g_cModuleLocks, 0, 0);
}

} // namespace

void LockModule()
{
    InterlockedIncrement(&g_cModuleLocks);
}

void UnlockModule()
{
    InterlockedDecrement(&g_cModuleLocks);
}

HRESULT CanUnloadModule()
{
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

HMODULE ThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&g_cModuleLocks), &hModule);
    return hModule;
}

std::wstring ModulePath(HMODULE hModule)
{
    std::vector<WCHAR> buffer(MAX_PATH);
    for (;;) {
        const DWORD cch = GetModuleFileNameW(hModule, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (cch < buffer.size())
            return std::wstring(buffer.data(), cch);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace zt_com
