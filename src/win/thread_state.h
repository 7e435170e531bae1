// The state of one user-interface thread. The control is apartment-threaded: a host may
// create controls on several threads, and what the controls of one thread share (the
// schedule record, the dialog, the about box, the keyboard hook, the accessible names
// served) belongs to that thread alone. Each library keeps its share in a part of the
// thread's state, found through a TLS slot holding a plain pointer and touched only by
// that thread, so it needs no lock:
//
//   struct DialogThreadPart { ... };                           // default-constructible
//   auto* part = win::ThreadState::Current()->Part<DialogThreadPart>();
//
// What uses the state is counted, so that the library is not unloaded under it (each use
// holds the module lock, win/module_lock.h, that DllCanUnloadNow asks) and a thread's end does not free it while
// something still holds it: every control, an open dialog, about box or property frame, and a callback into a host that
// may release the last control. Count a use for a scope with
//
//   win::ThreadStateUse use;   // this thread's state; released at the end of the scope
//
// or, for a use that spans calls (an object's lifetime), hold a ThreadStateUse member.
//
// A state lives until its thread ends (an FLS callback, which runs even when the library
// disables thread notifications) or DllCanUnloadNow lets the library go, whichever comes
// first (while states exist the library holds its own module, so the callback's code stays): a
// thread that releases all its controls and creates a new one finds its record as it was.
// A state still in use when its thread ends is freed when its last use goes.
#pragma once

#include <windows.h>

#include <new>
#include <utility>
#include <vector>

namespace cadencer::win {

class ThreadState {
public:
    // The calling thread's state, made on first call; null only when memory or TLS slots
    // ran out.
    static ThreadState* Current();
    // The calling thread's state if it has one; never makes one.
    static ThreadState* Existing();

    // This thread's part of type T, default-constructed on first request; null when memory
    // ran out or the state is ending. Parts end with the state, the newest first.
    template <class T>
    T* Part() {
        if (T* found = FindPart<T>()) return found;
        if (ending_) return nullptr;
        T* made = new (std::nothrow) T();
        if (made && !AddPart(&PartKey<T>::key, made, [](void* p) { delete static_cast<T*>(p); })) {
            delete made;
            made = nullptr;
        }
        return made;
    }
    template <class T>
    T* FindPart() const {
        for (const auto& part : parts_)
            if (part.key == &PartKey<T>::key) return static_cast<T*>(part.object);
        return nullptr;
    }

    void AddUse();
    // The last use of a state whose thread has ended frees it.
    void ReleaseUse();
    LONG Uses() const { return InterlockedCompareExchange(const_cast<LONG*>(&uses_), 0, 0); }
    DWORD ThreadId() const { return threadId_; }

    // States kept for threads that are still alive (none in use); for tests.
    static LONG StatesInProcess();
    // For tests: called by ReleaseUse before it lowers the count, so that a test can end the
    // owner thread while another thread's release is under way. Null outside tests.
    static void SetReleaseHookForTest(void (*hook)());
    // The library may be unloaded (DllCanUnloadNow, nothing in use): frees every state that
    // is left, gives the slots back and lets go of the library's own module. Only plain
    // memory goes: a state without uses holds no window. Used again, the library starts
    // afresh.
    static void ReleaseAll();

    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;

private:
    template <class T>
    struct PartKey {
        static constexpr char key = 0;
    };
    struct PartEntry {
        const void* key;
        void* object;
        void (*destroy)(void*);
    };

    ThreadState();
    ~ThreadState();
    bool AddPart(const void* key, void* object, void (*destroy)(void*));
    static void WINAPI ThreadEnded(void* state);
    static void End(ThreadState* state);

    std::vector<PartEntry> parts_;
    LONG uses_ = 0;
    DWORD threadId_;
    bool threadEnded_ = false;
    bool ending_ = false;
};

// Counts one use of a thread's state while it lives (an empty guard when there is none).
class [[nodiscard]] ThreadStateUse {
public:
    // The calling thread's state, made if need be.
    ThreadStateUse() : ThreadStateUse(ThreadState::Current()) {}
    explicit ThreadStateUse(ThreadState* state) : state_(state) {
        if (state_) state_->AddUse();
    }
    ~ThreadStateUse() { Release(); }
    ThreadStateUse(ThreadStateUse&& other) noexcept : state_(std::exchange(other.state_, nullptr)) {}
    ThreadStateUse& operator=(ThreadStateUse&& other) noexcept {
        if (this != &other) {
            Release();
            state_ = std::exchange(other.state_, nullptr);
        }
        return *this;
    }
    ThreadStateUse(const ThreadStateUse&) = delete;
    ThreadStateUse& operator=(const ThreadStateUse&) = delete;

    ThreadState* State() const { return state_; }
    explicit operator bool() const { return state_ != nullptr; }
    void Release() {
        if (auto* state = std::exchange(state_, nullptr)) state->ReleaseUse();
    }

private:
    ThreadState* state_;
};

}  // namespace cadencer::win
