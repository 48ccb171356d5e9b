// In-process access to a control's event side as the TTU service sees it:
// a private interface of the control object that hands out its
// CTTUEventSink, so a host in the same process (the component tests) can
// raise each event exactly as the service does. Not in the type library and
// without a proxy, so it never crosses an apartment or process boundary.
#pragma once

#include <ole2.h>

#include "TTUEventSink.h"

// {4f128455-7235-4f5f-9ac4-6af8a13a691a}
inline const IID IID_IZTEventSinkAccess = {0x4f128455, 0x7235, 0x4f5f, {0x9a, 0xc4, 0x6a, 0xf8, 0xa1, 0x3a, 0x69, 0x1a}};

struct IZTEventSinkAccess : public IUnknown {
    // The control's event sink, valid while the caller holds the control.
    virtual CTTUEventSink *STDMETHODCALLTYPE GetEventSink() = 0;
};
