// JScript host: creates the control by ProgID, connects its events through
// the script event helper, opens the session on the virtual panel and
// receives BeepComplete for a beep. Exit code 0 only when all of it worked.
var failures = [];
var events = [];

function check(condition, what) {
    if (!condition)
        failures.push(what);
}

function ztp_BeepComplete() {
    events.push("BeepComplete");
}

function ztp_FatalError(action, result) {
    events.push("FatalError " + action + " " + result);
}

function ztp_DeviceError(action, result) {
    events.push("DeviceError " + action + " " + result);
}

var code = 1;
try {
    var control = new ActiveXObject("ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1");
    var helper = new ActiveXObject("ZTOperatorPanelX.ScriptEvents");
    var cookie = helper.Connect(control, this, "ztp_");
    try {
        control.DeviceStatus = "DEVONLINE";
        failures.push("a property accepted a value");
    } catch (e) {
    }
    check(control.OpenSessionSync(30000) == 0, "OpenSessionSync");
    check(control.Beep("KEYPRESS", false) == 0, "Beep");
    check(helper.PumpUntil(10000, function () { return events.length > 0; }), "no event within 10 s");
    check(events.join(",") == "BeepComplete", "events: " + events.join(","));
    control.CloseSessionSync();
    helper.Disconnect(cookie);
    code = failures.length == 0 ? 0 : 2;
    if (code != 0)
        WScript.Echo("failed: " + failures.join("; "));
} catch (e) {
    WScript.Echo("error " + (e.number >>> 0).toString(16) + " " + e.message);
    code = 3;
}
if (code == 0)
    WScript.Echo("PASS");
WScript.Quit(code);
