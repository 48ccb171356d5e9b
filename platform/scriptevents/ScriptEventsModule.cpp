// The four exports of the ZTOperatorPanelX.ScriptEvents server.
#include "ComObject.h"
#include "InprocServer.h"
#include "ScriptEvents.h"
#include "ScriptEventsObject.h"

namespace {

const zt_com::InprocServerClass kServerClass = {
    &CLSID_ZTScriptEvents, zt_com::CreateInstance<zt_scriptevents::CScriptEvents>,
    L"ZTOperatorPanelX script event helper", ZT_SCRIPTEVENTS_PROGID L".1", ZT_SCRIPTEVENTS_PROGID};

} // namespace

ZT_COM_INPROC_SERVER_EXPORTS(kServerClass)
