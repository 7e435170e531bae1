// The fuzzer's common ground: the real cadencer.ocx loaded straight from its file (no
// registration), a seeded random source, the record of the operation under way (what a
// crash or a hang report names), the fault list, the guards (an unhandled-exception
// filter and a watchdog thread), resource counters that work under Wine (windows by
// enumeration, memory by the process counters and a VirtualQuery walk), a container site
// in user or design mode, and a closer for the modal windows the control may open.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cadencer.h"
#include "fake_unknown.h"
#include "stored_keys.h"
#include "win/scoped.h"

namespace cadencer_fuzz {

using cadencer::win::ScopedBstr;
using cadencer::win::ScopedExcepInfo;
using cadencer::win::ScopedVariant;
using Microsoft::WRL::ComPtr;

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t Next() { return engine_(); }
    // 0 to n - 1.
    std::size_t Below(std::size_t n) { return n ? static_cast<std::size_t>(engine_() % n) : 0; }
    bool Percent(int p) { return static_cast<int>(Below(100)) < p; }
    template <class C>
    const auto& Pick(const C& items) {
        return items[Below(std::size(items))];
    }

private:
    std::mt19937_64 engine_;
};

// cadencer.ocx from the build tree, and new controls from its class object.
bool LoadOcx();
ComPtr<IUnknown> CreateControl();

// The operation under way; a crash or a hang report quotes it. Cheap: a fixed buffer.
void Doing(const char* format, ...);
const char* CurrentOperation();

// Faults found; each is printed at once with the operation it happened in.
void Fault(const char* kind, const std::string& detail);
int FaultCount();

// An unhandled-exception filter that reports the operation and ends the process, and a
// watchdog that does the same when one operation runs longer than the limit.
void InstallGuards(DWORD hangLimitMs);
// Operations known to take long (a modal window the closer must find) may extend it.
void ExtendWatchdog(DWORD extraMs);

// Windows of this thread: top-level and their children, and message-only windows.
int ThreadWindowCount();
// Committed bytes of the process, and their peak (the process memory counters).
SIZE_T CommittedBytes();
SIZE_T PeakCommittedBytes();
// Private committed bytes by a walk of the address space.
SIZE_T PrivateBytesByWalk();
// Bytes in use in every heap of the process (HeapWalk over its busy blocks).
SIZE_T LiveHeapBytes();

void PumpMessages(DWORD milliseconds);

// A thread timer that closes every visible window of this thread other than the ones
// the fuzzer keeps, so modal dialogs and message boxes end on their own.
void StartModalCloser();

// A container's client site with ambient properties; UserMode true, false or unanswered.
class FakeSite final : public IOleClientSite, public IDispatch {
public:
    explicit FakeSite(std::optional<bool> userMode) : userMode_(userMode) {}
    void SetUserMode(std::optional<bool> userMode) { userMode_ = userMode; }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    ~FakeSite() = default;
    LONG refs_ = 1;
    std::optional<bool> userMode_;
};

// The 29 stored keys, in the control's writing order.
using cadencer_test::kStoredKeys;

// Every readable property of the control, read through IDispatch, as one text; an empty
// optional when a get fails or returns a value of the wrong kind (the failure is reported).
std::optional<std::string> ReadAllProperties(IDispatch* control, const char* context);

// Stream helpers.
ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes);
std::vector<BYTE> SaveStream(IUnknown* control, HRESULT* hr);
HRESULT LoadStream(IUnknown* control, const std::vector<BYTE>& bytes);

}  // namespace cadencer_fuzz
