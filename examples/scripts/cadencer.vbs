' Cadencer from VBScript (Windows Script Host): run with
'   cscript //nologo cadencer.vbs
' It creates the control, sets a weekly schedule (Monday and Friday at 09:30), shows when it
' next falls due, and listens to ScheduledTime where the host can connect events.
Option Explicit

Dim c, eventsConnected, fired
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

On Error Resume Next
WScript.ConnectObject c, "Cadencer_"
eventsConnected = (Err.Number = 0)
On Error GoTo 0
If eventsConnected Then
    WScript.Echo "Events: connected"
Else
    WScript.Echo "Events: this host cannot connect them"
End If

' Weekly on Monday and Friday (the mask starts with Sunday) at 09:30, no end date.
c.OccursOption = 2
c.SelectionsWeekly = "0100010"
c.StartHour = 9
c.StartMinute = 30
c.StartDate = Date
c.UseEndDate = False

Dim nextRun, dayNames
nextRun = c.NextScheduledTime
dayNames = Array("Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday")
WScript.Echo "Next run: " & Year(nextRun) & "-" & Right("0" & Month(nextRun), 2) & "-" & _
             Right("0" & Day(nextRun), 2) & " " & Right("0" & Hour(nextRun), 2) & ":" & _
             Right("0" & Minute(nextRun), 2) & " (" & dayNames(Weekday(nextRun) - 1) & ")"

' Execute runs the schedule's action now: ScheduledTime fires and LastScheduledTime moves.
c.Execute
If eventsConnected Then
    ' The control's clock runs in this thread; Sleep lets it tick.
    WScript.Sleep 1500
End If

WScript.Echo "Done: OccursOption=" & c.OccursOption & " SelectionsWeekly=" & c.SelectionsWeekly & _
             " StartHour=" & c.StartHour & " StartMinute=" & c.StartMinute & " ScheduledTime events=" & fired
