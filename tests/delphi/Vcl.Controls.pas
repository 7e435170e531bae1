{ Shapes of the VCL declarations the Delphi sample uses (see Vcl.Forms.pas). }
unit Vcl.Controls;
{$mode delphi}
interface
uses Classes;
type
  TWinControl = class(TComponent)
  public
    Parent: TWinControl;
    procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer);
  end;
implementation
procedure TWinControl.SetBounds(ALeft, ATop, AWidth, AHeight: Integer); begin end;
end.
