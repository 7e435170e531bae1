// Per-thread state: the TLS slot that finds it, the FLS slot whose callback ends it with its
// thread, the use count, and the process-wide list of states that the library's unloading
// frees. Only the list and the slots' one-time set-up are shared between threads (behind
// one lock); a state itself is touched by its own thread.
#include "win/thread_state.h"

#include "win/module_lock.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace cadencer::win {
namespace {

// Guards the slots' set-up and the list of states. Static initialisation: nothing to do in
// DllMain.
SRWLOCK g_lock = SRWLOCK_INIT;
std::atomic<DWORD> g_tls{TLS_OUT_OF_INDEXES};
DWORD g_fls = FLS_OUT_OF_INDEXES;
std::vector<ThreadState*> g_states;
// A reference to the library's own module while the slots exist: their callback is its
// code, so a host that frees the library without asking DllCanUnloadNow (or while a thread
// with a state lives) must not unmap it under a thread that has yet to end.
HMODULE g_pin = nullptr;
std::atomic<void (*)()> g_releaseHook{nullptr};

class ExclusiveLock {
public:
    ExclusiveLock() { AcquireSRWLockExclusive(&g_lock); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&g_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
};

// Removes a state from the list; true for the one caller that found it there (and so frees it).
bool Unlist(ThreadState* state) {
    const auto found = std::find(g_states.begin(), g_states.end(), state);
    if (found == g_states.end()) return false;
    g_states.erase(found);
    return true;
}

}  // namespace

ThreadState::ThreadState() : threadId_(GetCurrentThreadId()) {}

ThreadState::~ThreadState() {
    ending_ = true;
    // The newest part first: a part made later may refer to an earlier one.
    while (!parts_.empty()) {
        const PartEntry part = parts_.back();
        parts_.pop_back();
        part.destroy(part.object);
    }
}

bool ThreadState::AddPart(const void* key, void* object, void (*destroy)(void*)) {
    try {
        parts_.push_back(PartEntry{key, object, destroy});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

ThreadState* ThreadState::Existing() {
    const DWORD slot = g_tls.load(std::memory_order_acquire);
    if (slot == TLS_OUT_OF_INDEXES) return nullptr;
    // TlsGetValue clears the last error; a window hook or a failing call's caller may be
    // about to read it.
    const DWORD lastError = GetLastError();
    auto* state = static_cast<ThreadState*>(TlsGetValue(slot));
    SetLastError(lastError);
    return state;
}

ThreadState* ThreadState::Current() {
    if (ThreadState* state = Existing()) return state;
    DWORD tls = g_tls.load(std::memory_order_acquire);
    if (tls == TLS_OUT_OF_INDEXES) {
        const ExclusiveLock lock;
        tls = g_tls.load(std::memory_order_relaxed);
        if (tls == TLS_OUT_OF_INDEXES) {
            // The FLS slot exists for its callback alone: it runs when the thread ends,
            // even in a library that disabled its thread notifications.
            const DWORD fls = FlsAlloc(&ThreadState::ThreadEnded);
            if (fls == FLS_OUT_OF_INDEXES) return nullptr;
            tls = TlsAlloc();
            if (tls == TLS_OUT_OF_INDEXES) {
                FlsFree(fls);
                return nullptr;
            }
            g_fls = fls;
            GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                               reinterpret_cast<LPCWSTR>(&ThreadState::ThreadEnded), &g_pin);
            g_tls.store(tls, std::memory_order_release);
        }
    }
    auto* state = new (std::nothrow) ThreadState();
    if (!state) return nullptr;
    {
        const ExclusiveLock lock;
        try {
            g_states.push_back(state);
        } catch (const std::bad_alloc&) {
            delete state;
            return nullptr;
        }
    }
    TlsSetValue(tls, state);
    FlsSetValue(g_fls, state);
    return state;
}

void ThreadState::AddUse() {
    InterlockedIncrement(&uses_);
    LockModule();
}

void ThreadState::ReleaseUse() {
    if (auto hook = g_releaseHook.load()) hook();
    // Lowering the count and deciding to free are one step under the lock, as ThreadEnded's
    // are: lowered outside it, the owner's end could see no use left and free the state
    // before this release looked at it.
    bool free = false;
    {
        const ExclusiveLock lock;
        free = InterlockedDecrement(&uses_) == 0 && threadEnded_ && Unlist(this);
    }
    if (free) End(this);
    // Last: the library stays loaded until the state's parts have ended.
    UnlockModule();
}

void WINAPI ThreadState::ThreadEnded(void* data) {
    auto* state = static_cast<ThreadState*>(data);
    bool free = false;
    {
        const ExclusiveLock lock;
        // A state the library's unloading has freed already is not in the list any more.
        if (std::find(g_states.begin(), g_states.end(), state) == g_states.end()) return;
        state->threadEnded_ = true;
        free = state->Uses() == 0 && Unlist(state);
    }
    if (free) End(state);
}

void ThreadState::End(ThreadState* state) {
    // While its parts end, the thread still finds its state (ending: no new parts), so
    // nothing they call makes a new one.
    const bool own = state->threadId_ == GetCurrentThreadId();
    const DWORD slot = g_tls.load(std::memory_order_acquire);
    delete state;
    if (own && slot != TLS_OUT_OF_INDEXES) TlsSetValue(slot, nullptr);
    if (own && g_fls != FLS_OUT_OF_INDEXES) FlsSetValue(g_fls, nullptr);
}

void ThreadState::SetReleaseHookForTest(void (*hook)()) {
    g_releaseHook.store(hook);
}

LONG ThreadState::StatesInProcess() {
    AcquireSRWLockShared(&g_lock);
    const auto count = static_cast<LONG>(g_states.size());
    ReleaseSRWLockShared(&g_lock);
    return count;
}

void ThreadState::ReleaseAll() {
    std::vector<ThreadState*> idle;
    {
        const ExclusiveLock lock;
        for (auto it = g_states.begin(); it != g_states.end();) {
            if ((*it)->Uses() == 0) {
                idle.push_back(*it);
                it = g_states.erase(it);
            } else {
                ++it;  // still in use: left alone rather than freed under its user
            }
        }
        if (g_states.empty()) std::vector<ThreadState*>().swap(g_states);
    }
    for (ThreadState* state : idle) End(state);
    const DWORD tls = g_tls.exchange(TLS_OUT_OF_INDEXES);
    // Freeing the FLS slot may call the callback for values left in it: it finds those
    // states gone from the list and does nothing.
    if (g_fls != FLS_OUT_OF_INDEXES) FlsFree(std::exchange(g_fls, FLS_OUT_OF_INDEXES));
    if (tls != TLS_OUT_OF_INDEXES) TlsFree(tls);
    // Not the last reference: the caller of DllCanUnloadNow holds the library loaded.
    if (HMODULE pin = std::exchange(g_pin, nullptr)) FreeLibrary(pin);
}

}  // namespace cadencer::win
