{ Shapes of the VCL declarations the Delphi sample uses (see Vcl.Forms.pas). }
unit Vcl.StdCtrls;
{$mode delphi}
interface
uses Classes, Vcl.Controls;
type
  TButton = class(TWinControl) public Caption: string; end;
  TLabel = class(TWinControl) public Caption: string; end;
  TMemo = class(TWinControl) public Lines: TStrings; end;
implementation
end.
