/*
 * The sink Connect advises on a source: it answers the source's event
 * interface as a plain IDispatch, names each incoming event DISPID from the
 * event type information, and calls prefix + name on the handler object with
 * the event's arguments unchanged. A handler that has no such member simply
 * does not hear that event.
 */
#ifndef ZT_SCRIPTEVENTS_HANDLERSINK_H
#define ZT_SCRIPTEVENTS_HANDLERSINK_H

#include "ComServer.h"

#include <dispex.h>

#include <map>
#include <string>

namespace zt_scriptevents {

class CHandlerSink : public IDispatch, public zt_com::RefCounted {
public:
    CHandlerSink(REFIID iidEvents, ITypeInfo *pEventInfo, IDispatch *pHandler, const std::wstring &strPrefix);

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    STDMETHODIMP GetTypeInfoCount(UINT *pcTypeInfo) override;
    STDMETHODIMP GetTypeInfo(UINT uIndex, LCID lcid, ITypeInfo **ppTypeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *ppszNames, UINT cNames, LCID lcid,
                               DISPID *pDispIds) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

private:
    ~CHandlerSink() override;

    // Where an event goes on the handler: the member and how to call it.
    struct HandlerMember {
        DISPID dispId;
        bool bThroughDispatchEx;
    };
    bool FindHandlerMember(DISPID dispIdEvent, HandlerMember *pMember);

    const IID m_iidEvents;
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
