// The companion objects' part of the reference: their classes, ProgIDs and CLSIDs, and each
// interface's methods with their DISPIDs and parameters (optional ones marked), all read
// from cadencer_tools.idl, with what a method does beyond its help string written here. A
// method of the IDL without a text here stops the tool, as the control's members do.
#include "reference_tools.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace cadencer::reference {
namespace {

struct Method {
    std::string name, help;
    long dispid = 0;
    std::vector<std::string> in;  // the parameters a caller passes, "[optional]" marked
};

struct Interface {
    std::string name, uuid, help;
    std::vector<Method> methods;
};

struct ToolsIdl {
    std::string libraryUuid;
    std::vector<Interface> interfaces;
    std::map<std::string, std::string> classes;  // coclass name -> uuid
};

std::string HelpOf(const std::string& attributes) {
    static const std::regex help(R"re(helpstring\("((?:[^"\\]|\\.)*)"\))re");
    std::smatch m;
    return std::regex_search(attributes, m, help) ? std::string(m[1]) : std::string();
}

std::vector<std::string> CallerParameters(const std::string& signature) {
    static const std::regex parameter(R"(\[([^\]]*)\]\s*[\w\s]+?\**\s*(\w+)\s*(?:,|$))");
    std::vector<std::string> out;
    for (std::sregex_iterator it(signature.begin(), signature.end(), parameter), end; it != end; ++it) {
        const std::string flags = (*it)[1];
        if (flags.find("retval") != std::string::npos) continue;
        out.push_back(flags.find("optional") != std::string::npos ? "[" + std::string((*it)[2]) + "]"
                                                                  : std::string((*it)[2]));
    }
    return out;
}

ToolsIdl ReadToolsIdl(const std::string& path) {
    const std::string text = ReadText(path);
    ToolsIdl idl;
    static const std::regex library(R"(uuid\(([0-9A-Fa-f-]+)\)[^\]]*\]\s*library\s+CadencerTools)");
    static const std::regex interfaceBlock(
        R"(uuid\(([0-9A-Fa-f-]+)\)([^\]]*)\]\s*interface\s+(\w+)\s*:\s*IDispatch\s*\{([^}]*)\})");
    static const std::regex coclass(R"(uuid\(([0-9A-Fa-f-]+)\)[^\]]*\]\s*coclass\s+(\w+))");
    static const std::regex member(R"(\[\s*id\(([^)]*)\)([^\]]*)\]\s*HRESULT\s+(\w+)\(([^)]*)\);)");
    std::smatch m;
    if (std::regex_search(text, m, library)) idl.libraryUuid = m[1];
    for (std::sregex_iterator it(text.begin(), text.end(), interfaceBlock), end; it != end; ++it) {
        Interface i{(*it)[3], (*it)[1], HelpOf((*it)[2]), {}};
        const std::string body = (*it)[4];
        for (std::sregex_iterator f(body.begin(), body.end(), member); f != end; ++f)
            i.methods.push_back({(*f)[3], HelpOf((*f)[2]), std::stol((*f)[1], nullptr, 0), CallerParameters((*f)[4])});
        idl.interfaces.push_back(i);
    }
    for (std::sregex_iterator it(text.begin(), text.end(), coclass), end; it != end; ++it)
        idl.classes[(*it)[2]] = (*it)[1];
    if (idl.libraryUuid.empty() || idl.interfaces.size() != 2 || idl.classes.size() != 2)
        throw std::runtime_error(path + " does not look like the companion objects' IDL");
    return idl;
}

// What a method's help string leaves out, keyed by name (a "|" escaped: the text goes into a table).
const std::map<std::string, std::string> kMethodNotes = {
    {"Describe", "As the property pages and `cadencer-next --describe` word it."},
    {"NextRuns",
     "A `Variant` holding a zero-based array of `Variant` dates (`VT_ARRAY \\| VT_VARIANT`), at most 1,000 of them "
     "whatever `count` asks (fewer when the schedule ends); a negative `count` is refused with `E_INVALIDARG`. "
     "JScript reads it through `new VBArray(runs).toArray()`."},
    {"ToICalendar", "With `UID`, a UTC `DTSTAMP`, CRLF line ends and lines folded at 75 octets."},
    {"ToRRule", "`DTSTART` is the first run at or after the present minute."},
    {"ToCron",
     "A line installed during a minute first runs at the next one, so it is compared from the minute after the "
     "present."},
    {"ToTaskXml", "`arguments` left out: none. The task runs as the user who registers it."},
    {"FromRRule", "Sets the properties through the object's own lets, the kind last."},
    {"FromCron", "Sets the properties through the object's own lets, the kind last."},
    {"RegisterTask",
     "In the root task folder of the current user, through `ITaskService`; no administrator rights. `arguments` "
     "left out: none; `replace` left out: False (an existing task gives `HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)`)."},
    {"UnregisterTask", "A name without a task fails with the Task Scheduler's error."},
};

const std::map<std::string, std::string> kProgIds = {{"Schedule", "CadencerTools.Schedule"},
                                                     {"Task", "CadencerTools.Task"}};

void WriteInterface(const Interface& i, std::ostream& out) {
    out << "\n### " << i.name << " `{" << i.uuid << "}`\n\n"
        << i.help << " (a dual interface).\n\n| Method | DISPID | What it does |\n|---|---|---|\n";
    for (const Method& m : i.methods) {
        const auto note = kMethodNotes.find(m.name);
        if (note == kMethodNotes.end()) throw std::runtime_error("no text for the method " + m.name);
        std::string parameters;
        for (const auto& p : m.in) parameters += (parameters.empty() ? "" : ", ") + p;
        out << "| `" << m.name << "(" << parameters << ")` | " << m.dispid << " | " << m.help << " " << note->second
            << " |\n";
    }
}

}  // namespace

std::string ReadText(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::stringstream all;
    all << file.rdbuf();
    return all.str();
}

void WriteToolsReference(const std::string& idlPath, std::ostream& out) {
    const ToolsIdl idl = ReadToolsIdl(idlPath);
    out << "\n## CadencerTools: the companion objects\n\n"
           "Two classes in the same `cadencer.ocx`, in a type library of their own, `CadencerTools` 1.0 `{"
        << idl.libraryUuid
        << "}` (the OCX's second type library resource; `dist/` ships it as `cadencer_tools.tlb`, with "
           "`cadencer_tools.h` for C++). `regsvr32`, the per-user registration and the MSI register them with the "
           "control, in both bitnesses.\n\n"
           "| Class | ProgID | CLSID | Interface | Safe for scripting |\n|---|---|---|---|---|\n";
    for (const auto& [name, uuid] : idl.classes) {
        const auto progId = kProgIds.find(name);
        if (progId == kProgIds.end()) throw std::runtime_error("no ProgID for the class " + name);
        const bool schedule = name == "Schedule";
        out << "| `" << name << "` | `" << progId->second << "` | `{" << uuid << "}` | `"
            << (schedule ? "IScheduleTools" : "ITaskRegistrar") << "` | "
            << (schedule ? "yes (`IObjectSafety`, both safe categories)" : "no: full-trust code only") << " |\n";
    }
    out << "\nThe schedule's object is a Cadencer control (pass the control itself: `Cadencer1.Object` in VB6 and "
           "VBA, `axCadencer1.GetOcx()` in C#), read from its schedule record even while it is disabled or "
           "designed, or any object whose schedule properties (`OccursOption`, `EveryInterval`, `EveryFrequency`, "
           "`StartHour`, `StartMinute`, `StartDate`, `EndDate`, `UseEndDate`, `SelectionsWeekly`, "
           "`SelectionsMonthly`, `LastScheduledTime`) are read and set through `IDispatch`; it is the parameter "
           "`control`. Parameters in brackets are optional (`[in, optional] VARIANT`).\n\n"
           "A refused conversion fails with `0x80040201` (`MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201)`), "
           "whose error description (`IErrorInfo`: `Err.Description`, `e.description`, `COMException.Message`) "
           "gives the reason; the source is the class's ProgID. No object given: `E_POINTER`; an object whose "
           "schedule property cannot be read or set: that call's error, with a description naming the property.\n";
    for (const Interface& i : idl.interfaces) WriteInterface(i, out);
}

}  // namespace cadencer::reference
