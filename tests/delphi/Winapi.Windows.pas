{ Delphi's namespaced unit names, mapped to Free Pascal's units of the same content. }
unit Winapi.Windows;
interface
implementation
end.
