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
' ScheduledTime runs the job when the schedule falls due.
Option Explicit

Private Sub Form_Load()
    ShowNextRun
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
    ' The user pressed OK in the schedule dialog.
    ShowNextRun
End Sub

Private Sub Cadencer1_ScheduledTime(DateTime As Date)
    lblLast.Caption = "Last run: " & Format$(DateTime, "yyyy-mm-dd hh:nn")
    ' ... the job itself goes here ...
    ShowNextRun
End Sub

Private Sub ShowNextRun()
    lblNext.Caption = "Next run: " & Format$(Cadencer1.NextScheduledTime, "yyyy-mm-dd hh:nn")
End Sub
