// An opt-in trace of what a container does with a control, for hosts that misbehave:
// every IOleObject, IOleControl and IPersist* call with its HRESULT, QueryInterface for
// interfaces the control does not have, ambient reads, events fired or dropped, and
// where a load stopped. Lines go to OutputDebugString and, when the environment
// variable CADENCER_TRACE names a file, are appended to that file as UTF-8
// (CADENCER_TRACE=1 traces to the debugger output alone).
//
// The variable is read when a control is created. A control created without it has no
// trace: each hook is one test of a null pointer, and the calls are not wrapped at all
// (the wrapping lives in a class of its own, created only for traced controls).
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <string>

namespace cadencer::com {

class Trace {
public:
    // The trace of a new control, or null when CADENCER_TRACE is unset or empty.
    static std::unique_ptr<Trace> FromEnvironment();
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // One line of text (printf-style), indented to the depth of the calls under way.
    void Line(const wchar_t* format, ...);

    // A container's call: "name(args)" when it starts, "name = hr" when it returns.
    void Enter(const wchar_t* name, const std::wstring& args);
    HRESULT Leave(const wchar_t* name, HRESULT hr);

    // Writes the interface asked for and returns E_NOINTERFACE.
    HRESULT UnknownInterface(REFIID iid);
    void AmbientRead(const wchar_t* name, HRESULT hr, const wchar_t* value);
    void Event(DISPID id, bool dropped, std::size_t sinks);

    // "0x80020005 DISP_E_TYPEMISMATCH"; the name only for the codes containers meet.
    static std::wstring Describe(HRESULT hr);

private:
    Trace(HANDLE file, long id) : file_(file), id_(id) {}
    void Write(const std::wstring& text);

    HANDLE file_;
    long id_;
    int depth_ = 0;
};

}  // namespace cadencer::com
