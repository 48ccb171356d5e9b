/*
 * The helper object behind ZTOperatorPanelX.ScriptEvents (see
 * ScriptEvents.h for what a script calls). Its IDispatch is written out by
 * hand over the foundation's (which gives no type information): four
 * methods do not need a type library, and scripts only ever call it late-bound.
 */
#ifndef ZT_SCRIPTEVENTS_SCRIPTEVENTSOBJECT_H
#define ZT_SCRIPTEVENTS_SCRIPTEVENTSOBJECT_H

#include "ComObject.h"
#include "TypeInfoDispatch.h"

#include <ocidl.h>

#include <map>

namespace zt_scriptevents {

class DispArguments;

// Created as zt_com::Object<CScriptEvents>.
class CScriptEvents : public zt_com::Dispatch<IDispatch> {
public:
    static const zt_com::InterfaceEntry *Interfaces();

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *ppszNames, UINT cNames, LCID lcid,
                               DISPID *pDispIds) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

protected:
    // Connections still open when the script lets go of the helper are
    // closed, so no source keeps calling into a finished script.
    ~CScriptEvents();

private:

    HRESULT Connect(DispArguments &args, VARIANT *pVarResult, EXCEPINFO *pExcepInfo);
    HRESULT Disconnect(DispArguments &args, EXCEPINFO *pExcepInfo);
    HRESULT Pump(DispArguments &args, EXCEPINFO *pExcepInfo);
    HRESULT PumpUntil(DispArguments &args, VARIANT *pVarResult, EXCEPINFO *pExcepInfo);

    struct Connection {
        IConnectionPoint *pPoint;
        DWORD dwPointCookie;
    };
    std::map<LONG, Connection> m_connections; // by the cookie Connect returned
    LONG m_lNextCookie = 1;
};

} // namespace zt_scriptevents

#endif
