// A user-interface thread's state under Wine with real threads: each thread finds its own
// parts; the state ends with its thread (the FLS callback, though nothing asked for thread
// notifications) unless something still uses it, and then with its last use; the library's
// unloading frees what is left.
#include <gtest/gtest.h>

#include <functional>

#include "win/module_lock.h"
#include "win/thread_state.h"

namespace cadencer::win {
namespace {

LONG g_partsAlive = 0;

struct CountedPart {
    CountedPart() { InterlockedIncrement(&g_partsAlive); }
    ~CountedPart() { InterlockedDecrement(&g_partsAlive); }
    DWORD madeOn = GetCurrentThreadId();
    int value = 0;
};

// A later part that reads an earlier one as it ends: the newest part ends first.
struct DependentPart {
    ~DependentPart() {
        ThreadState* state = ThreadState::Existing();
        sawEarlierPart = state && state->FindPart<CountedPart>() != nullptr;
    }
    static inline bool sawEarlierPart = false;
};

DWORD WINAPI RunBody(void* data) {
    auto* body = static_cast<std::function<void()>*>(data);
    (*body)();
    delete body;
    return 0;
}

HANDLE StartThread(const std::function<void()>& body) {
    return CreateThread(nullptr, 0, &RunBody, new std::function<void()>(body), 0, nullptr);
}

void Join(HANDLE thread) {
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
}

void RunOnThread(const std::function<void()>& body) {
    Join(StartThread(body));
}

// Events that a release paused by the test hook signals and waits for.
HANDLE g_releasePaused = nullptr;
HANDLE g_releaseGo = nullptr;

TEST(ThreadState, EachThreadHasItsOwnPartsAndTheyEndWithTheThread) {
    CountedPart* mine = ThreadState::Current()->Part<CountedPart>();
    ASSERT_NE(mine, nullptr);
    mine->value = 1;
    EXPECT_EQ(ThreadState::Current()->Part<CountedPart>(), mine);  // made once
    const LONG aliveBefore = g_partsAlive;
    const LONG statesBefore = ThreadState::StatesInProcess();

    bool hadNoState = false, ownPart = false;
    RunOnThread([&] {
        hadNoState = ThreadState::Existing() == nullptr;
        auto* theirs = ThreadState::Current()->Part<CountedPart>();
        ownPart = theirs && theirs != mine && theirs->value == 0 && theirs->madeOn == GetCurrentThreadId();
        ThreadState::Current()->Part<DependentPart>();
        DependentPart::sawEarlierPart = false;
    });
    EXPECT_TRUE(hadNoState);
    EXPECT_TRUE(ownPart);
    // The thread's end freed its state and its parts, the newest first.
    EXPECT_EQ(g_partsAlive, aliveBefore);
    EXPECT_EQ(ThreadState::StatesInProcess(), statesBefore);
    EXPECT_TRUE(DependentPart::sawEarlierPart);
    EXPECT_EQ(mine->value, 1);
    EXPECT_EQ(ModuleLockCount(), 0);
}

TEST(ThreadState, AStateInUseOutlivesItsThreadUntilTheLastUse) {
    const LONG aliveBefore = g_partsAlive;
    ThreadStateUse kept(nullptr);
    RunOnThread([&] {
        ThreadState::Current()->Part<CountedPart>();
        kept = ThreadStateUse();  // e.g. a control the host forgot to release
        const ThreadStateUse nested;
        EXPECT_EQ(ThreadState::Current()->Uses(), 2);
    });
    ASSERT_TRUE(kept);
    EXPECT_EQ(ModuleLockCount(), 1);
    EXPECT_EQ(g_partsAlive, aliveBefore + 1);  // not freed under its user
    kept.Release();
    EXPECT_EQ(g_partsAlive, aliveBefore);
    EXPECT_EQ(ModuleLockCount(), 0);
}

// The last use released on another thread just as the owner thread ends: the release is
// held on its way in (where the count used to be lowered outside the lock) while the
// owner's end runs to completion. The state must outlive that release (freed then, the
// release reads freed memory) and be freed once, when the release finishes.
TEST(ThreadState, ALastUseReleasedAsTheOwnerEndsFreesTheStateAfterTheRelease) {
    const LONG aliveBefore = g_partsAlive;
    const LONG statesBefore = ThreadState::StatesInProcess();
    g_releasePaused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_releaseGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ownerMayEnd = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE useHandedOver = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ThreadStateUse use(nullptr);
    HANDLE owner = StartThread([&] {
        ThreadState::Current()->Part<CountedPart>();
        use = ThreadStateUse();
        SetEvent(useHandedOver);
        WaitForSingleObject(ownerMayEnd, 10000);
    });
    ASSERT_EQ(WaitForSingleObject(useHandedOver, 10000), WAIT_OBJECT_0);
    ThreadState::SetReleaseHookForTest([] {
        SetEvent(g_releasePaused);
        WaitForSingleObject(g_releaseGo, 10000);
    });
    HANDLE releaser = StartThread([&] { use.Release(); });
    ASSERT_EQ(WaitForSingleObject(g_releasePaused, 10000), WAIT_OBJECT_0);

    SetEvent(ownerMayEnd);
    Join(owner);
    EXPECT_EQ(ThreadState::StatesInProcess(), statesBefore + 1) << "freed while its last use was being released";
    EXPECT_EQ(g_partsAlive, aliveBefore + 1);

    SetEvent(g_releaseGo);
    Join(releaser);
    ThreadState::SetReleaseHookForTest(nullptr);
    EXPECT_EQ(ThreadState::StatesInProcess(), statesBefore);
    EXPECT_EQ(g_partsAlive, aliveBefore);
    for (HANDLE event : {g_releasePaused, g_releaseGo, ownerMayEnd, useHandedOver}) CloseHandle(event);
}

TEST(ThreadState, UnloadingFreesTheStatesOfLiveThreadsAndStartsAfresh) {
    ThreadState::Current()->Part<CountedPart>()->value = 7;
    {
        const ThreadStateUse use;
        EXPECT_EQ(ModuleLockCount(), 1);
    }
    EXPECT_GE(ThreadState::StatesInProcess(), 1);
    ThreadState::ReleaseAll();
    EXPECT_EQ(ThreadState::StatesInProcess(), 0);
    EXPECT_EQ(g_partsAlive, 0);
    EXPECT_EQ(ThreadState::Existing(), nullptr);
    // Used again (the library loaded anew): a fresh state.
    EXPECT_EQ(ThreadState::Current()->Part<CountedPart>()->value, 0);
}

}  // namespace
}  // namespace cadencer::win
