// ZTScriptEventsTestSource.dll: the test event source as a registered
// in-process server, for the scripts.
#include "ComServer.h"
#include "TestSource.h"

namespace {

const zt_com::InprocServerClass kServerClass = {CLSID_TestSource, L"Script event helper test source",
                                                ZT_TESTSOURCE_PROGID L".1", ZT_TESTSOURCE_PROGID};

HRESULT CreateWithClassInfo(REFIID riid, void **ppv)
{
    return CreateTestSource(true, riid, ppv);
}

} // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    return zt_com::GetClassObject(rclsid, riid, ppv, CLSID_TestSource, &CreateWithClassInfo);
}

STDAPI DllCanUnloadNow()
{
    return zt_com::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return zt_com::RegisterInprocServer(zt_com::ModuleOfAddress(&kServerClass), kServerClass);
}

STDAPI DllUnregisterServer()
{
    return zt_com::UnregisterInprocServer(kServerClass);
}
