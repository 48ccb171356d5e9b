// The control from JScript under cscript, in a process of its own:
// properties before the session, a refused property set, the session's
// methods and properties, and a beep / write / read round trip with the
// operator typing through ttupanel, every event printed as it arrives.
//
//   cscript //nologo control_methods.js BIN_DIR
//
// Prints "PASS" last and exits 0 when every check held; a script error is
// caught and reported (Wine's cscript would end silently with 0).

var PROGID = "ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";
var WAIT = 10000;
var NOT_STARTED = -39;

var global = this;
var bin = WScript.Arguments.length > 0 ? WScript.Arguments(0) : ".";
var failures = 0;
var arrivals = {};
var lastRead = null;
var helper, panel;

function check(condition, what) {
    WScript.Echo((condition ? "ok   " : "FAIL ") + what);
    if (!condition)
        failures++;
}

function onEvent(name, args) {
    var shown = [];
    for (var i = 0; i < args.length; i++)
        shown.push(String(args[i]));
    WScript.Echo("  event " + name + "(" + shown.join(", ") + ")");
    arrivals[name] = (arrivals[name] || 0) + 1;
}

// One handler per event of the control; the helper calls Panel_<Name>.
var EVENTS = ["FatalError", "DeviceError", "LockGranted", "LockReleased", "LockTimeout", "Timeout",
    "ReadFormComplete", "ReadCancelled", "UserCancelled", "ReadComplete", "DeviceStatusChanged",
    "KeyboardStatusChanged", "KeylockStatusChanged", "LEDStatusChanged", "DisplaySizeXStatusChanged",
    "DisplaySizeYStatusChanged", "FieldError", "FieldWarning", "TTUKeyPressed", "ResetComplete",
    "BeepComplete", "ClearScreenComplete", "DisplayLightComplete", "WriteComplete", "WriteFormComplete"];
function makeHandler(name) {
    return function () {
        if (name == "ReadComplete")
            lastRead = String(arguments[0]);
        onEvent(name, arguments);
    };
}
for (var e = 0; e < EVENTS.length; e++)
    global["Panel_" + EVENTS[e]] = makeHandler(EVENTS[e]);

function waitFor(name) {
    var met = helper.PumpUntil(WAIT, function () { return arrivals[name] > 0; });
    if (met)
        arrivals[name]--;
    return met;
}

// The operator at the panel (a separate process sharing the panel).
function operator(args) {
    var shell = new ActiveXObject("WScript.Shell");
    return shell.Run('"' + bin + '\\ttupanel.exe" ' + args, 0, true);
}

function refusedToSet(name, value) {
    try {
        panel[name] = value;
    } catch (e) {
        return true;
    }
    return false;
}

function main() {
    helper = new ActiveXObject("ZTOperatorPanelX.ScriptEvents");
    panel = new ActiveXObject(PROGID);
    var cookie = helper.Connect(panel, global, "Panel_");

    // A process that never opened the session.
    check(panel.DeviceStatus == "DEVNODEVICE", "DeviceStatus before the session: " + panel.DeviceStatus);
    check(panel.KeyboardStatus == "NOTAVAILABLE", "KeyboardStatus before the session");
    check(panel.NumOfLEDs == 0 && panel.DisplaySizeX == 0, "no LEDs and no display before the session");
    check(panel.FormFieldType == "TEXT" && panel.FormFieldOverflow == "TERMINATE", "field keywords before any query");
    check(panel.Beep("KEYPRESS", 0) == NOT_STARTED, "Beep refused while closed");

    check(refusedToSet("DeviceStatus", "DEVONLINE"), "setting DeviceStatus is refused");
    check(refusedToSet("HasKeyLock", true), "setting HasKeyLock is refused");
    check(panel.DeviceStatus == "DEVNODEVICE", "DeviceStatus unchanged by the refused set");

    check(panel.OpenSessionSync(30000) == 0, "OpenSessionSync");
    check(panel.DisplaySizeX == 20 && panel.DisplaySizeY == 4, "display 20x4");
    check(panel.HasKeyLock === true && panel.CanSupportForms === true, "capabilities");
    check(panel.SupportedCharSets == "UNICODE", "SupportedCharSets");
    var sizes = new VBArray(panel.SupportedScreenSizeX).toArray();
    check(sizes.join(",") == "20,40", "SupportedScreenSizeX " + sizes.join(","));
    check(panel.GetExtraCaps("Model") == "ZT Virtual Panel", "GetExtraCaps(Model)");
    check(panel.GetExtraStatus("Nothing") === "", "GetExtraStatus of an unknown key is empty");

    check(panel.RequestLock(5000) == 0 && waitFor("LockGranted"), "RequestLock and LockGranted");
    check(panel.Beep("KEYPRESS", 0) == 0 && waitFor("BeepComplete"), "Beep and BeepComplete");
    check(panel.SetDisplayLight("ON") == 0 && waitFor("DisplayLightComplete"), "SetDisplayLight");
    check(panel.ClearScreen(0, 0, 20, 4) == 0 && waitFor("ClearScreenComplete"), "ClearScreen");
    check(panel.Write(0, 0, "NORMAL", "AMOUNT?") == 0 && waitFor("WriteComplete"), "Write and WriteComplete");

    // A read that keeps what is typed before it starts (no flush).
    check(panel.Read(0, 1, "NORMAL", "TEXT", 4, 1, 0, 0, 20000, "0123456789", "", "ENTER") == 0, "Read issued");
    check(operator("type 25") == 0 && operator("press ENTER") == 0, "operator typed 25 and ENTER");
    check(waitFor("ReadComplete") && lastRead == "25", "ReadComplete with " + lastRead);
    check(arrivals["TTUKeyPressed"] >= 2, "key presses reported");

    check(panel.ReleaseLock() == 0 && waitFor("LockReleased"), "ReleaseLock and LockReleased");
    check(panel.CloseSessionSync() == 0, "CloseSessionSync");
    check(panel.Write(0, 0, "NORMAL", "X") == NOT_STARTED, "Write refused after the close");
    check(!arrivals["FatalError"] && !arrivals["DeviceError"], "no failure events");
    helper.Disconnect(cookie);
}

try {
    main();
} catch (e) {
    check(false, "script error: " + (e.description || e.message || e));
}
WScript.Echo(failures == 0 ? "PASS" : "FAILED " + failures);
WScript.Quit(failures == 0 ? 0 : 1);
