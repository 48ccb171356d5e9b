// The base class of an ActiveX control: everything a container or a script
// host needs from the object, composed of one part per interface family,
// with hooks the control class fills in.
//
// - IDispatch through the type library (CAxControlDispatch): the control
//   implements a hidden vtable interface and returns it from GetDispatchTarget.
// - The event connection point and IProvideClassInfo2 (CAxControlEvents).
// - Embedding: IOleObject, in-place activation and IOleControl
//   (CAxControlOle); in-place activation creates a child window whose
//   painting, like IViewObject::Draw (CAxControlView), is the control's OnDraw.
// - IPersistStreamInit through DoPropExchange (CAxControlPersist),
//   ISpecifyPropertyPages (CAxControlPages).
// No IObjectSafety: a control built on this base is never marked safe for
// scripting or initialisation by a web page.
//
// Objects are created as zt_com::Object<control class>: not aggregatable,
// living on their creating (apartment) thread, and keeping the module loaded
// while they exist.
#pragma once

#include "AxControlDispatch.h"
#include "AxControlEvents.h"
#include "AxControlOle.h"
#include "AxControlPages.h"
#include "AxControlPersist.h"
#include "AxControlView.h"
#include "ComObject.h"

class CAxControl : public CAxControlBase,
                   public CAxControlDispatch,
                   public CAxControlEvents,
                   public CAxControlOle,
                   public CAxControlView,
                   public CAxControlPersist,
                   public CAxControlPages {
public:
    // What the base answers in QueryInterface; a control's own table ends
    // with these (zt_com::BaseEntries).
    static const zt_com::InterfaceEntry *Interfaces();

protected:
    explicit CAxControl(const AxControlClassInfo &classInfo);

private:
    CAxControlBase &Shared() { return *this; }
};
