program CadencerSample;

uses
  Vcl.Forms,
  Unit1 in 'Unit1.pas' {Form1};

// No resource directive: the project ships without a resource file. Opening this .dpr in
// the IDE creates CadencerSample.dproj and CadencerSample.res (icon, version information);
// the IDE then adds the directive itself. (Pascal brace comments do not nest: a directive
// written inside one would end the comment early.)

begin
  Application.Initialize;
  Application.MainFormOnTaskbar := True;
  Application.CreateForm(TForm1, Form1);
  Application.Run;
end.
