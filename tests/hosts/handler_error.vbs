' A VBScript event handler that raises an error: the control traces it
' (event id and code; source and description where the engine hands them
' out, which Wine's does not) and goes on delivering events.
'   cscript //nologo handler_error.vbs BIN_DIR   (ZT_TRACE_DIR: a folder of its own)
Option Explicit
Const DESCRIPTION = "handler failed on purpose"

Class PanelEvents
    Public Beeps
    Private Sub Class_Initialize()
        Beeps = 0
    End Sub
    Public Sub ztp_BeepComplete()
        Beeps = Beeps + 1
        Err.Raise 5001, "PanelEvents", DESCRIPTION
    End Sub
End Class

Dim handler, control, helper, cookie, failures, fso, raw, c, folder, started, n, waited
Set handler = New PanelEvents
Set fso = CreateObject("Scripting.FileSystemObject")
failures = ""

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

' Wine's answer ends with the terminating NUL, which its string functions
' do not take as a character.
raw = CreateObject("WScript.Shell").ExpandEnvironmentStrings("%ZT_TRACE_DIR%")
folder = ""
For n = 1 To Len(raw)
    c = Mid(raw, n, 1)
    If c = "" Or c = Chr(0) Then Exit For
    If c = "/" Then folder = folder & "\" Else folder = folder & c
Next
started = Now
If fso.FolderExists(folder) Then fso.DeleteFolder folder, True
Set control = CreateObject("ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1")
Set helper = CreateObject("ZTOperatorPanelX.ScriptEvents")
cookie = helper.Connect(control, handler, "ztp_")

If control.OpenSessionSync(30000) <> 0 Then failures = failures & "OpenSessionSync; "
For n = 1 To 2
    If control.Beep("KEYPRESS", False) <> 0 Then failures = failures & "Beep " & n & "; "
    ' Wine 8's VBScript has no GetRef for PumpUntil: pump in short slices.
    waited = 0
    Do While handler.Beeps < n And waited < 10000
        helper.Pump 20
        waited = waited + 20
    Loop
    If handler.Beeps < n Then failures = failures & "BeepComplete " & n & " within 10 s; "
Next
control.CloseSessionSync
helper.Disconnect cookie

n = CountTraceLines(Array(TraceFile(started), TraceFile(Now)), _
    "ERROR Ctrl::FireEvent Exception raised in EventID = [21] , Exception Code = [0x800A1389] , Source = [")
If n <> 2 Then failures = failures & n & " traced handler errors, not 2; "

If failures <> "" Then
    WScript.Echo "failed: " & failures
    WScript.Quit 2
End If
WScript.Echo "PASS"
WScript.Quit 0
