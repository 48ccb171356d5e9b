// ZTScriptEventsTestSource.dll: the test event source as a registered
// in-process server, for the scripts.
#include "ComModule.h"
#include "InprocServer.h"
#include "TestSource.h"

namespace {

HRESULT CreateWithClassInfo(REFIID riid, void **ppv)
{
    return CreateTestSource(true, riid, ppv);
}

const zt_com::InprocServerClass kServerClass = {&CLSID_TestSource, CreateWithClassInfo,
                                                L"Script event helper test source", ZT_TESTSOURCE_PROGID L".1",
                                                ZT_TESTSOURCE_PROGID};

} // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    return zt_com::GetClassObject(&kServerClass, 1, rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return zt_com::CanUnloadModule();
}

STDAPI DllRegisterServer()
{
    return zt_com::RegisterInprocServer(kServerClass);
}

STDAPI DllUnregisterServer()
{
    return zt_com::UnregisterInprocServer(kServerClass);
}
