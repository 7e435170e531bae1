' A script client of the companion objects: CadencerTools.Schedule drives every method on a
' Cadencer control and on a script's own object with the schedule properties, and
' CadencerTools.Task registers, refuses, replaces and removes a task in the Task Scheduler.
' A script error ends the script silently under Wine's cscript, so the last line is a
' summary the test requires:   SUMMARY: <n> checks, <m> failed
Option Explicit

' A script's own object with the schedule properties (one member a line: Wine's VBScript
' refuses a list of class members under Option Explicit).
Class OwnSchedule
    Public OccursOption
    Public EveryInterval
    Public EveryFrequency
    Public StartHour
    Public StartMinute
    Public StartDate
    Public EndDate
    Public UseEndDate
    Public SelectionsWeekly
    Public SelectionsMonthly
    Public LastScheduledTime
End Class

Dim checks, failed
checks = 0
failed = 0

Sub Check(name, actual, expected)
    checks = checks + 1
    If actual = expected And TypeName(actual) = TypeName(expected) Then Exit Sub
    failed = failed + 1
    WScript.Echo "FAIL: " & name & " = " & actual & " (" & TypeName(actual) & "), expected " & _
                 expected & " (" & TypeName(expected) & ")"
End Sub

Sub CheckTrue(name, condition)
    Check name, CBool(condition), True
End Sub


Function Iso(d)
    Iso = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2)
End Function

Dim bitness
bitness = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%PROCESSOR_ARCHITECTURE%"), Chr(0), "")
WScript.Echo "host: " & bitness

Dim c, t
Set c = CreateObject("CadencerLib.Cadencer")
Set t = CreateObject("CadencerTools.Schedule")

' Weekdays at 09:30, from today, no end date.
c.OccursOption = 2
c.SelectionsWeekly = "0111110"
c.StartHour = 9
c.StartMinute = 30
c.StartDate = Date
c.UseEndDate = False
Check "Describe", t.Describe(c), "Weekly on Monday, Tuesday, Wednesday, Thursday and Friday at 09:30, from " & _
      Iso(Date) & ", no end date"

Dim runs, i
runs = t.NextRuns(c, 5)
Check "NextRuns count", UBound(runs), CLng(4)
For i = 0 To 4
    Check "NextRuns(" & i & ") is a date", VarType(runs(i)), vbDate
    Check "NextRuns(" & i & ") time", FormatDateTime(runs(i), vbShortTime), "09:30"
    CheckTrue "NextRuns(" & i & ") on a weekday", Weekday(runs(i)) >= 2 And Weekday(runs(i)) <= 6
    If i > 0 Then CheckTrue "NextRuns ascending", runs(i) > runs(i - 1)
Next
CheckTrue "the first run is ahead", runs(0) >= Now - 1 / 1440
Check "NextRuns capped at 1000", UBound(t.NextRuns(c, 5000)), CLng(999)
Check "NextRuns(0) is empty", UBound(t.NextRuns(c, 0)), CLng(-1)

Dim text
text = t.ToRRule(c)
Check "ToRRule", Mid(text, InStr(text, "RRULE:")), "RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;BYHOUR=9;BYMINUTE=30"
Check "ToRRule DTSTART", Left(text, 23), "DTSTART:" & Replace(Iso(runs(0)), "-", "") & "T093000"
text = t.ToICalendar(c)
Check "ToICalendar begins", Left(text, 17), "BEGIN:VCALENDAR" & vbCrLf
Check "ToICalendar ends", Right(text, 15), "END:VCALENDAR" & vbCrLf
CheckTrue "ToICalendar has UID and a UTC DTSTAMP", InStr(text, vbCrLf & "UID:") > 0 And InStr(text, "Z" & vbCrLf & "DTSTART:") > 0
On Error Resume Next
text = t.ToCron(c)
If Err.Number = 0 Then
    Check "ToCron", text, "30 9 * * 1,2,3,4,5"
Else
    CheckTrue "ToCron refused only in the due minute", InStr(Err.Description, "present minute") > 0
End If
Err.Clear
On Error GoTo 0
text = t.ToTaskXml(c, "C:\Jobs\R&D.exe", "/all ""x""")
CheckTrue "ToTaskXml command", InStr(text, "<Command>C:\Jobs\R&amp;D.exe</Command>") > 0
CheckTrue "ToTaskXml arguments", InStr(text, "<Arguments>/all &quot;x&quot;</Arguments>") > 0
CheckTrue "ToTaskXml weekly trigger", InStr(text, "<ScheduleByWeek>") > 0
CheckTrue "ToTaskXml without arguments", InStr(t.ToTaskXml(c, "job.exe"), "<Arguments>") = 0

' A refusal raises an error whose description is the reason.
c.UseEndDate = True
c.EndDate = Date + 30
On Error Resume Next
text = t.ToCron(c)
CheckTrue "ToCron refused", Err.Number <> 0
CheckTrue "ToCron's reason", InStr(Err.Description, "cron has no end date") > 0
Err.Clear
On Error GoTo 0
CheckTrue "the end date as an end boundary", InStr(t.ToTaskXml(c, "job.exe"), "<EndBoundary>" & Iso(Date + 30) & "T23:59:59</EndBoundary>") > 0

' From RRULE and cron text, through the control's own lets.
t.FromRRule c, "FREQ=DAILY;BYHOUR=7;BYMINUTE=5"
Check "FromRRule OccursOption", c.OccursOption, CLng(1)
Check "FromRRule StartHour", c.StartHour, CInt(7)
Check "FromRRule StartMinute", c.StartMinute, CInt(5)
Check "FromRRule UseEndDate", c.UseEndDate, False
Check "FromRRule StartDate", c.StartDate, Date
t.FromCron c, "*/15 * * * *"
Check "FromCron OccursOption", c.OccursOption, CLng(4)
Check "FromCron EveryFrequency", c.EveryFrequency, CLng(1)
Check "FromCron EveryInterval", c.EveryInterval, CInt(15)
' The whole text is checked before anything is set.
On Error Resume Next
t.FromRRule c, "FREQ=MONTHLY;BYDAY=MO;BYSETPOS=1"
CheckTrue "BYSETPOS refused", InStr(Err.Description, "BYSETPOS") > 0
Err.Clear
t.FromCron c, "0 9 1 * 1"
CheckTrue "cron's either-day rule refused", InStr(Err.Description, "either the day of the month") > 0
Err.Clear
On Error GoTo 0
Check "nothing set by a refused text", c.OccursOption, CLng(4)

' A disabled control reports 0 for its last run, but the object reads the record itself:
' the next run lies on the cron line's 15-minute grid, within 15 minutes.
c.Enabled = False
Check "disabled LastScheduledTime reads 0", CDbl(c.LastScheduledTime), CDbl(0)
runs = t.NextRuns(c, 2)
CheckTrue "disabled: next run within 15 minutes", runs(0) - Now <= 15 / 1440 And runs(0) - Now > -1 / 1440
Check "disabled: on the grid", Minute(runs(0)) Mod 15, 0
Check "disabled: one interval apart", CLng(Round((runs(1) - runs(0)) * 1440)), CLng(15)
c.Enabled = True

' Any object with the schedule properties, read and set through IDispatch.
Dim own
Set own = New OwnSchedule
own.OccursOption = 3 : own.EveryInterval = 1 : own.EveryFrequency = 0 : own.StartHour = 6 : own.StartMinute = 45
own.StartDate = Date : own.EndDate = Date : own.UseEndDate = False : own.SelectionsWeekly = "0000000"
own.SelectionsMonthly = "1000000000000010000000000000000" : own.LastScheduledTime = 0
Check "own Describe", t.Describe(own), "Monthly on the 1st and 15th at 06:45, from " & Iso(Date) & ", no end date"
Check "own ToRRule", Mid(t.ToRRule(own), InStr(t.ToRRule(own), "RRULE:")), "RRULE:FREQ=MONTHLY;BYMONTHDAY=1,15;BYHOUR=6;BYMINUTE=45"
t.FromCron own, "0 8 * * 0"
Check "own FromCron OccursOption", own.OccursOption, CLng(2)
Check "own FromCron SelectionsWeekly", own.SelectionsWeekly, "1000000"
Check "own FromCron StartHour", own.StartHour, CInt(8)

' The task registrar: not safe for scripting, so only a trusted script (like this one)
' creates it. Wine's task service stores the task's definition (and runs nothing); its
' scripting face cannot read a task back, so the stored definition is looked for instead.
Dim r, taskName, fso, windir
Set r = CreateObject("CadencerTools.Task")
Set fso = CreateObject("Scripting.FileSystemObject")
windir = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%WINDIR%"), Chr(0), "")
taskName = "CadencerToolsTest" & bitness

Function TaskStored(name)
    ' A 32-bit script sees the 64-bit system folder as sysnative.
    TaskStored = fso.FileExists(windir & "\system32\tasks\" & name) Or fso.FileExists(windir & "\sysnative\tasks\" & name)
End Function

On Error Resume Next
r.UnregisterTask taskName
Err.Clear
r.RegisterTask c, taskName, "C:\windows\system32\cmd.exe", "/c echo run"
Check "RegisterTask", Err.Number, CLng(0)
Err.Clear
CheckTrue "the task appears", TaskStored(taskName)
r.RegisterTask c, taskName, "C:\windows\system32\cmd.exe"
CheckTrue "an existing name is refused", Err.Number <> 0
CheckTrue "refused with the reason", InStr(Err.Description, "exists already; pass True to replace it") > 0
Err.Clear
r.RegisterTask c, taskName, "C:\windows\system32\cmd.exe", "/c echo again", True
Check "replacing works", Err.Number, CLng(0)
Err.Clear
CheckTrue "the task is still there", TaskStored(taskName)
r.UnregisterTask taskName
Check "UnregisterTask", Err.Number, CLng(0)
Err.Clear
CheckTrue "the task is gone", Not TaskStored(taskName)
r.UnregisterTask taskName
CheckTrue "removing a missing task fails", Err.Number <> 0
Err.Clear
r.RegisterTask c, "", "cmd.exe"
CheckTrue "a task needs a name", InStr(Err.Description, "a task needs a name") > 0
Err.Clear
c.OccursOption = 0
r.RegisterTask c, taskName, "cmd.exe"
CheckTrue "a schedule that never falls due is refused", InStr(Err.Description, "never falls due") > 0
CheckTrue "and registers nothing", Not TaskStored(taskName)
Err.Clear
On Error GoTo 0

Set r = Nothing
Set t = Nothing
Set c = Nothing
WScript.Echo "SUMMARY: " & checks & " checks, " & failed & " failed"
