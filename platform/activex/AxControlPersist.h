// A control's persistent state in a stream (IPersistStreamInit), written and
// read by one exchange (see AxPropExchange.h).
#pragma once

#include <ocidl.h>

#include "AxControlBase.h"
#include "AxPropExchange.h"

class CAxControlPersist : public IPersistStreamInit {
public:
    STDMETHODIMP GetClassID(CLSID *pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM pStm) override;
    STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *pCbSize) override;
    STDMETHODIMP InitNew() override;

protected:
    explicit CAxControlPersist(CAxControlBase &control) : m_control(control) {}
    virtual ~CAxControlPersist() = default;

    // The control's persistent state; the base exchanges the stock state (the extent).
    virtual void DoPropExchange(CAxPropExchange &px);
    // Back to the state of a new control (IPersistStreamInit::InitNew).
    virtual void OnResetState();

private:
    CAxControlBase &m_control;
};
