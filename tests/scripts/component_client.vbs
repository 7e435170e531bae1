' A script client of cadencer.ocx, as a host's own script would use it: creates the
' control by its ProgID, sets and reads every property, calls the methods and checks
' that bad values are refused without losing what was stored. A script error ends the
' script silently under Wine's cscript, so the last line is a summary the test requires:
'   SUMMARY: <n> checks, <m> failed
' DisplayAboutBox is not called: the about box is modal and waits for a user.
Option Explicit

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

' The host's bitness (AMD64 or x86): the test checks that the intended cscript ran.
WScript.Echo "host: " & CreateObject("WScript.Shell").ExpandEnvironmentStrings("%PROCESSOR_ARCHITECTURE%")

Dim c
Set c = CreateObject("CadencerLib.Cadencer")

' A new instance's defaults, in run mode (no container).
Check "Title", c.Title, "Schedule"
Check "Enabled", c.Enabled, True
Check "Modal", c.Modal, False
Check "ShowHelpButton", c.ShowHelpButton, False
Check "StartUpPosition", c.StartUpPosition, CLng(1)
Check "OccursOption", c.OccursOption, CLng(0)
Check "EveryInterval", c.EveryInterval, CInt(1)
Check "EveryMinuteMax", c.EveryMinuteMax, CInt(600)
Check "StartHour", c.StartHour, CInt(24)
Check "StartDate", c.StartDate, Date
Check "EndDate", c.EndDate, DateAdd("m", 1, Date)
Check "SelectionsWeekly", c.SelectionsWeekly, "0000000"
Check "SelectionsMonthly", Len(c.SelectionsMonthly), CLng(31)
CheckTrue "Icon has a handle", c.Icon.Handle <> 0

' Every property set and read back, with the corrections of the lets.
c.Modal = True : Check "Modal", c.Modal, True
c.ShowHelpButton = True : Check "ShowHelpButton", c.ShowHelpButton, True
c.StartUpPosition = 0 : Check "StartUpPosition", c.StartUpPosition, CLng(0)
c.StartUpLeft = 1440 : Check "StartUpLeft", c.StartUpLeft, CLng(1440)
c.StartUpTop = 70000 : Check "StartUpTop", c.StartUpTop, CLng(70000)
c.Title = "" : Check "Title empty", c.Title, "Schedule"
c.Title = "Nightly backup" : Check "Title", c.Title, "Nightly backup"
c.CaptionOKButtonBefore = "" : Check "CaptionOKButtonBefore", c.CaptionOKButtonBefore, "&OK"
c.CaptionOKButtonAfter = "Save" : Check "CaptionOKButtonAfter", c.CaptionOKButtonAfter, "Save"
c.CaptionCloseButtonBefore = "Done" : Check "CaptionCloseButtonBefore", c.CaptionCloseButtonBefore, "Done"
c.CaptionCloseButtonAfter = "" : Check "CaptionCloseButtonAfter", c.CaptionCloseButtonAfter, "Cancel"
c.CaptionCloseButtonAfter = " " : Check "CaptionCloseButtonAfter blank", c.CaptionCloseButtonAfter, " "
c.CaptionHelpButton = "" : Check "CaptionHelpButton", c.CaptionHelpButton, "&Help"
Set c.Icon = Nothing : CheckTrue "Icon restored", c.Icon.Handle <> 0
c.EveryFrequency = 1 : Check "EveryFrequency", c.EveryFrequency, CLng(1)
c.EveryInterval = 45 : Check "EveryInterval", c.EveryInterval, CInt(45)
c.EveryHourMin = 0 : Check "EveryHourMin", c.EveryHourMin, CInt(0)
c.EveryHourMax = 1000 : Check "EveryHourMax", c.EveryHourMax, CInt(999)
c.EveryHourIncrement = -2 : Check "EveryHourIncrement", c.EveryHourIncrement, CInt(-2)
c.EveryMinuteMin = 5 : Check "EveryMinuteMin", c.EveryMinuteMin, CInt(5)
c.EveryMinuteMax = -3 : Check "EveryMinuteMax", c.EveryMinuteMax, CInt(-3)
c.EveryMinuteIncrement = 0 : Check "EveryMinuteIncrement", c.EveryMinuteIncrement, CInt(0)
c.StartHour = 25 : Check "StartHour 25", c.StartHour, CInt(24)
c.StartHour = 10 : Check "StartHour", c.StartHour, CInt(10)
c.StartMinute = 60 : Check "StartMinute 60", c.StartMinute, CInt(0)
c.StartMinute = 30 : Check "StartMinute", c.StartMinute, CInt(30)
c.StartDate = DateSerial(2030, 1, 31) : Check "StartDate", c.StartDate, DateSerial(2030, 1, 31)
c.EndDate = DateSerial(2030, 12, 31) + TimeSerial(6, 0, 0)
Check "EndDate", c.EndDate, DateSerial(2030, 12, 31) + TimeSerial(6, 0, 0)
c.UseEndDate = True : Check "UseEndDate", c.UseEndDate, True
c.SelectionsWeekly = "1x1" : Check "SelectionsWeekly", c.SelectionsWeekly, "1010000"
c.SelectionsMonthly = "1" : Check "SelectionsMonthly", c.SelectionsMonthly, "1" & String(30, "0")
c.OccursOption = 1 : Check "OccursOption", c.OccursOption, CLng(1)

' Run mode: the next time follows the schedule (daily 10:30 from 31 January 2030).
Check "NextScheduledTime", c.NextScheduledTime, DateSerial(2030, 1, 31) + TimeSerial(10, 30, 0)
c.OccursOption = 4
c.LastScheduledTime = Now - TimeSerial(2, 0, 0)
CheckTrue "Every: due now", Abs(c.NextScheduledTime - Now) < TimeSerial(0, 1, 1)
c.Execute
CheckTrue "LastScheduledTime after Execute", Abs(c.LastScheduledTime - Now) < TimeSerial(0, 1, 1)
CheckTrue "NextScheduledTime after Execute", c.NextScheduledTime > Now
c.Reset
c.FlagScheduleChanged
c.FlagSchedulerClosed
c.FlagHelpButton
c.Modal = False
c.DisplayScheduler
c.SetFocus
c.CloseScheduler

' Refused values leave the stored ones alone.
On Error Resume Next
c.EveryInterval = "many"
Check "type mismatch", Err.Number, CLng(13)
Err.Clear
c.EveryInterval = 70000
Check "overflow", Err.Number, CLng(6)
Err.Clear
c.StartDate = DateSerial(100, 1, 1) - 1
CheckTrue "date before year 100 refused", Err.Number <> 0
Err.Clear
On Error GoTo 0
Check "EveryInterval kept", c.EveryInterval, CInt(45)
Check "StartDate kept", c.StartDate, DateSerial(2030, 1, 31)

' Two instances share the schedule, not their own fields. A control created without a
' container joins the shared schedule as it stands at its first use (here: reading its
' kind); what either sets later, both read.
Dim d
Set d = CreateObject("CadencerLib.Cadencer")
Check "the second control's first use: the shared kind", d.OccursOption, c.OccursOption
Check "the first control's schedule kept", c.EveryInterval, CInt(45)
c.OccursOption = 2
c.CaptionHelpButton = "Mine"
Check "shared OccursOption", d.OccursOption, CLng(2)
CheckTrue "own CaptionHelpButton", d.CaptionHelpButton <> "Mine"

' Disabled: the run-time gate closes.
c.Enabled = False
Check "disabled NextScheduledTime", CDbl(c.NextScheduledTime), CDbl(0)
Set d = Nothing
Set c = Nothing

WScript.Echo "SUMMARY: " & checks & " checks, " & failed & " failed"
