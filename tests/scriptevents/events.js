// The script event helper from JScript: the script's global object is the
// handler, events arrive while the helper pumps, and Disconnect stops them.
// Wine's cscript exits 0 on a script error, so every failure is caught here
// and the exit code is the verdict.
var failures = [];
function check(condition, what) {
    if (!condition)
        failures.push(what);
}

var numbers = [];
var ticks = [];
var finished = false;

function Src_Number(value, text) { numbers.push(value + ":" + text); }
function Src_Tick(index) { ticks.push(index); }
function Src_Finished() { finished = true; }

try {
    var helper = new ActiveXObject("ZTOperatorPanelX.ScriptEvents");
    var source = new ActiveXObject("ZTScriptEventsTest.Source");

    var cookie = helper.Connect(source, this, "Src_");
    check(cookie > 0, "Connect returns a cookie");
    check(source.SinkCount == 1, "one sink connected");

    source.FireNumber(5, "five");
    check(numbers.length == 1 && numbers[0] == "5:five", "Number(5, 'five') arrived: " + numbers.join());

    source.FireLater(3, 5);
    check(ticks.length == 0, "timer events wait for the pump");
    var met = helper.PumpUntil(5000, function () { return finished; });
    check(met === true, "PumpUntil saw Finished");
    check(ticks.join() == "1,2,3", "ticks 1,2,3 in order: " + ticks.join());

    helper.Disconnect(cookie);
    check(source.SinkCount == 0, "Disconnect let the sink go");
    source.FireNumber(6, "six");
    check(numbers.length == 1, "no event after Disconnect");

    var refused = false;
    try {
        helper.Disconnect(cookie);
    } catch (e) {
        refused = String(e.description).indexOf("cookie") >= 0;
    }
    check(refused, "a second Disconnect is an error naming the cookie");
} catch (e) {
    failures.push("unexpected error: " + e.description + " (" + e.number + ")");
}

if (failures.length)
    WScript.Echo("FAILED: " + failures.join("; "));
if (failures.length == 0)
    WScript.Echo("PASS");
WScript.Quit(failures.length ? 1 : 0);
