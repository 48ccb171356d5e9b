// ZTScriptEventsTestSource.dll: the test event source as a registered
// in-process server, for the scripts.
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

ZT_COM_INPROC_SERVER_EXPORTS(kServerClass)
