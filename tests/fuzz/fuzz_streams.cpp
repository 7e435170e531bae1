// Streams and storages: for each of a few saved forms (every property set with the
// standard application icon, a new instance, a small bitmap icon), every truncation and a
// change of every single byte (and of every bit of the picture's headers), random garbage
// and random multi-byte damage, huge length fields, and streams whose Read fails midway
// or hands over one byte at a time; the same through IPersistStorage. A refused form
// changes nothing; an accepted one saves and reloads the same; nothing leaves a window or
// a large allocation behind.
#include <cstring>

#include "fuzz_phases.h"
#include "fuzz_values.h"

namespace cadencer_fuzz {
namespace {

// A stream over bytes that can fail its Read after some bytes, or hand out one at a time.
class ScriptedStream final : public cadencer_test::FakeUnknown<IStream> {
public:
    ScriptedStream(std::vector<BYTE> bytes, std::size_t failAt, HRESULT failure, bool trickle)
        : FakeUnknown({IID_ISequentialStream}),
          bytes_(std::move(bytes)),
          failAt_(failAt),
          failure_(failure),
          trickle_(trickle) {}
    STDMETHODIMP Read(void* out, ULONG wanted, ULONG* read) override {
        if (read) *read = 0;
        if (position_ >= failAt_) return failure_;
        std::size_t n = std::min<std::size_t>(wanted, bytes_.size() - position_);
        n = std::min(n, failAt_ - position_);
        if (trickle_ && n > 1) n = 1;
        if (n) std::memcpy(out, bytes_.data() + position_, n);
        position_ += n;
        if (read) *read = static_cast<ULONG>(n);
        return n < wanted && !trickle_ ? S_FALSE : S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

private:
    std::vector<BYTE> bytes_;
    std::size_t position_ = 0;
    std::size_t failAt_;
    HRESULT failure_;
    bool trickle_;
};

void PutText(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*fn)(BSTR), const wchar_t* text) {
    (c->*fn)(ScopedBstr(text).get());
}

// The saved forms the corruptions start from.
std::vector<std::vector<BYTE>> SeedForms() {
    std::vector<std::vector<BYTE>> forms;
    for (int seed = 0; seed < 3; ++seed) {
        ComPtr<IUnknown> unknown = NewControl(2);
        ComPtr<_Cadencer> c;
        unknown.As(&c);
        if (seed == 0) {
            c->put_Enabled(VARIANT_FALSE);
            PutText(c.Get(), &_Cadencer::put_Title, L"Backup \x00e9t\x00e9");
            c->put_Modal(VARIANT_TRUE);
            c->put_ShowHelpButton(VARIANT_TRUE);
            PutText(c.Get(), &_Cadencer::put_CaptionOKButtonBefore, L"Save");
            PutText(c.Get(), &_Cadencer::put_CaptionOKButtonAfter, L"Save!");
            PutText(c.Get(), &_Cadencer::put_CaptionCloseButtonBefore, L"Done");
            PutText(c.Get(), &_Cadencer::put_CaptionCloseButtonAfter, L"Abort");
            PutText(c.Get(), &_Cadencer::put_CaptionHelpButton, L"Hints");
            c->putref_Icon(ApplicationIconPicture().Get());
            c->put_StartUpPosition(Manual);
            c->put_StartUpLeft(1440);
            c->put_StartUpTop(-720);
            Occurs weekly = Weekly;
            c->put_OccursOption(&weekly);
            c->put_EveryInterval(7);
            c->put_EveryFrequency(Minutes);
            c->put_EveryHourMin(2);
            c->put_EveryHourMax(20);
            c->put_EveryHourIncrement(3);
            c->put_EveryMinuteMin(10);
            c->put_EveryMinuteMax(900);
            c->put_EveryMinuteIncrement(10);
            c->put_StartHour(7);
            c->put_StartMinute(45);
            c->put_StartDate(46000);
            c->put_EndDate(46040.5);
            c->put_UseEndDate(VARIANT_TRUE);
            PutText(c.Get(), &_Cadencer::put_SelectionsWeekly, L"0111110");
            PutText(c.Get(), &_Cadencer::put_SelectionsMonthly, L"1000000000000001");
        } else if (seed == 2) {
            HDC screen = GetDC(nullptr);
            PICTDESC desc{};
            desc.cbSizeofstruct = sizeof(desc);
            desc.picType = PICTYPE_BITMAP;
            desc.bmp.hbitmap = CreateCompatibleBitmap(screen, 16, 12);
            ReleaseDC(nullptr, screen);
            ComPtr<IPictureDisp> bitmap;
            OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, &bitmap);
            c->putref_Icon(bitmap.Get());
            PutText(c.Get(), &_Cadencer::put_Title, L"Bitmap");
        }
        HRESULT hr = S_OK;
        forms.push_back(SaveStream(c.Get(), &hr));
        if (FAILED(hr)) Fault("save", "a seed form did not save");
    }
    return forms;
}

// Where the picture's persisted bytes start in a form, and how many there are.
std::pair<std::size_t, std::size_t> PictureSpan(const std::vector<BYTE>& bytes) {
    for (std::size_t i = 12; i + 6 < bytes.size(); ++i) {
        if (bytes[i] != 9 || bytes[i + 1] != 7) continue;
        DWORD count = 0;
        std::memcpy(&count, &bytes[i + 2], 4);
        if (i + 6 + count <= bytes.size()) return {i + 6, count};
    }
    return {0, 0};
}

class StreamFuzzer {
public:
    StreamFuzzer(Random& random, Counts& counts) : random_(random), counts_(counts) {}

    // Loads damaged bytes into the target; checks what a refusal or an acceptance must hold.
    void Try(const std::vector<BYTE>& bytes, const char* what, std::size_t offset) {
        ++counts_.streamLoads;
        Doing("stream load: %s at %zu of %zu bytes", what, offset, bytes.size());
        Target();
        const HRESULT hr = LoadStream(target_.Get(), bytes);
        Judge(hr, what, offset);
    }

    void TryStream(IStream* stream, const char* what, std::size_t offset) {
        ++counts_.streamLoads;
        Doing("stream load: %s at %zu", what, offset);
        Target();
        ComPtr<IPersistStreamInit> persist;
        target_.As(&persist);
        Judge(persist->Load(stream), what, offset);
    }

    void TryStorage(const std::vector<BYTE>& bytes, const wchar_t* streamName, const char* what) {
        ++counts_.storageLoads;
        Doing("storage load: %s", what);
        Target();
        ComPtr<ILockBytes> lockBytes;
        ComPtr<IStorage> storage;
        ComPtr<IStream> stream;
        if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes)) ||
            FAILED(StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                                &storage)) ||
            FAILED(
                storage->CreateStream(streamName, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream)))
            return;
        if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream.Reset();
        ComPtr<IPersistStorage> persist;
        target_.As(&persist);
        Judge(persist->Load(storage.Get()), what, 0);
    }

    void ReleaseTarget() {
        target_.Reset();
        dispatch_.Reset();
    }

private:
    void Target() {
        if (target_) {
            // The values a sampled refusal is compared with are read just before its load:
            // between loads they may change without any load (the control's clock fires, and
            // other instances share the schedule).
            if ((refusals_ + 1) % 4 == 0) {
                auto before = ReadAllProperties(dispatch_.Get(), "target");
                snapshot_ = before ? *before : std::string();
            }
            return;
        }
        target_ = NewControl(static_cast<int>(random_.Below(3)));
        target_.As(&dispatch_);
        // A state of its own, so a load that changes anything shows.
        static_cast<_Cadencer*>(dispatch_.Get())->put_Title(ScopedBstr(L"Target").get());
        auto snapshot = ReadAllProperties(dispatch_.Get(), "target");
        snapshot_ = snapshot ? *snapshot : std::string();
    }

    void Judge(HRESULT hr, const char* what, std::size_t offset) {
        if (FAILED(hr)) {
            // The whole stream is checked before any value is applied, so a refusal changes
            // nothing; reading every property back after each one is sampled.
            if (++refusals_ % 4 != 0) return;
            const auto now = ReadAllProperties(dispatch_.Get(), what);
            if (now && *now != snapshot_)
                Fault("refused load changed values", std::string(what) + " at " + std::to_string(offset));
            return;
        }
        // Taken: what it holds saves, and another instance reads the same back.
        ++counts_.corruptAccepted;
        const auto now = ReadAllProperties(dispatch_.Get(), what);
        snapshot_ = now ? *now : std::string();
        HRESULT saved = S_OK;
        const std::vector<BYTE> bytes = SaveStream(target_.Get(), &saved);
        if (FAILED(saved)) {
            Fault("save", "an accepted form does not save: " + std::to_string(saved));
        } else if (counts_.corruptAccepted % 8 == 1) {
            ComPtr<IUnknown> fresh = NewControl(2);
            ComPtr<IDispatch> freshDispatch;
            fresh.As(&freshDispatch);
            const HRESULT reloaded = LoadStream(fresh.Get(), bytes);
            const auto again = SUCCEEDED(reloaded) ? ReadAllProperties(freshDispatch.Get(), "reload") : std::nullopt;
            if (FAILED(reloaded))
                Fault("reload", "an accepted form's own save is refused: " + std::to_string(reloaded));
            else if (now && again && *now != *again)
                Fault("reload", "values differ:\n  " + *now + "\n  " + *again);
        }
    }

    Random& random_;
    Counts& counts_;
    ComPtr<IUnknown> target_;
    ComPtr<IDispatch> dispatch_;
    std::string snapshot_;
    std::uint64_t refusals_ = 0;
};

void Put32(std::vector<BYTE>& bytes, std::size_t at, DWORD value) {
    if (at + 4 <= bytes.size()) std::memcpy(&bytes[at], &value, 4);
}

// One hostile stream of the given kind, drawn at random from the seed forms.
struct HostileLoad {
    std::vector<BYTE> bytes;
    std::size_t failAt = SIZE_MAX;  // a Read that fails from here on (failing reads)
};

HostileLoad MakeHostileLoad(Random& random, const std::vector<std::vector<BYTE>>& seeds, HostileKind kind) {
    const std::vector<BYTE>& seed = random.Pick(seeds);
    const auto [picture, length] = PictureSpan(seed);
    HostileLoad load{seed};
    std::vector<BYTE>& bytes = load.bytes;
    switch (kind) {
        case HostileKind::Truncation:
            bytes.resize(random.Below(seed.size()));
            break;
        case HostileKind::ByteChange:
            bytes[random.Below(bytes.size())] ^= static_cast<BYTE>(1 + random.Below(255));
            break;
        case HostileKind::PictureHeaderBit:
            if (length)
                bytes[picture + random.Below(std::min<std::size_t>(length, 8 + 22 + 52))] ^= 1 << random.Below(8);
            break;
        case HostileKind::HugeLength: {
            const DWORD value = random.Pick(std::vector<DWORD>{0xFFFFFFFFu, 0x7FFFFFFFu, (1u << 20) + 1, 0x10000});
            const std::size_t at = length && random.Percent(70)
                                       ? picture - 4 + random.Below(8 + 22 + 12)
                                       : 8 + random.Below(std::min<std::size_t>(32, seed.size() - 12));
            Put32(bytes, at, value);
            break;
        }
        case HostileKind::FailingRead:
            load.failAt = random.Below(seed.size());
            break;
        case HostileKind::Garbage:
            bytes.resize(random.Below(6000));
            for (BYTE& b : bytes) b = static_cast<BYTE>(random.Next());
            break;
        case HostileKind::MultiByteDamage:
            for (std::size_t c = 0, changes = 2 + random.Below(40); c < changes; ++c) {
                const std::size_t at =
                    length && random.Percent(70) ? picture + random.Below(length) : random.Below(bytes.size());
                bytes[at] = static_cast<BYTE>(random.Next());
            }
            break;
        case HostileKind::Any:
            break;
    }
    return load;
}

}  // namespace

const char* HostileKindName(HostileKind kind) {
    static const char* const names[] = {"truncation",   "byte change", "picture header bit", "huge length",
                                        "failing read", "garbage",     "multi-byte damage",  "any"};
    return names[static_cast<int>(kind)];
}

std::vector<MemoryReading> RunStreamHeapCheck(Random& random, const std::vector<std::uint64_t>& checkpoints,
                                              HostileKind only, Counts& counts) {
    const auto seeds = SeedForms();
    std::vector<MemoryReading> readings;
    ComPtr<IUnknown> target;
    std::uint64_t loads = 0;
    for (const std::uint64_t checkpoint : checkpoints) {
        for (; loads < checkpoint; ++loads) {
            // A host reopening stored forms: a new control every other load, as a designer
            // makes one per form (each control's own set-up and release counts too).
            if (loads % 2 == 0) target = NewControl(static_cast<int>(random.Below(3)));
            const HostileKind kind = only != HostileKind::Any
                                         ? only
                                         : static_cast<HostileKind>(random.Below(static_cast<int>(HostileKind::Any)));
            const HostileLoad load = MakeHostileLoad(random, seeds, kind);
            Doing("heap check: load %llu, %s", static_cast<unsigned long long>(loads), HostileKindName(kind));
            ++counts.streamLoads;
            ComPtr<IPersistStreamInit> persist;
            target.As(&persist);
            HRESULT hr;
            if (load.failAt != SIZE_MAX) {
                ScriptedStream stream(load.bytes, load.failAt, random.Percent(50) ? E_FAIL : S_FALSE, false);
                hr = persist->Load(&stream);
            } else {
                hr = persist->Load(StreamOf(load.bytes).Get());
            }
            if (SUCCEEDED(hr)) ++counts.corruptAccepted;
        }
        target.Reset();
        PumpMessages(20);
        readings.push_back({LiveHeapBytes(), CommittedBytes()});
    }
    return readings;
}

void CheckStreamMemory(const std::vector<std::uint64_t>& checkpoints, const std::vector<MemoryReading>& readings,
                       HostileKind kind) {
    // Loads may fill caches (the platform's, the allocator's) up to a bound; a heap leak of
    // even ten bytes per load or per control passes the heap's by 40,000 loads. Memory outside
    // the heap is taken a page or more at a time, so a leak there passes the committed bound
    // within a thousand loads; the bound leaves room for the heap to grow a segment while the
    // machine is busy (seen once: 1.9 MB between 10,000 and 40,000 loads, live heap unchanged).
    constexpr SIZE_T kHeapBound = 256 * 1024;
    constexpr SIZE_T kCommittedBound = 4 * 1024 * 1024;
    for (std::size_t k = 0; k < readings.size(); ++k) {
        const MemoryReading& r = readings[k];
        std::printf("  after %llu %s stream loads: live heap %.3f MB, committed %.1f MB\n",
                    static_cast<unsigned long long>(checkpoints[k]), HostileKindName(kind), r.heap / 1048576.0,
                    r.committed / 1048576.0);
        if (k == 0) continue;
        const MemoryReading& first = readings[0];
        const std::string loads =
            std::to_string(checkpoints[k]) + " loads than after " + std::to_string(checkpoints[0]);
        if (r.heap > first.heap + kHeapBound)
            Fault("memory", "live heap " + std::to_string(r.heap - first.heap) + " bytes larger after " + loads);
        if (r.committed > first.committed + kCommittedBound)
            Fault("memory",
                  "committed memory " + std::to_string(r.committed - first.committed) + " bytes more after " + loads);
    }
}

void RunStreamPhase(Random& random, std::uint64_t garbageStreams, std::size_t pixelStride, Counts& counts) {
    StreamFuzzer fuzzer(random, counts);
    const auto seeds = SeedForms();
    for (const std::vector<BYTE>& seed : seeds) {
        for (std::size_t n = 0; n < seed.size(); ++n) {
            ++counts.truncations;
            fuzzer.Try(std::vector<BYTE>(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n)), "truncation", n);
        }
        const auto [picture, length] = PictureSpan(seed);
        for (std::size_t at = 0; at < seed.size(); ++at) {
            // Inside the pixels (past the picture's headers) the decoder only copies; a short
            // run samples them, a long one changes every byte.
            const bool pixels = at >= picture + 8 + 22 + 52 && at < picture + length;
            if (pixels && at % pixelStride != 0) continue;
            std::vector<BYTE> bytes = seed;
            bytes[at] ^= static_cast<BYTE>(1 + random.Below(255));
            ++counts.byteFlips;
            fuzzer.Try(bytes, "byte change", at);
        }
        // Every bit of the picture's own headers (its length, the icon directory or bitmap
        // file header, the image header).
        for (std::size_t at = picture; at < picture + std::min<std::size_t>(length, 8 + 22 + 52); ++at) {
            for (int bit = 0; bit < 8; ++bit) {
                std::vector<BYTE> bytes = seed;
                bytes[at] ^= static_cast<BYTE>(1 << bit);
                ++counts.byteFlips;
                fuzzer.Try(bytes, "picture header bit", at);
            }
        }
        // Huge lengths: the payload, the first string's count, the picture's counts.
        std::vector<std::pair<std::size_t, DWORD>> huge = {{8, 0xFFFFFFFF}, {8, 0x7FFFFFFF}, {8, (4u << 20) + 1}};
        for (std::size_t i = 12; i + 6 < seed.size() && i < 40; ++i)
            if (seed[i + 1] == 6) {  // a string entry
                huge.push_back({i + 2, 0xFFFFFFFF});
                huge.push_back({i + 2, 0x10000});
                break;
            }
        if (length) {
            for (DWORD value : {0xFFFFFFFFu, 0x7FFFFFFFu, (1u << 20) + 1}) {
                huge.push_back({picture - 4, value});           // the entry's byte count
                huge.push_back({picture + 4, value});           // the picture's own length
                huge.push_back({picture + 8 + 14, value});      // the first image's (or file's) size
                huge.push_back({picture + 8 + 18, value});      // the first image's offset
                huge.push_back({picture + 8 + 22 + 4, value});  // the image's width
                huge.push_back({picture + 8 + 22 + 8, value});  // the image's height
            }
        }
        for (const auto& [at, value] : huge) {
            std::vector<BYTE> bytes = seed;
            Put32(bytes, at, value);
            ++counts.hugeLengths;
            fuzzer.Try(bytes, "huge length", at);
        }
        // Reads that fail midway, end early, or trickle one byte at a time.
        for (std::size_t at : {std::size_t{0}, std::size_t{4}, std::size_t{12}, std::size_t{13}, seed.size() / 2,
                               picture + 10, seed.size() - 1}) {
            for (HRESULT failure : {E_FAIL, STG_E_READFAULT, S_FALSE}) {
                ScriptedStream stream(seed, at, failure, false);
                ++counts.failingReads;
                fuzzer.TryStream(&stream, "failing read", at);
                if (stream.Refs() != 1) Fault("references", "the control kept a stream");
            }
        }
        ScriptedStream trickle(seed, seed.size(), S_FALSE, true);
        fuzzer.TryStream(&trickle, "one byte per read", 0);
        // Through a storage: damaged contents, and a storage without them.
        std::vector<BYTE> damaged = seed;
        damaged[damaged.size() / 3] ^= 0x55;
        fuzzer.TryStorage(damaged, L"Contents", "damaged contents");
        fuzzer.TryStorage(seed, L"Other", "no contents stream");
        fuzzer.TryStorage(std::vector<BYTE>(seed.begin(), seed.begin() + 20), L"Contents", "cut contents");
    }
    // Garbage and random multi-byte damage.
    for (std::uint64_t n = 0; n < garbageStreams; ++n) {
        const std::vector<BYTE>& seed = random.Pick(seeds);
        std::vector<BYTE> bytes;
        const int style = static_cast<int>(random.Below(4));
        if (style == 0) {
            bytes.resize(random.Below(6000));
            for (BYTE& b : bytes) b = static_cast<BYTE>(random.Next());
        } else if (style == 1) {
            bytes.assign(seed.begin(), seed.begin() + 12);
            const std::size_t payload = random.Below(6000);
            Put32(bytes, 8, static_cast<DWORD>(payload));
            for (std::size_t i = 0; i < payload; ++i) bytes.push_back(static_cast<BYTE>(random.Next()));
        } else {
            bytes = seed;
            const std::size_t changes = 2 + random.Below(style == 2 ? 4 : 40);
            const auto [picture, length] = PictureSpan(seed);
            for (std::size_t c = 0; c < changes; ++c) {
                // Mostly inside the picture, where the platform's decoder would look.
                const std::size_t at =
                    length && random.Percent(70) ? picture + random.Below(length) : random.Below(bytes.size());
                bytes[at] = static_cast<BYTE>(random.Next());
            }
        }
        ++counts.garbage;
        fuzzer.Try(bytes, style < 2 ? "garbage" : "multi-byte damage", 0);
        if (n % 50 == 0) fuzzer.TryStorage(bytes, L"Contents", "garbage in a storage");
    }
    fuzzer.ReleaseTarget();
}

}  // namespace cadencer_fuzz
