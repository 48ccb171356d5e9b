// A control's outgoing side as hosts find it: the event connection point
// (IConnectionPointContainer) and the class information naming the event
// interface (IProvideClassInfo2).
#pragma once

#include <ocidl.h>

#include "AxControlBase.h"
#include "AxEvents.h"
#include "TypeInfoDispatch.h"

class CAxControlEvents :    public IConnectionPointContainer,
                         public zt_com::ProvideClassInfo {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override;

protected:
    explicit CAxControlEvents(const AxControlClassInfo &classInfo);
    virtual ~CAxControlEvents();

    CAxConnectionPoint &EventPoint() { return m_eventPoint; }

private:
    CAxConnectionPoint m_eventPoint;
};
