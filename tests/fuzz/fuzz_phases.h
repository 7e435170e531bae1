// The fuzzer's phases, each run against the real control: automation calls, property
// bags, streams and storages, and event handlers that call back into the control.
#pragma once

#include <cstdint>
#include <string>

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
void RunReentrancyPhase(Random& random, std::uint64_t scenarios, Counts& counts);
// Create, load, save and release, many times: no growth of memory or windows.
void RunLifecycleSoak(std::uint64_t cycles, Counts& counts);

// A fresh control in the given mode (0 user, 1 design, 2 no site), given its defaults.
ComPtr<IUnknown> NewControl(int siteMode);

}  // namespace cadencer_fuzz
