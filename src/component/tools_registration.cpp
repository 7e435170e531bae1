// The companion objects' registry entries. Schedule is entered as safe for scripting and
// initialising; the task registrar is not (it runs a command later), so a browser or a
// document refuses to create it from script.
#include "component/tools_registration.h"

#include <windows.h>

#include "cadencer_tools.h"
#include "component/registry_text.h"

namespace cadencer::com {
namespace {

struct ToolsClass {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* versionedProgId;
    const wchar_t* description;
    bool safe;
};
constexpr ToolsClass kClasses[] = {
    {&CLSID_Schedule, L"CadencerTools.Schedule", L"CadencerTools.Schedule.1", L"Cadencer Schedule Tools", true},
    {&CLSID_Task, L"CadencerTools.Task", L"CadencerTools.Task.1", L"Cadencer Task Registrar", false},
};

std::wstring LibraryVersionKey() {
    return L"TypeLib\\" + GuidText(LIBID_CadencerTools) + L"\\1.0";
}

}  // namespace

std::vector<ToolsRegistryValue> ToolsRegistryValues(const std::wstring& modulePath) {
    std::vector<ToolsRegistryValue> values;
    for (const ToolsClass& c : kClasses) {
        const std::wstring key = L"CLSID\\" + GuidText(*c.clsid);
        values.push_back({key, nullptr, c.description});
        values.push_back({key + L"\\InprocServer32", nullptr, modulePath});
        values.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        values.push_back({key + L"\\ProgID", nullptr, c.versionedProgId});
        values.push_back({key + L"\\VersionIndependentProgID", nullptr, c.progId});
        values.push_back({key + L"\\Programmable", nullptr, L""});
        values.push_back({key + L"\\TypeLib", nullptr, GuidText(LIBID_CadencerTools)});
        values.push_back({key + L"\\Version", nullptr, L"1.0"});
        if (c.safe) {
            values.push_back({key + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}", nullptr, L""});
            values.push_back({key + L"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", nullptr, L""});
        }
        values.push_back({c.progId, nullptr, c.description});
        values.push_back({std::wstring(c.progId) + L"\\CLSID", nullptr, GuidText(*c.clsid)});
        values.push_back({std::wstring(c.progId) + L"\\CurVer", nullptr, c.versionedProgId});
        values.push_back({c.versionedProgId, nullptr, c.description});
        values.push_back({std::wstring(c.versionedProgId) + L"\\CLSID", nullptr, GuidText(*c.clsid)});
    }
    // The library is the OCX's second type library resource; hosts that reference it (VB6,
    // VBA, .NET) find it under the neutral and the English locale.
    const std::wstring library = modulePath + L"\\2";
    const std::wstring directory = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    values.push_back({LibraryVersionKey(), nullptr, L"Cadencer Tools 1.0"});
    values.push_back({LibraryVersionKey() + L"\\0\\" + kPlatformKey, nullptr, library});
    values.push_back({LibraryVersionKey() + L"\\409\\" + kPlatformKey, nullptr, library});
    values.push_back({LibraryVersionKey() + L"\\FLAGS", nullptr, L"0"});
    values.push_back({LibraryVersionKey() + L"\\HELPDIR", nullptr, directory});
    return values;
}

std::vector<std::wstring> ToolsClassKeys() {
    std::vector<std::wstring> keys;
    for (const ToolsClass& c : kClasses) keys.push_back(L"CLSID\\" + GuidText(*c.clsid));
    return keys;
}

std::vector<std::pair<std::wstring, std::wstring>> ToolsProgIds() {
    std::vector<std::pair<std::wstring, std::wstring>> ids;
    for (const ToolsClass& c : kClasses) {
        ids.emplace_back(c.progId, GuidText(*c.clsid));
        ids.emplace_back(c.versionedProgId, GuidText(*c.clsid));
    }
    return ids;
}

std::vector<std::wstring> ToolsLibraryKeys() {
    const std::wstring version = LibraryVersionKey();
    return {version + L"\\0\\" + kPlatformKey,
            version + L"\\0",
            version + L"\\409\\" + kPlatformKey,
            version + L"\\409",
            version,
            L"TypeLib\\" + GuidText(LIBID_CadencerTools)};
}

}  // namespace cadencer::com
