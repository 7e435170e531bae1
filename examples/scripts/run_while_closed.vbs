' The job runs while the program is closed: the control's schedule as its next runs, as an
' iCalendar rule, as a cron line (or why it has none) and as a task of the Windows Task
' Scheduler, which this script registers for the current user and removes again.
'   cscript //nologo run_while_closed.vbs
Option Explicit

Dim c, tools, tasks, runs, i, text
Set c = CreateObject("CadencerLib.Cadencer")
c.OccursOption = 2              ' Weekly
c.SelectionsWeekly = "0111110"  ' Monday to Friday (Sunday first)
c.StartHour = 18
c.StartMinute = 0
c.StartDate = Date
c.UseEndDate = False

Set tools = CreateObject("CadencerTools.Schedule")
WScript.Echo tools.Describe(c)
runs = tools.NextRuns(c, 3)
For i = 0 To UBound(runs)
    WScript.Echo "Run " & (i + 1) & ": " & FormatDateTime(runs(i), vbGeneralDate)
Next
text = tools.ToRRule(c)
WScript.Echo Replace(text, vbLf, " ")

' A form that cannot hold the schedule exactly refuses it; the error says why.
On Error Resume Next
text = tools.ToCron(c)
If Err.Number = 0 Then WScript.Echo "cron: " & text Else WScript.Echo "no cron line: " & Err.Description
Err.Clear
On Error GoTo 0

' The task runs cmd.exe while this script (or your program) is closed. CadencerTools.Task is
' not safe for scripting: a trusted script or program creates it, a web page cannot.
Set tasks = CreateObject("CadencerTools.Task")
tasks.RegisterTask c, "Cadencer sample backup", "C:\Windows\System32\cmd.exe", "/c echo backup", True
WScript.Echo "Registered the task ""Cadencer sample backup"""
tasks.UnregisterTask "Cadencer sample backup"
WScript.Echo "Done: removed the task again"
