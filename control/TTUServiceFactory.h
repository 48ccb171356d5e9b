// Where the control gets its TTU service. The control creates one service
// object per instance and hands it itself as the sink of its events; the
// service is the CService that the instance window delivers XFS messages to.
// Built without the TTU service (ZT_HAVE_TTU_SERVICE undefined), no service
// is created and the control stays without service and window, which every
// part of the control treats as a normal state (the end-to-end tests build
// such a control to check what it answers).
#pragma once

class CService;
class CTTUService;
class CTTUEventSink;

// Null when the service cannot be created.
CTTUService *CreateTTUService(CTTUEventSink *pCtrl);
void DeleteTTUService(CTTUService *pService);
// The session base of a service (null for null).
CService *GetServiceSession(CTTUService *pService);
