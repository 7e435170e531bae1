' Cadencer from VBScript (Windows Script Host): run with
'   cscript //nologo cadencer.vbs [schedule-file] [/edit]
' It creates the control, takes back the schedule the user kept last time (or, the first
' time, a weekly schedule on Monday and Friday at 09:30), shows when it next falls due
' ("nothing scheduled" when nothing is), listens to ScheduledTime where the host can
' connect events, and keeps the schedule in a text file for the next run. /edit opens the
' schedule dialog first. The file is %APPDATA%\Cadencer sample\schedule.txt unless given.
Option Explicit

' The schedule's properties are kept one "Name=Value" line each, LastScheduledTime too: the
' control does not store it, and an Every schedule counts from it, so without it the count
' would restart at each launch (and a script run more often than its interval would never
' see the schedule fall due). Dates as
' "yyyy-mm-dd hh:nn:ss", read back with DateSerial and TimeSerial, so the file means the same
' whatever the user's date format.
Dim fso, c, eventsConnected, fired, scheduleFile, edit, argument
Set fso = CreateObject("Scripting.FileSystemObject")
Set c = CreateObject("CadencerLib.Cadencer")
fired = 0

' ScheduledTime and the other events reach handlers named <prefix><event>.
Sub Cadencer_ScheduledTime(DateTime)
    fired = fired + 1
    WScript.Echo "Event: ScheduledTime at " & DateTime
End Sub

Sub Cadencer_ScheduleChanged()
    WScript.Echo "Event: ScheduleChanged"
End Sub

' The never marker (nothing due: 50 years back) and the zero date (a disabled control,
' or one in a designer) both lie 50 or more calendar years back. Year(Now) - Year(t) is
' DateDiff("yyyy", t, Now), spelt so that script hosts without DateDiff run it too.
Function WhenText(t)
    Dim dayNames
    If Year(Now) - Year(t) >= 50 Then
        WhenText = "nothing scheduled"
        Exit Function
    End If
    dayNames = Array("Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday")
    WhenText = Year(t) & "-" & Right("0" & Month(t), 2) & "-" & Right("0" & Day(t), 2) & " " & _
               Right("0" & Hour(t), 2) & ":" & Right("0" & Minute(t), 2) & " (" & dayNames(Weekday(t) - 1) & ")"
End Function

Function DateText(t)
    DateText = Year(t) & "-" & Right("0" & Month(t), 2) & "-" & Right("0" & Day(t), 2) & " " & _
               Right("0" & Hour(t), 2) & ":" & Right("0" & Minute(t), 2) & ":" & Right("0" & Second(t), 2)
End Function

Function TextDate(text)
    TextDate = DateSerial(CInt(Mid(text, 1, 4)), CInt(Mid(text, 6, 2)), CInt(Mid(text, 9, 2))) + _
               TimeSerial(CInt(Mid(text, 12, 2)), CInt(Mid(text, 15, 2)), CInt(Mid(text, 18, 2)))
End Function

Sub SaveSchedule(path)
    Dim file
    If Not fso.FolderExists(fso.GetParentFolderName(path)) Then fso.CreateFolder fso.GetParentFolderName(path)
    Set file = fso.CreateTextFile(path, True)
    file.WriteLine "OccursOption=" & c.OccursOption
    file.WriteLine "EveryInterval=" & c.EveryInterval
    file.WriteLine "EveryFrequency=" & c.EveryFrequency
    file.WriteLine "StartHour=" & c.StartHour
    file.WriteLine "StartMinute=" & c.StartMinute
    file.WriteLine "StartDate=" & DateText(c.StartDate)
    file.WriteLine "EndDate=" & DateText(c.EndDate)
    file.WriteLine "UseEndDate=" & CInt(c.UseEndDate)
    file.WriteLine "SelectionsWeekly=" & c.SelectionsWeekly
    file.WriteLine "SelectionsMonthly=" & c.SelectionsMonthly
    file.WriteLine "LastScheduledTime=" & DateText(c.LastScheduledTime)
    file.Close
End Sub

Sub LoadSchedule(path)
    Dim file, line, value
    Set file = fso.OpenTextFile(path)
    Do Until file.AtEndOfStream
        line = file.ReadLine
        value = Mid(line, InStr(line, "=") + 1)
        Select Case Left(line, InStr(line, "=") - 1)
            Case "OccursOption": c.OccursOption = CLng(value)
            Case "EveryInterval": c.EveryInterval = CInt(value)
            Case "EveryFrequency": c.EveryFrequency = CLng(value)
            Case "StartHour": c.StartHour = CInt(value)
            Case "StartMinute": c.StartMinute = CInt(value)
            Case "StartDate": c.StartDate = TextDate(value)
            Case "EndDate": c.EndDate = TextDate(value)
            Case "UseEndDate": c.UseEndDate = (CInt(value) <> 0)
            Case "SelectionsWeekly": c.SelectionsWeekly = value
            Case "SelectionsMonthly": c.SelectionsMonthly = value
            Case "LastScheduledTime": c.LastScheduledTime = TextDate(value)
        End Select
    Loop
    file.Close
End Sub

scheduleFile = ""
edit = False
For argument = 0 To WScript.Arguments.Count - 1
    If LCase(WScript.Arguments(argument)) = "/edit" Then edit = True Else scheduleFile = WScript.Arguments(argument)
Next
If scheduleFile = "" Then
    scheduleFile = fso.BuildPath(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%APPDATA%"), _
                                 "Cadencer sample\schedule.txt")
End If

On Error Resume Next
WScript.ConnectObject c, "Cadencer_"
eventsConnected = (Err.Number = 0)
On Error GoTo 0
If eventsConnected Then
    WScript.Echo "Events: connected"
Else
    WScript.Echo "Events: this host cannot connect them"
End If

WScript.Echo "A new control: " & WhenText(c.NextScheduledTime)
If fso.FileExists(scheduleFile) Then
    LoadSchedule scheduleFile
    WScript.Echo "Schedule restored from " & scheduleFile
Else
    ' Weekly on Monday and Friday (the mask starts with Sunday) at 09:30, no end date.
    c.OccursOption = 2
    c.SelectionsWeekly = "0100010"
    c.StartHour = 9
    c.StartMinute = 30
    c.StartDate = Date
    c.UseEndDate = False
    WScript.Echo "No schedule kept yet: Monday and Friday at 09:30"
End If
If edit Then
    c.Modal = True
    c.DisplayScheduler
End If

WScript.Echo "Next run: " & WhenText(c.NextScheduledTime)
If Year(Now) - Year(c.LastScheduledTime) >= 50 Then
    WScript.Echo "Last run: never"
Else
    WScript.Echo "Last run: " & WhenText(c.LastScheduledTime)
End If

' Execute runs the schedule's action now: ScheduledTime fires and LastScheduledTime moves.
c.Execute
If eventsConnected Then
    ' The control's clock runs in this thread; Sleep lets it tick.
    WScript.Sleep 1500
End If

SaveSchedule scheduleFile
WScript.Echo "Schedule kept in " & scheduleFile
WScript.Echo "Done: OccursOption=" & c.OccursOption & " SelectionsWeekly=" & c.SelectionsWeekly & _
             " StartHour=" & c.StartHour & " StartMinute=" & c.StartMinute & " ScheduledTime events=" & fired
