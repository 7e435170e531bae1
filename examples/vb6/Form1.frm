VERSION 5.00
Object = "{3057AF13-3A41-4CD1-933B-9BA41F03F97D}#1.0#0"; "cadencer.ocx"
Begin VB.Form Form1 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Nightly backup"
   ClientHeight    =   1695
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   5040
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   1695
   ScaleWidth      =   5040
   StartUpPosition =   2  'CenterScreen
   Begin CadencerLib.Cadencer Cadencer1 
      Left            =   120
      Top             =   120
      _ExtentX        =   635
      _ExtentY        =   635
      Title           =   "Backup schedule"
      Modal           =   -1  'True
      OccursOption    =   2
      StartHour       =   9
      StartMinute     =   30
      SelectionsWeekly=   "0100010"
   End
   Begin VB.CommandButton cmdSchedule 
      Caption         =   "&Schedule..."
      Default         =   -1  'True
      Height          =   375
      Left            =   3600
      TabIndex        =   0
      Top             =   120
      Width           =   1335
   End
   Begin VB.CommandButton cmdRunNow 
      Caption         =   "&Run now"
      Height          =   375
      Left            =   3600
      TabIndex        =   1
      Top             =   600
      Width           =   1335
   End
   Begin VB.Label lblLast 
      Caption         =   "Last run: never"
      Height          =   255
      Left            =   600
      TabIndex        =   3
      Top             =   600
      Width           =   2895
   End
   Begin VB.Label lblNext 
      Caption         =   "Next run:"
      Height          =   255
      Left            =   600
      TabIndex        =   2
      Top             =   180
      Width           =   2895
   End
End
Attribute VB_Name = "Form1"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
' A form with a Cadencer control: the Schedule button opens the control's schedule dialog,
' ScheduledTime runs the job when the schedule falls due, and the schedule the user chose
' is kept in the registry (SaveSetting) and comes back when the program starts again.
Option Explicit

Private Const AppName As String = "Cadencer sample"
Private Const Section As String = "Schedule"

Private Sub Form_Load()
    ' The properties set in the designer are compiled into the program; what the user chose
    ' at run time comes back from the registry.
    LoadSchedule
    ShowNextRun
End Sub

Private Sub Form_Unload(Cancel As Integer)
    SaveSchedule
End Sub

Private Sub cmdSchedule_Click()
    ' Modal is True (set in the Properties window): this returns when the dialog closes.
    Cadencer1.DisplayScheduler
End Sub

Private Sub cmdRunNow_Click()
    ' Runs the job now; ScheduledTime fires and the next run is counted from here.
    Cadencer1.Execute
End Sub

Private Sub Cadencer1_ScheduleChanged()
    ' The user pressed OK in the schedule dialog: keep the new schedule at once.
    SaveSchedule
    ShowNextRun
End Sub

Private Sub Cadencer1_ScheduledTime(DateTime As Date)
    lblLast.Caption = "Last run: " & Format$(DateTime, "yyyy-mm-dd hh:nn")
    RunBackup
    ' An Every schedule counts from the last run, which the control does not store.
    SaveSetting AppName, Section, "LastScheduledTime", Str$(CDbl(Cadencer1.LastScheduledTime))
    ShowNextRun
End Sub

Private Sub RunBackup()
    ' ... the job itself goes here ...
End Sub

Private Sub ShowNextRun()
    lblNext.Caption = "Next run: " & WhenText(Cadencer1.NextScheduledTime)
End Sub

' Nothing due (the never marker, 50 years back) and the zero date of a disabled control or
' one in the designer both lie 50 or more calendar years back.
Private Function WhenText(ByVal t As Date) As String
    If DateDiff("yyyy", t, Now) >= 50 Then
        WhenText = "nothing scheduled"
    Else
        WhenText = Format$(t, "yyyy-mm-dd hh:nn")
    End If
End Function

' Dates as numbers: Str$ and Val use a point whatever the user's locale.
Private Sub SaveSchedule()
    With Cadencer1
        SaveSetting AppName, Section, "OccursOption", CStr(.OccursOption)
        SaveSetting AppName, Section, "EveryInterval", CStr(.EveryInterval)
        SaveSetting AppName, Section, "EveryFrequency", CStr(.EveryFrequency)
        SaveSetting AppName, Section, "StartHour", CStr(.StartHour)
        SaveSetting AppName, Section, "StartMinute", CStr(.StartMinute)
        SaveSetting AppName, Section, "StartDate", Str$(CDbl(.StartDate))
        SaveSetting AppName, Section, "EndDate", Str$(CDbl(.EndDate))
        SaveSetting AppName, Section, "UseEndDate", CStr(CInt(.UseEndDate))
        SaveSetting AppName, Section, "SelectionsWeekly", .SelectionsWeekly
        SaveSetting AppName, Section, "SelectionsMonthly", .SelectionsMonthly
        SaveSetting AppName, Section, "LastScheduledTime", Str$(CDbl(.LastScheduledTime))
    End With
End Sub

' Each value falls back to what the control holds, so the first run keeps the designer's.
' LastScheduledTime comes back too: the control starts every launch at "never run", and an
' Every schedule would then count its interval from each start (a program started more
' often than its interval would never run the job).
Private Sub LoadSchedule()
    With Cadencer1
        .OccursOption = CLng(GetSetting(AppName, Section, "OccursOption", CStr(.OccursOption)))
        .EveryInterval = CInt(GetSetting(AppName, Section, "EveryInterval", CStr(.EveryInterval)))
        .EveryFrequency = CLng(GetSetting(AppName, Section, "EveryFrequency", CStr(.EveryFrequency)))
        .StartHour = CInt(GetSetting(AppName, Section, "StartHour", CStr(.StartHour)))
        .StartMinute = CInt(GetSetting(AppName, Section, "StartMinute", CStr(.StartMinute)))
        .StartDate = CDate(Val(GetSetting(AppName, Section, "StartDate", Str$(CDbl(.StartDate)))))
        .EndDate = CDate(Val(GetSetting(AppName, Section, "EndDate", Str$(CDbl(.EndDate)))))
        .UseEndDate = (CInt(GetSetting(AppName, Section, "UseEndDate", CStr(CInt(.UseEndDate)))) <> 0)
        .SelectionsWeekly = GetSetting(AppName, Section, "SelectionsWeekly", .SelectionsWeekly)
        .SelectionsMonthly = GetSetting(AppName, Section, "SelectionsMonthly", .SelectionsMonthly)
        .LastScheduledTime = CDate(Val(GetSetting(AppName, Section, "LastScheduledTime", Str$(CDbl(.LastScheduledTime)))))
        If DateDiff("yyyy", .LastScheduledTime, Now) < 50 Then
            lblLast.Caption = "Last run: " & Format$(.LastScheduledTime, "yyyy-mm-dd hh:nn")
        End If
    End With
End Sub
