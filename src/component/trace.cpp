// The opt-in container trace: its lines, its file and the names of what it reports.
#include "component/trace.h"

#include <olectl.h>

#include <cstdarg>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "component/dispids.h"
#include "component/registry_text.h"
#include "engine/utf8.h"

namespace cadencer::com {
namespace {

LONG g_lastControlNumber = 0;

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::wstring Format(const wchar_t* format, va_list args) {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() >= 65536) return std::wstring(buffer.data());
        buffer.resize(buffer.size() * 4);
    }
}

// The registered name of an interface (HKEY_CLASSES_ROOT\Interface\{iid}), if any.
std::wstring InterfaceName(REFIID iid) {
    const std::wstring guid = GuidText(iid);
    const std::wstring key = L"Interface\\" + guid;
    wchar_t name[128] = {};
    LONG size = sizeof(name);
    std::wstring text = guid;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), name, &size) == ERROR_SUCCESS && name[0])
        text += std::wstring(L" ") + name;
    return text;
}

const wchar_t* EventName(DISPID id) {
    switch (id) {
        case kEventHelpButtonClicked:
            return L"HelpButtonClicked";
        case kEventScheduleChanged:
            return L"ScheduleChanged";
        case kEventSchedulerClosed:
            return L"SchedulerClosed";
        case kEventScheduledTime:
            return L"ScheduledTime";
    }
    return L"?";
}

}  // namespace

std::unique_ptr<Trace> Trace::FromEnvironment() {
    const std::wstring target = Environment(L"CADENCER_TRACE");
    if (target.empty()) return nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (target != L"1") {
        // Appended to, and shared, so that several controls and processes write one file.
        file = CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::unique_ptr<Trace> trace(new (std::nothrow) Trace(file, InterlockedIncrement(&g_lastControlNumber)));
    if (!trace) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return nullptr;
    }
    trace->Line(L"created in process %lu", GetCurrentProcessId());
    if (target != L"1" && file == INVALID_HANDLE_VALUE)
        trace->Line(L"cannot open the trace file %ls (error %lu)", target.c_str(), GetLastError());
    return trace;
}

Trace::~Trace() {
    Line(L"released");
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

void Trace::Write(const std::wstring& text) {
    wchar_t prefix[64];
    std::swprintf(prefix, 64, L"cadencer %lu.%03lu [%lx] #%ld ", GetTickCount() / 1000, GetTickCount() % 1000,
                  GetCurrentThreadId(), id_);
    const std::wstring line = prefix + std::wstring(static_cast<std::size_t>(depth_) * 2, L' ') + text + L"\r\n";
    OutputDebugStringW(line.c_str());
    if (file_ == INVALID_HANDLE_VALUE) return;
    const std::string utf8 = ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()));
    DWORD written = 0;
    WriteFile(file_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Trace::Line(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    Write(Format(format, args));
    va_end(args);
}

void Trace::Enter(const wchar_t* name, const std::wstring& args) {
    Write(std::wstring(name) + L"(" + args + L")");
    ++depth_;
}

HRESULT Trace::Leave(const wchar_t* name, HRESULT hr) {
    if (depth_ > 0) --depth_;
    Write(std::wstring(name) + L" = " + Describe(hr));
    return hr;
}

HRESULT Trace::UnknownInterface(REFIID iid) {
    Write(L"QueryInterface(" + InterfaceName(iid) + L") = " + Describe(E_NOINTERFACE));
    return E_NOINTERFACE;
}

void Trace::AmbientRead(const wchar_t* name, HRESULT hr, const wchar_t* value) {
    Write(std::wstring(L"ambient ") + name + L" = " + (SUCCEEDED(hr) ? value : Describe(hr).c_str()));
}

void Trace::Event(DISPID id, bool dropped, std::size_t sinks) {
    if (dropped)
        Line(L"event %ls dropped (events frozen)", EventName(id));
    else
        Line(L"event %ls fired to %lu sink(s)", EventName(id), static_cast<unsigned long>(sinks));
}

std::wstring Trace::Describe(HRESULT hr) {
    static const struct {
        HRESULT code;
        const wchar_t* name;
    } kNames[] = {
        {S_OK, L"S_OK"},
        {S_FALSE, L"S_FALSE"},
        {E_NOTIMPL, L"E_NOTIMPL"},
        {E_NOINTERFACE, L"E_NOINTERFACE"},
        {E_POINTER, L"E_POINTER"},
        {E_FAIL, L"E_FAIL"},
        {E_UNEXPECTED, L"E_UNEXPECTED"},
        {E_OUTOFMEMORY, L"E_OUTOFMEMORY"},
        {E_INVALIDARG, L"E_INVALIDARG"},
        {DISP_E_TYPEMISMATCH, L"DISP_E_TYPEMISMATCH"},
        {DISP_E_OVERFLOW, L"DISP_E_OVERFLOW"},
        {OLE_E_NOCONNECTION, L"OLE_E_NOCONNECTION"},
        {OLEOBJ_S_INVALIDVERB, L"OLEOBJ_S_INVALIDVERB"},
        {DV_E_DVASPECT, L"DV_E_DVASPECT"},
        {CTL_E_INVALIDFILEFORMAT, L"CTL_E_INVALIDFILEFORMAT"},
        {STG_E_FILENOTFOUND, L"STG_E_FILENOTFOUND"},
        {STG_E_READFAULT, L"STG_E_READFAULT"},
        {STG_E_WRITEFAULT, L"STG_E_WRITEFAULT"},
        {STG_E_MEDIUMFULL, L"STG_E_MEDIUMFULL"},
    };
    wchar_t text[64];
    std::swprintf(text, 64, L"0x%08lX", static_cast<unsigned long>(hr));
    std::wstring out = text;
    for (const auto& entry : kNames)
        if (entry.code == hr) return out + L" " + entry.name;
    return out;
}

}  // namespace cadencer::com
