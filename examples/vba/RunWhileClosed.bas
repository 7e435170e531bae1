Attribute VB_Name = "RunWhileClosed"
' Running the job while the workbook is closed: the schedule of the UserForm's Cadencer goes to the
' Windows Task Scheduler as a task of the current user (CadencerTools.Task), and is shown as
' an iCalendar rule and a cron line (CadencerTools.Schedule). Add this module to the project
' (File > Import File in the VBA editor) and call it from the UserForm, for example:
'     RegisterJob Cadencer1.Object, "Nightly backup", ThisWorkbook.Path & "\backup.exe", "/quiet"
' Pass Cadencer1.Object, the control itself, rather than its extender. A conversion that
' cannot hold the schedule exactly raises an error whose Description says why.
Option Explicit

Public Sub RegisterJob(ByVal Scheduler As Object, ByVal TaskName As String, ByVal Command As String, _
                       ByVal Arguments As String)
    Dim Tasks As Object
    Set Tasks = CreateObject("CadencerTools.Task")
    ' True: replace a task of that name; without it an existing name raises an error.
    Tasks.RegisterTask Scheduler, TaskName, Command, Arguments, True
End Sub

Public Sub UnregisterJob(ByVal TaskName As String)
    CreateObject("CadencerTools.Task").UnregisterTask TaskName
End Sub

Public Function ScheduleForms(ByVal Scheduler As Object) As String
    Dim Tools As Object, Runs As Variant, I As Long, Text As String
    Set Tools = CreateObject("CadencerTools.Schedule")
    Text = Tools.Describe(Scheduler) & vbCrLf
    Runs = Tools.NextRuns(Scheduler, 5)
    For I = LBound(Runs) To UBound(Runs)
        Text = Text & Format$(Runs(I), "yyyy-mm-dd hh:nn") & vbCrLf
    Next
    Text = Text & Tools.ToRRule(Scheduler) & vbCrLf
    On Error Resume Next
    Text = Text & "cron: " & Tools.ToCron(Scheduler)
    If Err.Number <> 0 Then Text = Text & "no cron line: " & Err.Description
    On Error GoTo 0
    ScheduleForms = Text
End Function
