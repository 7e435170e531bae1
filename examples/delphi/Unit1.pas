unit Unit1;

{ A form with a Cadencer control, created from the unit that Delphi generates when the type
  library is imported (Component > Import Component > Import ActiveX Control > CadencerLib):
  CadencerLib_TLB.pas declares TCadencer with its properties and its events. }

interface

uses
  Winapi.Windows, System.SysUtils, System.DateUtils, System.Classes, Vcl.Controls, Vcl.Forms,
  Vcl.StdCtrls, CadencerLib_TLB;

type
  TForm1 = class(TForm)
    btnSchedule: TButton;
    lblNext: TLabel;
    memLog: TMemo;
    procedure FormCreate(Sender: TObject);
    procedure btnScheduleClick(Sender: TObject);
  private
    Cadencer1: TCadencer;
    procedure Cadencer1ScheduleChanged(Sender: TObject);
    procedure Cadencer1ScheduledTime(ASender: TObject; var DateTime: TDateTime);
    procedure ShowNextRun;
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

procedure TForm1.FormCreate(Sender: TObject);
var
  Kind: Occurs;
begin
  { Created in code here; after installing the imported package the control can also be
    dropped from the ActiveX palette page, with these properties set in the Object Inspector. }
  Cadencer1 := TCadencer.Create(Self);
  Cadencer1.Parent := Self;
  Cadencer1.SetBounds(8, 8, 24, 24);
  Cadencer1.OnScheduleChanged := Cadencer1ScheduleChanged;
  Cadencer1.OnScheduledTime := Cadencer1ScheduledTime;

  Cadencer1.Title := 'Backup schedule';
  Cadencer1.Modal := True;
  { OccursOption's let takes its value by reference ([in, out] in the type library), so the
    importer makes it a var setter: pass a variable, through the control's own interface. }
  Kind := Weekly;
  Cadencer1.ControlInterface.Set_OccursOption(Kind);
  Cadencer1.SelectionsWeekly := '0100010';  { Sunday first: Monday and Friday }
  Cadencer1.StartHour := 9;
  Cadencer1.StartMinute := 30;
  ShowNextRun;
end;

procedure TForm1.btnScheduleClick(Sender: TObject);
begin
  Cadencer1.DisplayScheduler;
end;

procedure TForm1.Cadencer1ScheduleChanged(Sender: TObject);
begin
  memLog.Lines.Add('ScheduleChanged');
  ShowNextRun;
end;

procedure TForm1.Cadencer1ScheduledTime(ASender: TObject; var DateTime: TDateTime);
begin
  memLog.Lines.Add('ScheduledTime ' + FormatDateTime('yyyy-mm-dd hh:nn', DateTime));
  { ... the job itself goes here ... }
  ShowNextRun;
end;

{ Nothing due (the never marker, 50 years back) and the zero date of a disabled control or
  one in the designer both lie 50 or more calendar years back. }
function WhenText(T: TDateTime): string;
begin
  if YearOf(T) <= YearOf(Now) - 50 then
    Result := 'nothing scheduled'
  else
    Result := FormatDateTime('yyyy-mm-dd hh:nn', T);
end;

procedure TForm1.ShowNextRun;
begin
  lblNext.Caption := 'Next run: ' + WhenText(Cadencer1.NextScheduledTime);
end;

end.
