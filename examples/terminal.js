// terminal.js: a small terminal application on the operator panel, in JScript.
//
//   cscript //nologo terminal.js [READ-TIMEOUT-MS]
//
// It opens the session, lights the LEDs, reads a PIN with hidden echo, offers
// an amount on the function keys, shows the choice in the TRANSFER form and
// closes the session, printing every event of the control as it arrives.
// The last line is "terminal: finished" and the exit code 0 when it ran to
// its end; anything else prints "terminal: FAILED ..." and exits 1.
//
// Script hosts without WScript.ConnectObject and WScript.Sleep (Wine's
// cscript) receive the events through the helper ZTOperatorPanelX.ScriptEvents:
// it calls Panel_<EventName> on this script's global object, and its
// PumpUntil dispatches the thread's messages (which carry every completion)
// until a condition holds.

var PROGID = "ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";
var readTimeout = WScript.Arguments.length > 0 ? parseInt(WScript.Arguments(0), 10) : 20000;
// A command completes within the control's own 30 s time-out; a read may
// take the whole time the operator is given.
var COMMAND_WAIT = 35000;
var READ_WAIT = readTimeout + 5000;

// Events that end the application when they arrive unasked for.
var FAILURES = { FatalError: 1, DeviceError: 1, Timeout: 1, ReadCancelled: 1, FieldError: 1 };

var script = this;        // the global object, which receives the events
var panel = null;
var helper = null;
var arrived = {};         // event name -> number of arrivals not yet waited for
var failure = null;       // the first failure event, as printed
var lastCommandKey = 0;   // wCommandKey of the last TTUKeyPressed
var hideKeys = false;     // while a PIN is entered its digits are never printed

function log(text) { WScript.Echo(text); }

// ---- Events ---------------------------------------------------------------

function onEvent(name, args) {
    var shown = [];
    for (var i = 0; i < args.length; i++)
        shown.push(hideKeys && isSecret(name, i) ? "*" : String(args[i]));
    var line = name + "(" + shown.join(", ") + ")";
    log("  event " + line);
    if (name == "TTUKeyPressed")
        lastCommandKey = args[2];
    arrived[name] = (arrived[name] || 0) + 1;
    if (FAILURES[name] && failure == null)
        failure = line;
}

// The characters of a key press and the text read carry the PIN.
function isSecret(name, index) {
    return (name == "TTUKeyPressed" && index < 2) || name == "ReadComplete";
}

function Panel_FatalError() { onEvent("FatalError", arguments); }
function Panel_DeviceError() { onEvent("DeviceError", arguments); }
function Panel_LockGranted() { onEvent("LockGranted", arguments); }
function Panel_LockReleased() { onEvent("LockReleased", arguments); }
function Panel_LockTimeout() { onEvent("LockTimeout", arguments); }
function Panel_Timeout() { onEvent("Timeout", arguments); }
function Panel_ReadFormComplete() { onEvent("ReadFormComplete", arguments); }
function Panel_ReadCancelled() { onEvent("ReadCancelled", arguments); }
function Panel_UserCancelled() { onEvent("UserCancelled", arguments); }
function Panel_ReadComplete() { onEvent("ReadComplete", arguments); }
function Panel_DeviceStatusChanged() { onEvent("DeviceStatusChanged", arguments); }
function Panel_KeyboardStatusChanged() { onEvent("KeyboardStatusChanged", arguments); }
function Panel_KeylockStatusChanged() { onEvent("KeylockStatusChanged", arguments); }
function Panel_LEDStatusChanged() { onEvent("LEDStatusChanged", arguments); }
function Panel_DisplaySizeXStatusChanged() { onEvent("DisplaySizeXStatusChanged", arguments); }
function Panel_DisplaySizeYStatusChanged() { onEvent("DisplaySizeYStatusChanged", arguments); }
function Panel_FieldError() { onEvent("FieldError", arguments); }
function Panel_FieldWarning() { onEvent("FieldWarning", arguments); }
function Panel_TTUKeyPressed() { onEvent("TTUKeyPressed", arguments); }
function Panel_ResetComplete() { onEvent("ResetComplete", arguments); }
function Panel_BeepComplete() { onEvent("BeepComplete", arguments); }
function Panel_ClearScreenComplete() { onEvent("ClearScreenComplete", arguments); }
function Panel_DisplayLightComplete() { onEvent("DisplayLightComplete", arguments); }
function Panel_WriteComplete() { onEvent("WriteComplete", arguments); }
function Panel_WriteFormComplete() { onEvent("WriteFormComplete", arguments); }

// Pumps messages until one of the named events has arrived and returns its
// name; a failure event or the end of the wait ends the application.
function waitFor(names, ms) {
    function first() {
        for (var i = 0; i < names.length; i++)
            if (arrived[names[i]] > 0)
                return names[i];
        return null;
    }
    var met = helper.PumpUntil(ms, function () { return failure != null || first() != null; });
    if (failure != null)
        throw new Error(failure);
    if (!met)
        throw new Error("no " + names.join(" or ") + " within " + ms + " ms");
    var name = first();
    arrived[name]--;
    return name;
}

// A method's result only says whether the request was accepted (0); its
// outcome is the event.
function issue(what, result) {
    log(what + " -> " + result);
    if (result != 0)
        throw new Error(what + " refused with " + result);
}

function command(what, result, completion) {
    issue(what, result);
    waitFor([completion], COMMAND_WAIT);
}

// ---- Screens --------------------------------------------------------------

// On a panel with a cursor the control places text relative to the cursor,
// elsewhere at absolute positions. Each screen is therefore written in one
// piece onto a cleared display (which puts the cursor at 0,0), and input is
// read where the screen's text ended: offset 0,0 from the cursor, or that
// end as an absolute position.
function showScreen(text) {
    command("ClearScreen", panel.ClearScreen(0, 0, 0, 0), "ClearScreenComplete");
    command("Write", panel.Write(0, 0, "", text), "WriteComplete");
    var lines = text.split("\n");
    return panel.CanSupportCursor ? { x: 0, y: 0 }
                                  : { x: lines[lines.length - 1].length, y: lines.length - 1 };
}

// The cursor is on and the keyboard flushed, so that keys pressed before the
// prompt do not count; a terminate key ends the read (no AutoEnd). Flags are
// passed as 1 or 0: the type library declares them long, and JScript's true
// would arrive as -1.
function readKeys(at, echo, length, activeKeys, activeCommandKeys, terminateKeys) {
    issue("Read " + echo, panel.Read(at.x, at.y, "UNDERLINE", echo, length, 1, 1, 0, readTimeout,
                                     activeKeys, activeCommandKeys, terminateKeys));
    return waitFor(["ReadComplete", "UserCancelled"], READ_WAIT);
}

// ---- The application ------------------------------------------------------

var AMOUNTS = { 24: "20.00", 25: "50.00", 26: "100.00" }; // FDK01..FDK03

function serveCustomer() {
    var at = showScreen("ZT BANK\nENTER PIN: ");
    issue("SetLEDState 1", panel.SetLEDState(1, "SLOW"));
    hideKeys = true;
    var outcome = readKeys(at, "PASSWORD", 6, "0123456789", "CLEAR,BACKSPACE", "ENTER,CANCEL");
    hideKeys = false;
    if (outcome == "UserCancelled")
        return "";
    log("PIN entered");

    at = showScreen("SELECT AMOUNT\nF1  20.00 F2  50.00\nF3 100.00\nCANCEL TO END ");
    outcome = readKeys(at, "TEXT", 0, "", "", "FDK01,FDK02,FDK03,CANCEL");
    issue("SetLEDState 1", panel.SetLEDState(1, "OFF"));
    if (outcome == "UserCancelled")
        return "";
    if (!AMOUNTS[lastCommandKey])
        throw new Error("the read ended without a function key");
    return AMOUNTS[lastCommandKey];
}

function main() {
    helper = new ActiveXObject("ZTOperatorPanelX.ScriptEvents");
    panel = new ActiveXObject(PROGID);
    helper.Connect(panel, script, "Panel_");

    issue("OpenSessionSync", panel.OpenSessionSync(30000));
    log("device " + panel.DeviceStatus + ", display " + panel.DisplaySizeX + "x" +
        panel.DisplaySizeY + ", " + panel.NumOfLEDs + " LEDs");
    // An LED command has no completion event of its own: a change shows as
    // LEDStatusChanged, a failure as DeviceError or FatalError.
    issue("SetLEDState 0", panel.SetLEDState(0, "CONTINUOUS"));

    var amount = serveCustomer();
    if (amount) {
        log("amount chosen: " + amount);
        command("WriteForm TRANSFER",
                panel.WriteForm("TRANSFER", 1, "ACCOUNT=4711000042,AMOUNT=" + amount + ",NOTE=THANK YOU"),
                "WriteFormComplete");
    } else {
        log("cancelled by the customer");
        command("WriteForm GREETING", panel.WriteForm("GREETING", 1, "LINE1=GOODBYE"),
                "WriteFormComplete");
    }
    issue("CloseSessionSync", panel.CloseSessionSync());
}

var exitCode = 0;
try {
    main();
    log("terminal: finished");
} catch (e) {
    log("terminal: FAILED " + (e.message || e.description || e));
    exitCode = 1;
    // The session is shared by every control of the process; leave it closed.
    try { if (panel) panel.CloseSessionSync(); } catch (ignored) {}
}
WScript.Quit(exitCode);
