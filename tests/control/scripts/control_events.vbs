' VBScript host: creates the control by ProgID, connects its events through
' the script event helper (a class instance as handler), opens the session
' on the virtual panel and receives BeepComplete for a beep.
Option Explicit

Class PanelEvents
    Public Received
    Private Sub Class_Initialize()
        Received = ""
    End Sub
    Public Sub ztp_BeepComplete()
        Received = Received & "BeepComplete;"
    End Sub
    Public Sub ztp_FatalError(Action, Result)
        Received = Received & "FatalError " & Action & " " & Result & ";"
    End Sub
End Class

Dim handler, control, helper, cookie, failures
Set handler = New PanelEvents
failures = ""

' Wine 8's VBScript has no GetRef for PumpUntil: pump in short slices.
Function PumpUntilEvent(ms)
    Dim waited
    waited = 0
    Do While handler.Received = "" And waited < ms
        helper.Pump 20
        waited = waited + 20
    Loop
    PumpUntilEvent = (handler.Received <> "")
End Function

On Error Resume Next
Set control = CreateObject("ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1")
If Err.Number <> 0 Then
    WScript.Echo "cannot create the control: " & Hex(Err.Number)
    WScript.Quit 3
End If
Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
cookie = helper.Connect(control, handler, "ztp_")
If Err.Number <> 0 Then
    WScript.Echo "cannot connect: " & Hex(Err.Number)
    WScript.Quit 3
End If
control.DeviceStatus = "DEVONLINE"
If Err.Number = 0 Then failures = failures & "a property accepted a value; "
Err.Clear
On Error GoTo 0

If control.OpenSessionSync(30000) <> 0 Then failures = failures & "OpenSessionSync; "
If control.Beep("KEYPRESS", False) <> 0 Then failures = failures & "Beep; "
If Not PumpUntilEvent(10000) Then failures = failures & "no event within 10 s; "
If handler.Received <> "BeepComplete;" Then failures = failures & "events: " & handler.Received & "; "
control.CloseSessionSync
helper.Disconnect cookie

If failures <> "" Then
    WScript.Echo "failed: " & failures
    WScript.Quit 2
End If
WScript.Echo "PASS"
WScript.Quit 0
