/*
 * The little an in-process COM server needs around its objects: the
 * module's count of live objects and locks (for DllCanUnloadNow), a class
 * factory over a creation function, self-registration of a class with its
 * ProgIDs, and the automation error a method hands back to a script.
 * Linked statically into each server, so every DLL has its own count.
 */
#ifndef ZT_COMSERVER_H
#define ZT_COMSERVER_H

#include <windows.h>
#include <ole2.h>

namespace zt_com {

void ModuleAddRef();
void ModuleRelease();
LONG ModuleLockCount();

// The module (DLL or EXE) whose code contains pAddress.
HMODULE ModuleOfAddress(const void *pAddress);

// Reference counting and the module's lifetime for one COM object.
class RefCounted {
public:
    RefCounted() { ModuleAddRef(); }
    virtual ~RefCounted() { ModuleRelease(); }
    RefCounted(const RefCounted &) = delete;
    RefCounted &operator=(const RefCounted &) = delete;

protected:
    ULONG AddReference() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }
    ULONG ReleaseReference()
    {
        const LONG cRef = InterlockedDecrement(&m_cRef);
        if (cRef == 0)
            delete this;
        return static_cast<ULONG>(cRef);
    }

private:
    LONG m_cRef = 1;
};

typedef HRESULT (*CreateInstanceFunction)(REFIID riid, void **ppv);

// DllGetClassObject for a server of one class.
HRESULT GetClassObject(REFCLSID rclsidAsked, REFIID riid, void **ppv, REFCLSID rclsidServed,
                       CreateInstanceFunction pfnCreate);

struct InprocServerClass {
    CLSID clsid;
    LPCWSTR pszDescription;
    LPCWSTR pszProgID;                   // versioned, "Vendor.Name.1"
    LPCWSTR pszVersionIndependentProgID; // "Vendor.Name"
};

// Apartment-threaded in-process server at hModule's path.
HRESULT RegisterInprocServer(HMODULE hModule, const InprocServerClass &serverClass);
HRESULT UnregisterInprocServer(const InprocServerClass &serverClass);

// Fills pExcepInfo (when given) so that a script's catch sees the text, and
// returns what IDispatch::Invoke must return for it.
HRESULT RaiseAutomationError(EXCEPINFO *pExcepInfo, HRESULT scode, LPCWSTR pszSource,
                             LPCWSTR pszDescription);

} // namespace zt_com

#endif
