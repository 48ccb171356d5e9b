' The control from VBScript under cscript: the out-parameters of
' QueryFormList and GetFieldValue, the form properties after QueryForm and
' QueryField, a refused property set, and a form write / read round trip with
' the operator typing through ttupanel, every event printed.
'
'   cscript //nologo control_methods.vbs BIN_DIR
'
' Prints "PASS" last and exits 0 when every check held; errors are caught
' (Wine's cscript would end silently with 0 on a script error).
Option Explicit

Const PROGID = "ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1"
Const WAIT = 10000
Const NOT_STARTED = -39

Dim bin : bin = "."
If WScript.Arguments.Count > 0 Then bin = WScript.Arguments(0)
Dim failures : failures = 0
Dim arrivals : Set arrivals = CreateObject("Scripting.Dictionary")
Dim helper, panel

Sub Check(condition, what)
    If condition Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' The elements separated by commas (Wine's VBScript has no Join).
Function JoinAll(items)
    Dim i, text : text = ""
    For i = LBound(items) To UBound(items)
        If i > LBound(items) Then text = text & ","
        text = text & CStr(items(i))
    Next
    JoinAll = text
End Function

Sub OnEvent(name, args)
    WScript.Echo "  event " & name & "(" & JoinAll(args) & ")"
    arrivals(name) = arrivals(name) + 1
End Sub

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
    Sub Panel_LEDStatusChanged(Index, Value) : OnEvent "LEDStatusChanged", Array(Index, Value) : End Sub
    Sub Panel_DisplaySizeXStatusChanged(Value) : OnEvent "DisplaySizeXStatusChanged", Array(Value) : End Sub
    Sub Panel_DisplaySizeYStatusChanged(Value) : OnEvent "DisplaySizeYStatusChanged", Array(Value) : End Sub
    Sub Panel_FieldError(Form, Field, Code) : OnEvent "FieldError", Array(Form, Field, Code) : End Sub
    Sub Panel_FieldWarning(Form, Field, Code) : OnEvent "FieldWarning", Array(Form, Field, Code) : End Sub
    Sub Panel_TTUKeyPressed(Key, UnicodeKey, CommandKey) : OnEvent "TTUKeyPressed", Array(Key, UnicodeKey, CommandKey) : End Sub
    Sub Panel_ResetComplete() : OnEvent "ResetComplete", Array() : End Sub
    Sub Panel_BeepComplete() : OnEvent "BeepComplete", Array() : End Sub
    Sub Panel_ClearScreenComplete() : OnEvent "ClearScreenComplete", Array() : End Sub
    Sub Panel_DisplayLightComplete() : OnEvent "DisplayLightComplete", Array() : End Sub
    Sub Panel_WriteComplete() : OnEvent "WriteComplete", Array() : End Sub
    Sub Panel_WriteFormComplete() : OnEvent "WriteFormComplete", Array() : End Sub
End Class

' Pumps in short slices and looks in between (Wine's VBScript has no GetRef,
' which PumpUntil would need).
Function WaitFor(name)
    Const SLICE = 20
    Dim waited : waited = 0
    Do While arrivals(name) = 0 And waited < WAIT
        helper.Pump SLICE
        waited = waited + SLICE
    Loop
    WaitFor = arrivals(name) > 0
    If WaitFor Then arrivals(name) = arrivals(name) - 1
End Function

Function Operator(args)
    Dim shell : Set shell = CreateObject("WScript.Shell")
    Operator = shell.Run("""" & bin & "\ttupanel.exe"" " & args, 0, True)
End Function

Function RefusedToSetFormName()
    On Error Resume Next
    panel.FormName = "TRANSFER"
    RefusedToSetFormName = (Err.Number <> 0)
    Err.Clear
End Function

Sub Main()
    Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
    Set panel = CreateObject(PROGID)
    Dim cookie : cookie = helper.Connect(panel, New PanelEvents, "Panel_")

    ' Out-parameters while the session is closed.
    Dim value : value = "untouched"
    Check panel.GetFieldValue("PIN", value) = False, "GetFieldValue is False while closed"
    Check value = "untouched", "GetFieldValue leaves its variable alone"
    Dim list
    Check panel.QueryFormList(list) = NOT_STARTED, "QueryFormList while closed gives -39"
    Check IsArray(list), "... and an array"
    Check RefusedToSetFormName(), "setting FormName is refused"
    Check panel.FormName = "", "FormName unchanged"

    Check panel.OpenSessionSync(30000) = 0, "OpenSessionSync"
    Check panel.QueryFormList(list) = 0, "QueryFormList"
    Check IsArray(list), "QueryFormList fills an array"
    If IsArray(list) Then
        Check LBound(list) = 0 And UBound(list) = 2, "three forms from index 0"
        Check JoinAll(list) = "PINENTRY,TRANSFER,GREETING", "form names " & JoinAll(list)
    End If

    Check panel.QueryForm("TRANSFER") = 0, "QueryForm TRANSFER"
    Check panel.FormName = "TRANSFER" And panel.FormWidth = 20 And panel.FormHeight = 4, "form header"
    Check panel.FormVersionMajor = 1 And panel.FormVersionMinor = 0, "form version"
    Dim fields : fields = panel.FormFieldList
    Check JoinAll(fields) = "ACCOUNT,AMOUNT,NOTE", "FormFieldList " & JoinAll(fields)
    Check panel.QueryField("ACCOUNT") = 0, "QueryField ACCOUNT"
    Check panel.FormFieldName = "ACCOUNT" And panel.FormFieldClass = "REQUIRED", "field name and class"
    Check panel.FormFieldAccess = "READWRITE" And panel.FormFieldOverflow = "TRUNCATE", "field access and overflow"
    Check panel.FormFieldFormat = "NNNNNNNNNN" And panel.FormFieldType = "TEXT", "field format and type"
    Check panel.QueryForm(String(256, "F")) = -52, "a form name of 256 bytes is refused"

    Check panel.WriteForm("TRANSFER", 1, "NOTE=FROM VBS") = 0, "WriteForm"
    Check WaitFor("WriteFormComplete"), "WriteFormComplete"

    Check panel.ReadForm("PINENTRY", "PIN", 30000) = 0, "ReadForm"
    Check Operator("type 2468") = 0 And Operator("press ENTER") = 0, "operator typed the PIN"
    Check WaitFor("ReadFormComplete"), "ReadFormComplete"
    value = Empty
    Check panel.GetFieldValue("PIN", value) = True, "GetFieldValue PIN"
    Check value = "2468", "PIN read: " & value
    Dim other : other = 7
    Check panel.GetFieldValue("NOSUCHFIELD", other) = False And other = 7, "unknown field: False, untouched"

    Check panel.CloseSessionSync() = 0, "CloseSessionSync"
    Check arrivals("FatalError") = 0 And arrivals("DeviceError") = 0, "no failure events"
    helper.Disconnect cookie
End Sub

Sub RunMain()
    On Error Resume Next
    Main
    If Err.Number <> 0 Then Check False, "script error " & Err.Number & ": " & Err.Description
End Sub

RunMain
If failures = 0 Then WScript.Echo "PASS" Else WScript.Echo "FAILED " & failures
WScript.Quit failures
