' terminal.vbs: a small terminal application on the operator panel, in VBScript.
'
'   cscript //nologo terminal.vbs [READ-TIMEOUT-MS]
'
' It opens the session, lights the LEDs, reads a PIN with hidden echo, offers
' an amount on the function keys, shows the choice in the TRANSFER form and
' closes the session, printing every event of the control as it arrives.
' The last line is "terminal: finished" and the exit code 0 when it ran to
' its end; anything else prints "terminal: FAILED ..." and exits 1.
'
' Script hosts without WScript.ConnectObject and WScript.Sleep (Wine's
' cscript) receive the events through the helper ZTOperatorPanelX.ScriptEvents:
' it calls Panel_<EventName> on an instance of the class PanelEvents below,
' and its PumpUntil dispatches the thread's messages (which carry every
' completion) until a condition holds.
Option Explicit

Const PROGID = "ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1"
' A command completes within the control's own 30 s time-out; a read may take
' the whole time the operator is given.
Const COMMAND_WAIT = 35000

Dim readTimeout : readTimeout = 20000
If WScript.Arguments.Count > 0 Then readTimeout = CLng(WScript.Arguments(0))

Dim panel, helper, handler
Dim arrived : Set arrived = CreateObject("Scripting.Dictionary") ' event name -> arrivals not yet waited for
Dim failure : failure = ""          ' the first failure event, as printed
Dim lastCommandKey : lastCommandKey = 0
Dim hideKeys : hideKeys = False     ' while a PIN is entered its digits are never printed
Dim awaited                         ' the event names waitFor is waiting for

' ---- Events ----------------------------------------------------------------

Sub OnEvent(name, args)
    Dim i, line
    line = name & "("
    For i = 0 To UBound(args)
        If i > 0 Then line = line & ", "
        If hideKeys And IsSecret(name, i) Then line = line & "*" Else line = line & CStr(args(i))
    Next
    line = line & ")"
    WScript.Echo "  event " & line
    If name = "TTUKeyPressed" Then lastCommandKey = args(2)
    arrived(name) = arrived(name) + 1
    Select Case name
        Case "FatalError", "DeviceError", "Timeout", "ReadCancelled", "FieldError"
            If failure = "" Then failure = line
    End Select
End Sub

' The characters of a key press and the text read carry the PIN.
Function IsSecret(name, index)
    IsSecret = (name = "TTUKeyPressed" And index < 2) Or name = "ReadComplete"
End Function

Class PanelEvents
    Sub Panel_FatalError(Action, Result) : OnEvent "FatalError", Array(Action, Result) : End Sub
    Sub Panel_DeviceError(Action, Result) : OnEvent "DeviceError", Array(Action, Result) : End Sub
    Sub Panel_LockGranted() : OnEvent "LockGranted", Array() : End Sub
    Sub Panel_LockReleased() : OnEvent "LockReleased", Array() : End Sub
    Sub Panel_LockTimeout() : OnEvent "LockTimeout", Array() : End Sub
    Sub Panel_Timeout() : OnEvent "Timeout", Array() : End Sub
    Sub Panel_ReadFormComplete() : OnEvent "ReadFormComplete", Array() : End Sub
    Sub Panel_ReadCancelled() : OnEvent "ReadCancelled", Array() : End Sub
    Sub Panel_UserCancelled() : OnEvent "UserCancelled", Array() : End Sub
    Sub Panel_ReadComplete(ReadData) : OnEvent "ReadComplete", Array(ReadData) : End Sub
    Sub Panel_DeviceStatusChanged(Value) : OnEvent "DeviceStatusChanged", Array(Value) : End Sub
    Sub Panel_KeyboardStatusChanged(Value) : OnEvent "KeyboardStatusChanged", Array(Value) : End Sub
    Sub Panel_KeylockStatusChanged(Value) : OnEvent "KeylockStatusChanged", Array(Value) : End Sub
    Sub Panel_LEDStatusChanged(LedIndex, Value) : OnEvent "LEDStatusChanged", Array(LedIndex, Value) : End Sub
    Sub Panel_DisplaySizeXStatusChanged(Value) : OnEvent "DisplaySizeXStatusChanged", Array(Value) : End Sub
    Sub Panel_DisplaySizeYStatusChanged(Value) : OnEvent "DisplaySizeYStatusChanged", Array(Value) : End Sub
    Sub Panel_FieldError(FormName, FieldName, FailureCode) : OnEvent "FieldError", Array(FormName, FieldName, FailureCode) : End Sub
    Sub Panel_FieldWarning(FormName, FieldName, FailureCode) : OnEvent "FieldWarning", Array(FormName, FieldName, FailureCode) : End Sub
    Sub Panel_TTUKeyPressed(cKey, wUNICODEKey, wCommandKey) : OnEvent "TTUKeyPressed", Array(cKey, wUNICODEKey, wCommandKey) : End Sub
    Sub Panel_ResetComplete() : OnEvent "ResetComplete", Array() : End Sub
    Sub Panel_BeepComplete() : OnEvent "BeepComplete", Array() : End Sub
    Sub Panel_ClearScreenComplete() : OnEvent "ClearScreenComplete", Array() : End Sub
    Sub Panel_DisplayLightComplete() : OnEvent "DisplayLightComplete", Array() : End Sub
    Sub Panel_WriteComplete() : OnEvent "WriteComplete", Array() : End Sub
    Sub Panel_WriteFormComplete() : OnEvent "WriteFormComplete", Array() : End Sub
End Class

Function FirstArrived()
    Dim name
    FirstArrived = ""
    For Each name In awaited
        If arrived(name) > 0 Then FirstArrived = name : Exit Function
    Next
End Function

' Pumps messages until one of the named events has arrived and returns its
' name; a failure event or the end of the wait ends the application.
' The wait pumps in short slices and looks in between: PumpUntil would need
' GetRef, which Wine 8's VBScript does not implement.
Function WaitFor(names, ms)
    Const SLICE = 20
    Dim waited, name
    awaited = names
    waited = 0
    Do While failure = "" And FirstArrived() = "" And waited < ms
        helper.Pump SLICE
        waited = waited + SLICE
    Loop
    If failure <> "" Then Err.Raise vbObjectError + 1, "terminal", failure
    If FirstArrived() = "" Then Err.Raise vbObjectError + 2, "terminal", "no " & Join(names, " or ") & " within " & ms & " ms"
    name = FirstArrived()
    arrived(name) = arrived(name) - 1
    WaitFor = name
End Function

' A method's result only says whether the request was accepted (0); its
' outcome is the event.
Sub Issue(what, result)
    WScript.Echo what & " -> " & result
    If result <> 0 Then Err.Raise vbObjectError + 3, "terminal", what & " refused with " & result
End Sub

Sub Command(what, result, completion)
    Issue what, result
    WaitFor Array(completion), COMMAND_WAIT
End Sub

' ---- Screens ---------------------------------------------------------------

' On a panel with a cursor the control places text relative to the cursor,
' elsewhere at absolute positions. Each screen is therefore written in one
' piece onto a cleared display (which puts the cursor at 0,0), and input is
' read where the screen's text ended: offset 0,0 from the cursor, or that end
' as an absolute position. Returns Array(x, y).
Function ShowScreen(text)
    Dim lines
    Command "ClearScreen", panel.ClearScreen(0, 0, 0, 0), "ClearScreenComplete"
    Command "Write", panel.Write(0, 0, "", text), "WriteComplete"
    lines = Split(text, vbLf)
    If panel.CanSupportCursor Then
        ShowScreen = Array(0, 0)
    Else
        ShowScreen = Array(Len(lines(UBound(lines))), UBound(lines))
    End If
End Function

' The cursor is on and the keyboard flushed, so that keys pressed before the
' prompt do not count; a terminate key ends the read (no AutoEnd). Flags are
' passed as 1 or 0: the type library declares them long, and VBScript's True
' would arrive as -1.
Function ReadKeys(at, echo, length, activeKeys, activeCommandKeys, terminateKeys)
    Issue "Read " & echo, panel.Read(at(0), at(1), "UNDERLINE", echo, length, 1, 1, 0, readTimeout, _
                                     activeKeys, activeCommandKeys, terminateKeys)
    ReadKeys = WaitFor(Array("ReadComplete", "UserCancelled"), readTimeout + 5000)
End Function

' ---- The application -------------------------------------------------------

' Returns the amount chosen, or "" when the customer cancelled.
Function ServeCustomer()
    Dim at, outcome
    ServeCustomer = ""
    at = ShowScreen("ZT BANK" & vbLf & "ENTER PIN: ")
    Issue "SetLEDState 1", panel.SetLEDState(1, "SLOW")
    hideKeys = True
    outcome = ReadKeys(at, "PASSWORD", 6, "0123456789", "CLEAR,BACKSPACE", "ENTER,CANCEL")
    hideKeys = False
    If outcome = "UserCancelled" Then Exit Function
    WScript.Echo "PIN entered"

    at = ShowScreen("SELECT AMOUNT" & vbLf & "F1  20.00 F2  50.00" & vbLf & "F3 100.00" & vbLf & "CANCEL TO END ")
    outcome = ReadKeys(at, "TEXT", 0, "", "", "FDK01,FDK02,FDK03,CANCEL")
    Issue "SetLEDState 1", panel.SetLEDState(1, "OFF")
    If outcome = "UserCancelled" Then Exit Function
    Select Case lastCommandKey ' FDK01..FDK03
        Case 24 : ServeCustomer = "20.00"
        Case 25 : ServeCustomer = "50.00"
        Case 26 : ServeCustomer = "100.00"
        Case Else : Err.Raise vbObjectError + 4, "terminal", "the read ended without a function key"
    End Select
End Function

Sub Main()
    Dim amount
    Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
    Set panel = CreateObject(PROGID)
    Set handler = New PanelEvents
    helper.Connect panel, handler, "Panel_"

    Issue "OpenSessionSync", panel.OpenSessionSync(30000)
    WScript.Echo "device " & panel.DeviceStatus & ", display " & panel.DisplaySizeX & "x" & _
                 panel.DisplaySizeY & ", " & panel.NumOfLEDs & " LEDs"
    ' An LED command has no completion event of its own: a change shows as
    ' LEDStatusChanged, a failure as DeviceError or FatalError.
    Issue "SetLEDState 0", panel.SetLEDState(0, "CONTINUOUS")

    amount = ServeCustomer()
    If amount <> "" Then
        WScript.Echo "amount chosen: " & amount
        Command "WriteForm TRANSFER", _
                panel.WriteForm("TRANSFER", 1, "ACCOUNT=4711000042,AMOUNT=" & amount & ",NOTE=THANK YOU"), _
                "WriteFormComplete"
    Else
        WScript.Echo "cancelled by the customer"
        Command "WriteForm GREETING", panel.WriteForm("GREETING", 1, "LINE1=GOODBYE"), "WriteFormComplete"
    End If
    Issue "CloseSessionSync", panel.CloseSessionSync()
End Sub

Dim exitCode : exitCode = 0
On Error Resume Next
Main
If Err.Number <> 0 Then
    WScript.Echo "terminal: FAILED " & Err.Description
    exitCode = 1
    Err.Clear
    ' The session is shared by every control of the process; leave it closed.
    If IsObject(panel) Then panel.CloseSessionSync
Else
    WScript.Echo "terminal: finished"
End If
WScript.Quit exitCode
