object Form1: TForm1
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Nightly backup'
  ClientHeight = 200
  ClientWidth = 400
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  TextHeight = 13
  object lblNext: TLabel
    Left = 40
    Top = 14
    Width = 49
    Height = 13
    Caption = 'Next run:'
  end
  object btnSchedule: TButton
    Left = 304
    Top = 8
    Width = 88
    Height = 25
    Caption = '&Schedule...'
    TabOrder = 0
    OnClick = btnScheduleClick
  end
  object memLog: TMemo
    Left = 8
    Top = 40
    Width = 384
    Height = 152
    ReadOnly = True
    TabOrder = 1
  end
end
