/*
 * ZTOperatorPanelX.ScriptEvents: what a script under a host without
 * WScript.ConnectObject and WScript.Sleep uses to receive an object's events
 * and to wait for them.
 *
 *   cookie = helper.Connect(source, handler, prefix)
 *       every event Name of source's default source interface calls
 *       handler.<prefix>Name(arguments...); JScript passes `this` (the
 *       global object), VBScript an instance of one of its classes.
 *   helper.Disconnect(cookie)
 *   helper.Pump(milliseconds)            (also as Sleep) dispatches the
 *       thread's messages for that long
 *   met = helper.PumpUntil(milliseconds, condition)
 *       the same, but returns true as soon as condition() is true (a JScript
 *       function, or GetRef("Name") in VBScript), false when time ran out.
 */
#ifndef ZT_SCRIPTEVENTS_SCRIPTEVENTS_H
#define ZT_SCRIPTEVENTS_SCRIPTEVENTS_H

#include <windows.h>

// {4C3B94CA-83E4-428A-8000-B23A701A640B}
static const CLSID CLSID_ZTScriptEvents = {
    0x4c3b94ca, 0x83e4, 0x428a, {0x80, 0x00, 0xb2, 0x3a, 0x70, 0x1a, 0x64, 0x0b}};

#define ZT_SCRIPTEVENTS_PROGID L"ZTOperatorPanelX.ScriptEvents"

// The helper's DISPIDs (its names are looked up without regard to case).
enum ScriptEventsDispId {
    DISPID_SCRIPTEVENTS_CONNECT = 1,
    DISPID_SCRIPTEVENTS_DISCONNECT = 2,
    DISPID_SCRIPTEVENTS_PUMP = 3,
    DISPID_SCRIPTEVENTS_PUMPUNTIL = 4,
};

#endif
