// What the demo host offers its scripted tour.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cadencer.h"

namespace demo {

_Cadencer* Control();
HWND MainWindow();
const std::vector<std::wstring>& LogLines();
void AddLog(const std::wstring& text);
void RefreshView();
bool SaveProperties();
bool ReloadControl();

}  // namespace demo
