// The fuzzer's phases, each run against the real control: automation calls, property
// bags, streams and storages, and event handlers that call back into the control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace cadencer_fuzz {

struct Counts {
    std::uint64_t calls = 0;    // automation calls and interleaved operations
    std::uint64_t invokes = 0;  // IDispatch::Invoke among them
    std::uint64_t invokeSuccesses = 0;
    std::uint64_t roundTrips = 0;  // save and reload during the calls
    std::uint64_t bagLoads = 0;
    std::uint64_t streamLoads = 0;
    std::uint64_t truncations = 0;
    std::uint64_t byteFlips = 0;
    std::uint64_t garbage = 0;
    std::uint64_t hugeLengths = 0;
    std::uint64_t failingReads = 0;
    std::uint64_t storageLoads = 0;
    std::uint64_t corruptAccepted = 0;  // corrupted forms that loaded (and reloaded the same)
    std::uint64_t reentrantScenarios = 0;
    std::uint64_t events = 0;
};

void RunDispatchPhase(Random& random, std::uint64_t calls, Counts& counts);
void RunBagPhase(Random& random, std::uint64_t randomBags, Counts& counts);
// Every truncation and a change of every byte of each saved form; inside the picture's
// pixels every pixelStride-th byte.
void RunStreamPhase(Random& random, std::uint64_t garbageStreams, std::size_t pixelStride, Counts& counts);
// The kinds of hostile stream a load may bring; Any draws one at random per load.
enum class HostileKind {
    Truncation,
    ByteChange,
    PictureHeaderBit,
    HugeLength,
    FailingRead,
    Garbage,
    MultiByteDamage,
    Any
};
const char* HostileKindName(HostileKind kind);
// Hostile stream loads (of one kind, or any), a new control every other load; the live heap
// (LiveHeapBytes) and the committed memory once the loads up to each checkpoint are done and
// their controls released.
struct MemoryReading {
    SIZE_T heap = 0;
    SIZE_T committed = 0;
};
std::vector<MemoryReading> RunStreamHeapCheck(Random& random, const std::vector<std::uint64_t>& checkpoints,
                                              HostileKind only, Counts& counts);
// Faults when memory after a later checkpoint exceeds that after the first by more than a
// fixed bound, whatever the number of loads; prints each reading.
void CheckStreamMemory(const std::vector<std::uint64_t>& checkpoints, const std::vector<MemoryReading>& readings,
                       HostileKind kind);
void RunReentrancyPhase(Random& random, std::uint64_t scenarios, Counts& counts);
// Create, load, save and release, many times: no growth of memory or windows.
void RunLifecycleSoak(std::uint64_t cycles, Counts& counts);

// A fresh control in the given mode (0 user, 1 design, 2 no site), given its defaults.
ComPtr<IUnknown> NewControl(int siteMode);

}  // namespace cadencer_fuzz
