// The four exports of the ZTOperatorPanelX.ScriptEvents server.
#include "ComServer.h"
#include "ScriptEvents.h"
#include "ScriptEventsObject.h"

namespace {

const zt_com::InprocServerClass kServerClass = {
    CLSID_ZTScriptEvents, L"ZTOperatorPanelX script event helper", ZT_SCRIPTEVENTS_PROGID L".1",
    ZT_SCRIPTEVENTS_PROGID};

} // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    return zt_com::GetClassObject(rclsid, riid, ppv, CLSID_ZTScriptEvents,
                                  &zt_scriptevents::CScriptEvents::Create);
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
