{ Delphi's namespaced unit names, mapped to Free Pascal's units of the same content. }
unit System.SysUtils;
{$mode delphi}
interface
uses SysUtils;
function Now: TDateTime;
function FormatDateTime(const Format: string; DateTime: TDateTime): string;
implementation
function Now: TDateTime; begin Result := SysUtils.Now; end;
function FormatDateTime(const Format: string; DateTime: TDateTime): string;
begin Result := SysUtils.FormatDateTime(Format, DateTime); end;
end.
