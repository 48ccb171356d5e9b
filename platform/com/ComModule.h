// The module's count of what keeps it loaded: live objects, class factories
// and IClassFactory::LockServer. Linked statically into each server, so every
// DLL has a count of its own for its DllCanUnloadNow.
#pragma once

#include <windows.h>

#include <string>

namespace zt_com {

void LockModule();
void UnlockModule();

// S_OK when nothing holds the module, else S_FALSE.
HRESULT CanUnloadModule();

// The module (DLL or EXE) this code is linked into; its resources and its
// embedded type library are found there.
HMODULE ThisModule();
// Full path of a module.
std::wstring ModulePath(HMODULE hModule);

// Holds one module lock for as long as it lives.
class ModuleLock {
public:
    ModuleLock() { LockModule(); }
    ~ModuleLock() { UnlockModule(); }
    ModuleLock(const ModuleLock &) = delete;
    ModuleLock &operator=(const ModuleLock &) = delete;
};

} // namespace zt_com
