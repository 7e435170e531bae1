{ Delphi's namespaced unit names, mapped to Free Pascal's units of the same content. }
unit System.DateUtils;
{$mode delphi}
interface
uses DateUtils;
function YearOf(const AValue: TDateTime): Word;
implementation
function YearOf(const AValue: TDateTime): Word; begin Result := DateUtils.YearOf(AValue); end;
end.
