' The control from VBScript under cscript, its events through the script
' event helper (a class instance as handler): what QueryFormList writes back
' into the caller's variable, and a handler that raises an error: the
' control traces it (with the error's source) and goes on delivering events.
'   cscript //nologo control.vbs BIN_DIR   (ZT_TRACE_DIR: a folder of its own)
Option Explicit

Class PanelEvents
    Public Beeps
    Public Failures
    Private Sub Class_Initialize()
        Beeps = 0
        Failures = ""
    End Sub
    Public Sub ztp_BeepComplete()
        Beeps = Beeps + 1
        Err.Raise 5001, "PanelEvents", "handler failed on purpose"
    End Sub
    Sub ztp_FatalError(Action, Result) : Failures = Failures & "FatalError " & Action & "; " : End Sub
    Sub ztp_DeviceError(Action, Result) : Failures = Failures & "DeviceError " & Action & "; " : End Sub
End Class

Dim handler, control, helper, failures, fso, folder
Set handler = New PanelEvents
Set fso = CreateObject("Scripting.FileSystemObject")
failures = ""

Sub Check(condition, what)
    If Not condition Then failures = failures & what & "; "
End Sub

' Wine 8's VBScript has no GetRef for PumpUntil: pump in short slices.
Function Waited(atLeast)
    Dim ms : ms = 0
    Do While handler.Beeps < atLeast And ms < 10000
        helper.Pump 20
        ms = ms + 20
    Loop
    Waited = handler.Beeps >= atLeast
End Function

' The elements separated by commas (Wine's VBScript has no Join).
Function JoinAll(items)
    Dim i : JoinAll = ""
    For i = LBound(items) To UBound(items)
        If i > LBound(items) Then JoinAll = JoinAll & ","
        JoinAll = JoinAll & CStr(items(i))
    Next
End Function

' The trace file's name for a day (Wine cannot enumerate a folder's files).
Function TraceFile(t)
    TraceFile = folder & "\TTU_" & Year(t) & Right("0" & Month(t), 2) & Right("0" & Day(t), 2) & ".log"
End Function

' The lines of the trace files that hold the text.
Function CountTraceLines(files, text)
    Dim f, line
    CountTraceLines = 0
    For f = 0 To UBound(files)
        If fso.FileExists(files(f)) And (f = 0 Or files(f) <> files(0)) Then
            ' A copy: the trace library holds the file open for writing.
            fso.CopyFile files(f), files(f) & ".copy", True
            For Each line In Split(fso.OpenTextFile(files(f) & ".copy", 1).ReadAll(), vbLf)
                If InStr(line, text) > 0 Then CountTraceLines = CountTraceLines + 1
            Next
        End If
    Next
End Function

Sub Main()
    Dim raw, c, n, started, cookie, list
    ' Wine's answer ends with the terminating NUL, which its string
    ' functions do not take as a character.
    raw = CreateObject("WScript.Shell").ExpandEnvironmentStrings("%ZT_TRACE_DIR%")
    folder = ""
    For n = 1 To Len(raw)
        c = Mid(raw, n, 1)
        If c = Chr(0) Then Exit For
        If c = "/" Then folder = folder & "\" Else folder = folder & c
    Next
    started = Now
    If fso.FolderExists(folder) Then fso.DeleteFolder folder, True
    Set control = CreateObject("ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1")
    Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
    cookie = helper.Connect(control, handler, "ztp_")

    Check control.QueryFormList(list) = -39, "QueryFormList while closed"
    Check IsArray(list), "QueryFormList while closed writes an array"

    Check control.OpenSessionSync(30000) = 0, "OpenSessionSync"
    list = Empty
    Check control.QueryFormList(list) = 0, "QueryFormList"
    If IsArray(list) Then Check LBound(list) = 0 And JoinAll(list) = "PINENTRY,TRANSFER,GREETING", "forms " & JoinAll(list)
    Check IsArray(list), "QueryFormList writes an array"
    For n = 1 To 2
        Check control.Beep("KEYPRESS", False) = 0, "Beep " & n
        Check Waited(n), "BeepComplete " & n & " within 10 s"
    Next
    Check control.CloseSessionSync() = 0, "CloseSessionSync"
    helper.Disconnect cookie

    n = CountTraceLines(Array(TraceFile(started), TraceFile(Now)), _
        "ERROR Ctrl::FireEvent Exception raised in EventID = [21] , Exception Code = [0x800A1389] , Source = [")
    Check n = 2, n & " traced handler errors, not 2"
    failures = failures & handler.Failures
End Sub

Sub RunMain()
    On Error Resume Next
    Main
    If Err.Number <> 0 Then failures = failures & "script error " & Err.Number & ": " & Err.Description
End Sub

RunMain
If failures <> "" Then
    WScript.Echo "failed: " & failures
    WScript.Quit 1
End If
WScript.Echo "PASS"
WScript.Quit 0
