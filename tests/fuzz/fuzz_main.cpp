// cadencer_fuzz: drives the real cadencer.ocx with hostile input and reports every crash,
// hang, invalid result, unanswered property and growth of memory or windows as a FAULT
// line. Exit status 0 when there is none.
//
//   cadencer_fuzz [--seed N|random] [--calls N] [--only calls|bags|streams|reentrancy|memory]
//   cadencer_fuzz --heap N1,N2,... [--heap-kind KIND]   hostile stream loads alone: memory after
//                 N1 loads against after each later N (KIND: truncation, byte change, garbage, ...)
//   cadencer_fuzz --soak N                        N create/load/save/release lifetimes
//
// --calls sets the automation calls; the other phases scale with it (a sweep of every key
// with every hostile value, and every truncation and byte change of the saved forms, are
// always complete).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_phases.h"
#include "fuzz_values.h"

using namespace cadencer_fuzz;

namespace {

std::uint64_t FreshSeed() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (static_cast<std::uint64_t>(counter.QuadPart) ^ (GetTickCount64() << 20) ^ GetCurrentProcessId()) %
           1000000007ull;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: cadencer_fuzz [--seed N|random] [--calls N] [--only PHASE] | --soak N | --heap N,N...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t seed = 1, calls = 20000, soak = 0;
    std::string only;  // one phase alone, for tracking a fault down
    std::vector<std::uint64_t> heapCheckpoints;
    HostileKind heapKind = HostileKind::Any;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            ++i;
            seed = std::strcmp(argv[i], "random") == 0 ? FreshSeed() : std::strtoull(argv[i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--calls") == 0 && hasValue) {
            calls = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--only") == 0 && hasValue) {
            only = argv[++i];
        } else if (std::strcmp(argv[i], "--heap") == 0 && hasValue) {
            for (char* at = argv[++i]; *at;) {
                heapCheckpoints.push_back(std::strtoull(at, &at, 10));
                if (*at == ',') ++at;
            }
        } else if (std::strcmp(argv[i], "--heap-kind") == 0 && hasValue) {
            ++i;
            for (int k = 0; k <= static_cast<int>(HostileKind::Any); ++k)
                if (std::strcmp(argv[i], HostileKindName(static_cast<HostileKind>(k))) == 0)
                    heapKind = static_cast<HostileKind>(k);
        } else if (std::strcmp(argv[i], "--soak") == 0 && hasValue) {
            soak = std::strtoull(argv[++i], nullptr, 10);
        } else {
            return Usage();
        }
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    InstallGuards(10000);
    if (FAILED(OleInitialize(nullptr)) || !LoadOcx()) {
        std::printf("cannot load cadencer.ocx\n");
        return 2;
    }
    CreateSharedObjects();
    StartModalCloser();
    Counts counts;
    const ULONGLONG start = GetTickCount64();

    if (soak > 0) {
        RunLifecycleSoak(soak, counts);
    } else if (!heapCheckpoints.empty()) {
        Random random(seed);
        CheckStreamMemory(heapCheckpoints, RunStreamHeapCheck(random, heapCheckpoints, heapKind, counts), heapKind);
        std::printf("fuzz seed %llu: %llu stream loads (%llu damaged forms accepted); %.0f s\n",
                    static_cast<unsigned long long>(seed), static_cast<unsigned long long>(counts.streamLoads),
                    static_cast<unsigned long long>(counts.corruptAccepted), (GetTickCount64() - start) / 1000.0);
    } else {
        std::printf("fuzz seed %llu, %llu calls\n", static_cast<unsigned long long>(seed),
                    static_cast<unsigned long long>(calls));
        Random random(seed);

        // Warm-up: the platform's caches (type library, pictures, window classes) fill once,
        // so what the phases leave behind can be told from what they set up.
        {
            Doing("warm-up");
            ComPtr<IUnknown> control = NewControl(0);
            HRESULT hr = S_OK;
            LoadStream(NewControl(1).Get(), SaveStream(control.Get(), &hr));
            ComPtr<_Cadencer> c;
            control.As(&c);
            c->put_Modal(VARIANT_FALSE);
            c->DisplayScheduler();
            c->CloseScheduler();
            c->DisplayAboutBox();
        }
        PumpMessages(200);
        const int windows = ThreadWindowCount();
        const SIZE_T memory = CommittedBytes();

        auto phase = [&](const char* name, auto run) {
            if (!only.empty() && only != name) return;
            const ULONGLONG began = GetTickCount64();
            run();
            std::printf("  %s: %.1f s, %d faults so far\n", name, (GetTickCount64() - began) / 1000.0, FaultCount());
        };
        phase("calls", [&] { RunDispatchPhase(random, calls, counts); });
        phase("bags", [&] { RunBagPhase(random, calls / 20, counts); });
        phase("streams", [&] { RunStreamPhase(random, calls / 20, calls >= 100000 ? 1 : 8, counts); });
        phase("reentrancy", [&] { RunReentrancyPhase(random, calls / 400, counts); });
        // Memory under many hostile loads: after 10,000 and 40,000 against after the first 1,000.
        if (calls >= 20000)
            phase("memory", [&] {
                const std::vector<std::uint64_t> at = {1000, 10000, 40000};
                CheckStreamMemory(at, RunStreamHeapCheck(random, at, HostileKind::Any, counts), HostileKind::Any);
            });

        Doing("final checks");
        PumpMessages(200);
        const int windowsAfter = ThreadWindowCount();
        const SIZE_T memoryAfter = CommittedBytes();
        const SIZE_T peak = PeakCommittedBytes();
        if (windowsAfter > windows)
            Fault("windows", std::to_string(windows) + " windows before, " + std::to_string(windowsAfter) + " after");
        if (memoryAfter > memory + (64u << 20)) Fault("memory", "committed memory grew by more than 64 MB");
        if (peak > memory + (256u << 20)) Fault("memory", "peak committed memory more than 256 MB above the start");
        if (Foreign().Refs() != 1) Fault("references", "the control kept a foreign object");
        std::printf(
            "fuzz seed %llu: %llu calls (%llu invokes, %llu succeeded, %llu save-and-reload round trips), "
            "%llu bag loads, %llu stream loads (%llu truncations, %llu byte changes, %llu garbage, %llu huge "
            "lengths, %llu failing reads; %llu damaged forms accepted), %llu storage loads, %llu re-entrant "
            "scenarios, %llu events; windows %d -> %d, committed %.1f -> %.1f MB (peak %.1f MB); %.0f s\n",
            static_cast<unsigned long long>(seed), static_cast<unsigned long long>(counts.calls),
            static_cast<unsigned long long>(counts.invokes), static_cast<unsigned long long>(counts.invokeSuccesses),
            static_cast<unsigned long long>(counts.roundTrips), static_cast<unsigned long long>(counts.bagLoads),
            static_cast<unsigned long long>(counts.streamLoads), static_cast<unsigned long long>(counts.truncations),
            static_cast<unsigned long long>(counts.byteFlips), static_cast<unsigned long long>(counts.garbage),
            static_cast<unsigned long long>(counts.hugeLengths), static_cast<unsigned long long>(counts.failingReads),
            static_cast<unsigned long long>(counts.corruptAccepted),
            static_cast<unsigned long long>(counts.storageLoads),
            static_cast<unsigned long long>(counts.reentrantScenarios), static_cast<unsigned long long>(counts.events),
            windows, windowsAfter, memory / 1048576.0, memoryAfter / 1048576.0, peak / 1048576.0,
            (GetTickCount64() - start) / 1000.0);
    }
    ReleaseSharedObjects();
    OleUninitialize();
    std::printf("%s: %d faults\n", FaultCount() ? "FUZZ FAILED" : "FUZZ CLEAN", FaultCount());
    return FaultCount() ? 1 : 0;
}
