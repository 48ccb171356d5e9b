// A control's IDispatch: names and type information from its dispinterface,
// calls made through its hidden vtable interface (see AxDispatch.h).
#pragma once

#include "AxControlBase.h"
#include "AxDispatch.h"
#include "TypeInfoDispatch.h"

class CAxControlDispatch : public zt_com::Dispatch<IDispatch> {
public:
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

protected:
    explicit CAxControlDispatch(const AxControlClassInfo &classInfo);
    virtual ~CAxControlDispatch() = default;

    // The hidden vtable interface that Invoke calls through.
    virtual IUnknown *GetDispatchTarget() = 0;

private:
    CAxDispatchTable m_vtable;
};
