{ The few VCL declarations the Delphi sample uses, so that Free Pascal (Delphi mode) can
  parse and compile the sample's own units: not the VCL, only its shapes. }
unit Vcl.Forms;
{$mode delphi}
interface
uses Classes, Vcl.Controls;
type
  TForm = class(TWinControl)
  public
    Caption: string;
  end;
  TFormClass = class of TForm;
  TApplication = class(TComponent)
  public
    MainFormOnTaskbar: Boolean;
    procedure Initialize;
    procedure CreateForm(InstanceClass: TComponentClass; var Reference);
    procedure Run;
  end;
var
  Application: TApplication;
implementation
procedure TApplication.Initialize; begin end;
procedure TApplication.CreateForm(InstanceClass: TComponentClass; var Reference); begin end;
procedure TApplication.Run; begin end;
end.
