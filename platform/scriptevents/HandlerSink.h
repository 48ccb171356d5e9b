/*
 * The sink Connect advises on a source: it answers the source's event
 * interface as a plain IDispatch, names each incoming event DISPID from the
 * event type information, and calls prefix + name on the handler object with
 * the event's arguments unchanged. A handler that has no such member simply
 * does not hear that event.
 */
#ifndef ZT_SCRIPTEVENTS_HANDLERSINK_H
#define ZT_SCRIPTEVENTS_HANDLERSINK_H

#include "ComObject.h"
#include "TypeInfoDispatch.h"

#include <dispex.h>

#include <map>
#include <string>

namespace zt_scriptevents {

// Created as zt_com::Object<CHandlerSink>; it has no type information.
class CHandlerSink : public zt_com::Dispatch<IDispatch> {
public:
    CHandlerSink(REFIID iidEvents, ITypeInfo *pEventInfo, IDispatch *pHandler, const std::wstring &strPrefix);

    // IDispatch, also as the source's event interface.
    const zt_com::InterfaceEntry *Interfaces() const { return m_interfaces; }

    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

protected:
    ~CHandlerSink();

private:

    // Where an event goes on the handler: the member and how to call it.
    struct HandlerMember {
        DISPID dispId;
        bool bThroughDispatchEx;
    };
    bool FindHandlerMember(DISPID dispIdEvent, HandlerMember *pMember);

    const IID m_iidEvents;
    zt_com::InterfaceEntry m_interfaces[3];
    ITypeInfo *m_pEventInfo;
    IDispatch *m_pHandler;
    IDispatchEx *m_pHandlerEx; // nullptr when the handler has no IDispatchEx
    const std::wstring m_strPrefix;
    // Members found, by event DISPID. Misses are not kept: a script may
    // define its handler after connecting.
    std::map<DISPID, HandlerMember> m_foundMembers;
};

} // namespace zt_scriptevents

#endif
