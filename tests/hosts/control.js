// The control from JScript under cscript, its events through the script
// event helper: a refused property set, a plain value where an out parameter
// is declared, and a handler that throws: the control traces the error
// (event id and code; source and description where the engine hands them
// out, which Wine's does not) and goes on delivering events.
//   cscript //nologo control.js BIN_DIR   (ZT_TRACE_DIR: a folder of its own)
var failures = [];
var beeps = 0;

function check(condition, what) {
    if (!condition)
        failures.push(what);
}

function ztp_BeepComplete() {
    beeps++;
    throw new Error(0x800A1389 | 0, "handler failed on purpose");  // error 5001
}
function ztp_FatalError(action, result) { failures.push("FatalError " + action + " " + result); }
function ztp_DeviceError(action, result) { failures.push("DeviceError " + action + " " + result); }

// The trace file's name for a day (Wine's JScript cannot enumerate a folder).
function traceFile(folder, date) {
    function two(n) { return (n < 10 ? "0" : "") + n; }
    return folder + "\\TTU_" + date.getFullYear() + two(date.getMonth() + 1) + two(date.getDate()) + ".log";
}

// How many lines of the trace files hold the text.
function countTraceLines(files, text) {
    var fso = new ActiveXObject("Scripting.FileSystemObject"), count = 0;
    for (var f = 0; f < files.length; f++) {
        if (!fso.FileExists(files[f]) || (f > 0 && files[f] == files[0]))
            continue;
        // A copy: the trace library holds the file open for writing.
        fso.CopyFile(files[f], files[f] + ".copy", true);
        var lines = fso.OpenTextFile(files[f] + ".copy", 1).ReadAll().split("\n");
        for (var i = 0; i < lines.length; i++)
            count += lines[i].indexOf(text) >= 0 ? 1 : 0;
    }
    return count;
}

try {
    // Wine's answer ends with the terminating NUL, which its string
    // functions do not take as a character.
    var raw = new ActiveXObject("WScript.Shell").ExpandEnvironmentStrings("%ZT_TRACE_DIR%"), folder = "";
    for (var c = 0; c < raw.length && raw.charCodeAt(c) != 0; c++)
        folder += raw.charAt(c) == "/" ? "\\" : raw.charAt(c);
    var started = new Date();
    var fso = new ActiveXObject("Scripting.FileSystemObject");
    if (fso.FolderExists(folder))
        fso.DeleteFolder(folder, true);
    var control = new ActiveXObject("ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1");
    var helper = new ActiveXObject("ZTOperatorPanelX.ScriptEvents");
    var cookie = helper.Connect(control, this, "ztp_");
    try {
        control.DeviceStatus = "DEVONLINE";
        failures.push("a property accepted a value");
    } catch (e) {
    }
    check(control.QueryFormList(0) == -39, "QueryFormList while closed");
    check(control.OpenSessionSync(30000) == 0, "OpenSessionSync");
    check(control.QueryFormList(0) == 0, "QueryFormList with a plain value");
    for (var n = 1; n <= 2; n++) {
        check(control.Beep("KEYPRESS", false) == 0, "Beep " + n);
        check(helper.PumpUntil(10000, function () { return beeps >= n; }), "BeepComplete " + n + " within 10 s");
    }
    control.CloseSessionSync();
    helper.Disconnect(cookie);
    var traced = countTraceLines([traceFile(folder, started), traceFile(folder, new Date())],
        "ERROR Ctrl::FireEvent Exception raised in EventID = [21] , Exception Code = [0x800A1389] , Source = [");
    check(traced == 2, traced + " traced handler errors, not 2");
} catch (e) {
    failures.push("error " + (e.number >>> 0).toString(16) + " " + e.message);
}
WScript.Echo(failures.length == 0 ? "PASS" : "failed: " + failures.join("; "));
WScript.Quit(failures.length == 0 ? 0 : 1);
