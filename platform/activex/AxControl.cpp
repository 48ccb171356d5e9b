#include "AxControl.h"

// The parts that share the base's state get it by reference; it is
// constructed first, as the first base.
CAxControl::CAxControl(const AxControlClassInfo &classInfo)
    : CAxControlBase(classInfo), CAxControlDispatch(classInfo), CAxControlEvents(classInfo),
      CAxControlOle(Shared()), CAxControlView(Shared()), CAxControlPersist(Shared()), CAxControlPages(classInfo)
{
}

const zt_com::InterfaceEntry *CAxControl::Interfaces()
{
    using zt_com::Entry;
    static const zt_com::InterfaceEntry s_table[] = {
        Entry<CAxControl, IDispatch>(IID_IDispatch),
        Entry<CAxControl, IConnectionPointContainer>(IID_IConnectionPointContainer),
        Entry<CAxControl, IProvideClassInfo2>(IID_IProvideClassInfo),
        Entry<CAxControl, IProvideClassInfo2>(IID_IProvideClassInfo2),
        Entry<CAxControl, IOleObject>(IID_IOleObject),
        Entry<CAxControl, IOleInPlaceObject>(IID_IOleWindow),
        Entry<CAxControl, IOleInPlaceObject>(IID_IOleInPlaceObject),
        Entry<CAxControl, IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
        Entry<CAxControl, IOleControl>(IID_IOleControl),
        Entry<CAxControl, IViewObject2>(IID_IViewObject),
        Entry<CAxControl, IViewObject2>(IID_IViewObject2),
        Entry<CAxControl, IPersistStreamInit>(IID_IPersist),
        Entry<CAxControl, IPersistStreamInit>(IID_IPersistStreamInit),
        Entry<CAxControl, ISpecifyPropertyPages>(IID_ISpecifyPropertyPages),
        zt_com::EndOfTable(),
    };
    return s_table;
}
