{ Delphi's namespaced unit names, mapped to Free Pascal's units of the same content. }
unit System.Classes;
{$mode delphi}
interface
uses Classes;
type
  TComponent = Classes.TComponent;
  TStrings = Classes.TStrings;
implementation
end.
