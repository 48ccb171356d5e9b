' The script event helper from VBScript: a class instance is the handler
' (its members found whatever their case). Wine 8's VBScript has no GetRef,
' so the wait is a loop of short Pump slices rather than PumpUntil (JScript
' tests PumpUntil). Wine's cscript exits 0 on a script error, so errors are
' caught here and the verdict is the exit code with a last line "PASS".
Option Explicit

Dim failures
failures = ""
Sub Check(condition, what)
    If Not condition Then failures = failures & what & "; "
End Sub

Class SourceHandler
    Public Numbers
    Public Ticks
    Public Finished
    Private Sub Class_Initialize()
        Numbers = ""
        Ticks = ""
        Finished = False
    End Sub
    Public Sub src_number(value, text)
        Numbers = Numbers & value & ":" & text & ","
    End Sub
    Public Sub SRC_TICK(index)
        Ticks = Ticks & index & ","
    End Sub
    Public Sub Src_Finished()
        Finished = True
    End Sub
End Class

Dim handler
Set handler = New SourceHandler

' Dispatches messages until the handler saw Finished or ms have passed.
Function PumpUntilFinished(helper, ms)
    Dim waited
    waited = 0
    Do While Not handler.Finished And waited < ms
        helper.Pump 20
        waited = waited + 20
    Loop
    PumpUntilFinished = handler.Finished
End Function

Sub Run()
    Dim helper, source, cookie, met
    Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
    Set source = CreateObject("ZTScriptEventsTest.Source")

    cookie = helper.Connect(source, handler, "Src_")
    Check cookie > 0, "Connect returns a cookie"

    source.FireNumber 12, "twelve"
    Check handler.Numbers = "12:twelve,", "Number arrived: " & handler.Numbers

    source.FireLater 2, 5
    met = PumpUntilFinished(helper, 5000)
    Check met, "Finished arrived while pumping"
    Check handler.Ticks = "1,2,", "ticks in order: " & handler.Ticks

    helper.Sleep 20
    helper.Disconnect cookie
    Check source.SinkCount = 0, "Disconnect let the sink go"
    source.FireNumber 13, "thirteen"
    Check handler.Numbers = "12:twelve,", "no event after Disconnect"
End Sub

On Error Resume Next
Run
If Err.Number <> 0 Then failures = failures & "unexpected error: " & Err.Description & " (" & Err.Number & ")"
On Error GoTo 0

If failures <> "" Then WScript.Echo "FAILED: " & failures
If failures <> "" Then WScript.Quit 1
WScript.Echo "PASS"
WScript.Quit 0
