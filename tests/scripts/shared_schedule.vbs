' Several controls of one script share one schedule, and none of them wipes it: a script
' host calls neither InitNew nor Load, so each control takes its own defaults at its first
' use and joins the shared schedule as it stands. With two and with three controls, in every
' order of first use, the first control used sets the schedule and every later one reads it
' back, and the first still reads what it set. A script error ends the script silently
' under Wine's cscript, so the last line is a summary the test requires:
'   SUMMARY: <n> checks, <m> failed
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

WScript.Echo "host: " & CreateObject("WScript.Shell").ExpandEnvironmentStrings("%PROCESSOR_ARCHITECTURE%")

' The example as a user reported it.
Dim a, b, x
Set a = CreateObject("CadencerLib.Cadencer")
Set b = CreateObject("CadencerLib.Cadencer")
' The thread's first controls find a new control's defaults in the shared schedule.
Check "first control: the default kind", a.OccursOption, CLng(0)
Check "first control: the default title", a.Title, "Schedule"
Check "first control: the default start date", a.StartDate, Date
a.OccursOption = 3
x = b.OccursOption
Check "b reads a's kind", x, CLng(3)
Check "a keeps its kind", a.OccursOption, CLng(3)
Set a = Nothing
Set b = Nothing

' Every order of first use of n controls (n = 2 and 3). The script's controls of earlier
' rounds are released; the schedule they set stays and is changed by each round's first.
Dim roundNo
roundNo = 0

Sub UseInOrder(order)
    ' An array made by Array(): Wine's VBScript fails on ReDim of a Dim'd dynamic array here.
    Dim n, controls, i, first, c
    n = UBound(order) + 1
    controls = Array(Nothing, Nothing, Nothing)
    roundNo = roundNo + 1
    For i = 0 To n - 1
        Set controls(i) = CreateObject("CadencerLib.Cadencer")
    Next
    Dim label, title, kind, interval
    label = "order"
    For i = 0 To n - 1
        label = label & " " & order(i)
    Next
    label = label & ": "
    title = "Round " & roundNo
    kind = CLng(1 + (roundNo Mod 4))
    interval = CInt(2 + roundNo)
    Set first = controls(order(0))
    first.Title = title
    ' An enumeration is let from an expression: Wine's VBScript passes a bare variable by
    ' reference, which the property's declared type refuses.
    first.OccursOption = CLng(kind)
    first.EveryInterval = interval
    first.CaptionHelpButton = "Own " & roundNo
    For i = 1 To n - 1
        Set c = controls(order(i))
        ' Its first use is a read: it joins the schedule as it stands.
        Check label & "control " & order(i) & " Title", c.Title, title
        Check label & "control " & order(i) & " OccursOption", c.OccursOption, kind
        Check label & "control " & order(i) & " EveryInterval", c.EveryInterval, interval
        ' Its own fields are a new control's.
        Check label & "control " & order(i) & " CaptionHelpButton", c.CaptionHelpButton, "&Help"
        Check label & "control " & order(i) & " Enabled", c.Enabled, True
    Next
    Check label & "first control's Title kept", first.Title, title
    Check label & "first control's OccursOption kept", first.OccursOption, kind
    Check label & "first control's EveryInterval kept", first.EveryInterval, interval
    Check label & "first control's CaptionHelpButton kept", first.CaptionHelpButton, "Own " & roundNo
    ' A later write through the last control is read by all.
    controls(order(n - 1)).StartHour = CInt(roundNo Mod 24)
    For i = 0 To n - 1
        Check label & "control " & i & " StartHour", controls(i).StartHour, CInt(roundNo Mod 24)
    Next
    For i = 0 To n - 1
        Set controls(i) = Nothing
    Next
End Sub

UseInOrder Array(0, 1)
UseInOrder Array(1, 0)
UseInOrder Array(0, 1, 2)
UseInOrder Array(0, 2, 1)
UseInOrder Array(1, 0, 2)
UseInOrder Array(1, 2, 0)
UseInOrder Array(2, 0, 1)
UseInOrder Array(2, 1, 0)

' After every control was released, a new one finds the schedule the last roundNo left.
Dim last
Set last = CreateObject("CadencerLib.Cadencer")
Check "after all were released: the schedule stays", last.Title, "Round " & roundNo
Set last = Nothing

WScript.Echo "SUMMARY: " & checks & " checks, " & failed & " failed"
