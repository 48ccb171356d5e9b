// The test event source (coclass TestSource of TestSource.idl). Its
// IDispatch goes through the type library embedded in the module that
// contains this code; without class information (bProvideClassInfo false)
// the helper has to find its events through that type library instead.
#ifndef ZT_TESTS_SCRIPTEVENTS_TESTSOURCE_H
#define ZT_TESTS_SCRIPTEVENTS_TESTSOURCE_H

#include "TestSource_h.h"

#include <windows.h>

HRESULT CreateTestSource(bool bProvideClassInfo, REFIID riid, void **ppv);

#define ZT_TESTSOURCE_PROGID L"ZTScriptEventsTest.Source"

#endif
