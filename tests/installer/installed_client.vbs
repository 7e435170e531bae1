' The installed control as a script host of either bitness finds it: created by its ProgID
' and read with a new instance's defaults. The first line names the host's bitness
' (AMD64 or x86) so the test knows which cscript ran, the second the file this host's
' registry view names and its version as the system reads it from the version resource
' ("ocx: <version> <path>"). A script error ends Wine's cscript silently, so the last line
' is a summary the test requires:
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

Dim ocx
ocx = CreateObject("WScript.Shell").RegRead("HKCR\CLSID\{243AC4C2-0386-444A-9D31-F34D971A1CAB}\InprocServer32\")
WScript.Echo "ocx: " & CreateObject("Scripting.FileSystemObject").GetFileVersion(ocx) & " " & ocx

Dim c
Set c = CreateObject("CadencerLib.Cadencer")
Check "Title", c.Title, "Schedule"
Check "Enabled", c.Enabled, True
Check "Modal", c.Modal, False
Check "OccursOption", c.OccursOption, CLng(0)
Check "EveryInterval", c.EveryInterval, CInt(1)
Check "StartHour", c.StartHour, CInt(24)
Check "StartDate", c.StartDate, Date
Check "EndDate", c.EndDate, DateAdd("m", 1, Date)
Check "SelectionsWeekly", c.SelectionsWeekly, "0000000"
Check "Icon has a handle", c.Icon.Handle <> 0, True
Set c = Nothing

WScript.Echo "SUMMARY: " & checks & " checks, " & failed & " failed"
