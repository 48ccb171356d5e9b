/*
 * Finding what an event source fires: the IID of its default source
 * interface and that interface's type information (which names each event
 * DISPID). Asked first of the object's class information
 * (IProvideClassInfo/IProvideClassInfo2); an object without it is looked up
 * through its IDispatch type information, in the coclasses of the type
 * library that describes it.
 */
#ifndef ZT_SCRIPTEVENTS_SOURCEINTERFACE_H
#define ZT_SCRIPTEVENTS_SOURCEINTERFACE_H

#include <windows.h>
#include <ole2.h>

namespace zt_scriptevents {

// S_OK with *piid and *ppEventInfo set (the caller releases it), or an error:
// E_NOINTERFACE when nothing tells what the object fires.
HRESULT FindDefaultSourceInterface(IDispatch *pSource, IID *piid, ITypeInfo **ppEventInfo);

} // namespace zt_scriptevents

#endif
