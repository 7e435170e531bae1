{ The declarations of the unit Delphi's importer generates from CadencerLib that the sample
  uses, in the shapes its documented rules give them: the enumerations as TOleEnum constants,
  the dual interface's lets as Set_ procedures (OccursOption's takes its value by reference,
  so it is a var setter and no writable property), and TCadencer's events. Enough for Free
  Pascal to check the sample; not a wrapper of the control. }
unit CadencerLib_TLB;
{$mode delphi}
interface
uses Classes, Vcl.Controls;
type
  TOleEnum = type Integer;
  Occurs = TOleEnum;
const
  Never = $00000000;
  Daily = $00000001;
  Weekly = $00000002;
  Monthly = $00000003;
  Every = $00000004;
type
  _Cadencer = interface(IDispatch)
    ['{00000000-0000-0000-0000-000000000000}']
    procedure Set_OccursOption(var OccursOption: Occurs); safecall;
  end;
  TCadencerScheduledTime = procedure(ASender: TObject; var DateTime: TDateTime) of object;
  TCadencer = class(TWinControl)
  private
    FOccursOption: Occurs;
    FNextScheduledTime, FLastScheduledTime: TDateTime;
    FOnScheduleChanged: TNotifyEvent;
    FOnScheduledTime: TCadencerScheduledTime;
    function GetControlInterface: _Cadencer;
  public
    Title, SelectionsWeekly: WideString;
    Modal: WordBool;
    StartHour, StartMinute: Smallint;
    procedure DisplayScheduler;
    property ControlInterface: _Cadencer read GetControlInterface;
    property OccursOption: Occurs read FOccursOption;
    property NextScheduledTime: TDateTime read FNextScheduledTime;
    property LastScheduledTime: TDateTime read FLastScheduledTime write FLastScheduledTime;
    property OnScheduleChanged: TNotifyEvent read FOnScheduleChanged write FOnScheduleChanged;
    property OnScheduledTime: TCadencerScheduledTime read FOnScheduledTime write FOnScheduledTime;
  end;
implementation
function TCadencer.GetControlInterface: _Cadencer; begin Result := nil; end;
procedure TCadencer.DisplayScheduler; begin end;
end.
