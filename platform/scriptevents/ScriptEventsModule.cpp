// The four exports of the ZTOperatorPanelX.ScriptEvents server.
#include "ComObject.h"
#include "ComModule.h"
#include "InprocServer.h"
#include "ScriptEvents.h"
#include "ScriptEventsObject.h"

namespace {

const zt_com::InprocServerClass kServerClass = {
    &CLSID_ZTScriptEvents, zt_com::CreateInstance<zt_scriptevents::CScriptEvents>,
    L"ZTOperatorPanelX script event helper", ZT_SCRIPTEVENTS_PROGID L".1", ZT_SCRIPTEVENTS_PROGID};

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
