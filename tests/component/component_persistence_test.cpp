// cadencer.ocx's saved state: every key through a property bag (order, types, values),
// the binary form through IPersistStreamInit and IPersistStorage (round trip, self-
// delimiting), and hostile stored values, which are refused without harm.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "away_from_default.h"
#include "component_support.h"

namespace cadencer_test {
namespace {

double Today() {
    return std::floor(NowDate());
}

void SetAllNonDefault(_Cadencer* c) {
    const wchar_t* failed = L"";
    ASSERT_EQ(SetEveryPropertyAwayFromDefault(c, Today(), &failed), S_OK) << failed;
}

// Every persisted property as text, read through the interface.
std::string Snapshot(_Cadencer* c) {
    std::ostringstream out;
    auto text = [&](const char* name, HRESULT (STDMETHODCALLTYPE _Cadencer::*fn)(BSTR*)) {
        ScopedBstr b;
        EXPECT_EQ((c->*fn)(b.receive()), S_OK);
        out << name << "=" << std::string(b.get(), b.get() + SysStringLen(b.get())) << ";";
    };
    VARIANT_BOOL b = 0;
    SHORT s = 0;
    LONG l = 0;
    DATE d = 0;
    c->get_Enabled(&b), out << "Enabled=" << b << ";";
    text("Title", &_Cadencer::get_Title);
    c->get_Modal(&b), out << "Modal=" << b << ";";
    c->get_ShowHelpButton(&b), out << "ShowHelpButton=" << b << ";";
    text("OKBefore", &_Cadencer::get_CaptionOKButtonBefore);
    text("OKAfter", &_Cadencer::get_CaptionOKButtonAfter);
    text("CloseBefore", &_Cadencer::get_CaptionCloseButtonBefore);
    text("CloseAfter", &_Cadencer::get_CaptionCloseButtonAfter);
    text("Help", &_Cadencer::get_CaptionHelpButton);
    ComPtr<IPictureDisp> icon;
    c->get_Icon(&icon), out << "Icon=" << (icon != nullptr) << ";";
    FormPosition position{};
    c->get_StartUpPosition(&position), out << "Position=" << position << ";";
    c->get_StartUpLeft(&l), out << "Left=" << l << ";";
    c->get_StartUpTop(&l), out << "Top=" << l << ";";
    Occurs occurs{};
    c->get_OccursOption(&occurs), out << "Occurs=" << occurs << ";";
    c->get_EveryInterval(&s), out << "Interval=" << s << ";";
    EveryType every{};
    c->get_EveryFrequency(&every), out << "Frequency=" << every << ";";
    for (auto [name, fn] : {std::pair{"HourMin", &_Cadencer::get_EveryHourMin},
                            {"HourMax", &_Cadencer::get_EveryHourMax},
                            {"HourInc", &_Cadencer::get_EveryHourIncrement},
                            {"MinMin", &_Cadencer::get_EveryMinuteMin},
                            {"MinMax", &_Cadencer::get_EveryMinuteMax},
                            {"MinInc", &_Cadencer::get_EveryMinuteIncrement},
                            {"Hour", &_Cadencer::get_StartHour},
                            {"Minute", &_Cadencer::get_StartMinute}})
        (c->*fn)(&s), out << name << "=" << s << ";";
    out.precision(17);
    c->get_StartDate(&d), out << "StartDate=" << d << ";";
    c->get_EndDate(&d), out << "EndDate=" << d << ";";
    c->get_UseEndDate(&b), out << "UseEndDate=" << b << ";";
    text("Weekly", &_Cadencer::get_SelectionsWeekly);
    text("Monthly", &_Cadencer::get_SelectionsMonthly);
    return out.str();
}

TEST(ComponentPersistence, PropertyBagCarriesAll29KeysInOrderAndLoadsThemBack) {
    CallLog log;
    RecordingBag bag(&log);
    std::string saved;
    {
        ComPtr<_Cadencer> source = CreateInitialisedControl();
        SetAllNonDefault(source.Get());
        saved = Snapshot(source.Get());
        ComPtr<IPersistPropertyBag> persist;
        ASSERT_EQ(source.As(&persist), S_OK);
        ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    }
    EXPECT_EQ(bag.keys, kStoredKeys);
    EXPECT_EQ(V_VT(bag.values[L"Enabled"].get()), VT_BOOL);
    EXPECT_EQ(V_VT(bag.values[L"Title"].get()), VT_BSTR);
    EXPECT_EQ(V_VT(bag.values[L"Icon"].get()), VT_DISPATCH);
    EXPECT_EQ(V_VT(bag.values[L"StartUpLeft"].get()), VT_I4);
    EXPECT_EQ(V_VT(bag.values[L"OccursOption"].get()), VT_I4);
    EXPECT_EQ(V_VT(bag.values[L"EveryInterval"].get()), VT_I2);
    EXPECT_EQ(V_VT(bag.values[L"StartDate"].get()), VT_DATE);

    log.clear();
    ComPtr<_Cadencer> loaded = CreateControl();
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(loaded.As(&persist), S_OK);
    ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
    // Reading order: the dialog texts and the icon first, Enabled last of all.
    CallLog expected;
    for (const wchar_t* key :
         {L"Title", L"Icon", L"Modal", L"ShowHelpButton", L"CaptionOKButtonBefore", L"CaptionOKButtonAfter",
          L"CaptionCloseButtonBefore", L"CaptionCloseButtonAfter", L"CaptionHelpButton"})
        expected.push_back("Read(" + std::string(key, key + wcslen(key)) + ")");
    for (std::size_t i = 10; i < kStoredKeys.size(); ++i)
        expected.push_back("Read(" + std::string(kStoredKeys[i].begin(), kStoredKeys[i].end()) + ")");
    expected.push_back("Read(Enabled)");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Snapshot(loaded.Get()), saved);
    ComPtr<IPersistStreamInit> stream;
    ASSERT_EQ(loaded.As(&stream), S_OK);
    EXPECT_EQ(stream->IsDirty(), S_FALSE);
}

TEST(ComponentPersistence, UnchangedNewInstanceStoresTheIconAndTheDates) {
    RecordingBag bag(nullptr);
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(control.As(&persist), S_OK);
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.keys, (std::vector<std::wstring>{L"Icon", L"StartDate", L"EndDate"}));
}

// A new instance leaves the shared schedule alone until its Load: a Load that stops at a
// bad key changes the keys before it and leaves every later one as the last control set it.
TEST(ComponentPersistence, ALoadStoppedAtABadKeyLeavesTheLaterKeysAsTheyWere) {
    RecordingBag full(nullptr);
    {
        ComPtr<_Cadencer> source = CreateInitialisedControl();
        SetAllNonDefault(source.Get());
        ComPtr<IPersistPropertyBag> persist;
        ASSERT_EQ(source.As(&persist), S_OK);
        ASSERT_EQ(persist->Save(&full, TRUE, TRUE), S_OK);
    }
    ComPtr<_Cadencer> first = CreateControl();
    ComPtr<IPersistPropertyBag> firstPersist;
    ASSERT_EQ(first.As(&firstPersist), S_OK);
    ASSERT_EQ(firstPersist->Load(&full, nullptr), S_OK);
    const std::string loaded = Snapshot(first.Get());

    RecordingBag bad(nullptr);
    auto set = [&bad](const wchar_t* key, VARTYPE type, auto assign) {
        ScopedVariant v;
        V_VT(v.get()) = type;
        assign(*v.get());
        bad.Set(key, *v.get());
    };
    set(L"Title", VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = SysAllocString(L"Second"); });
    set(L"OccursOption", VT_I4, [](VARIANT& v) { V_I4(&v) = Monthly; });
    set(L"StartHour", VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = SysAllocString(L"not an hour"); });
    set(L"StartMinute", VT_I2, [](VARIANT& v) { V_I2(&v) = 5; });
    set(L"SelectionsWeekly", VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = SysAllocString(L"1111111"); });
    ComPtr<_Cadencer> second = CreateControl();
    ComPtr<IPersistPropertyBag> secondPersist;
    ASSERT_EQ(second.As(&secondPersist), S_OK);
    EXPECT_EQ(secondPersist->Load(&bad, nullptr), DISP_E_TYPEMISMATCH);

    // The keys before StartHour were read (absent ones with their defaults) ...
    ScopedBstr title;
    EXPECT_EQ(second->get_Title(title.receive()), S_OK);
    EXPECT_STREQ(title.get(), L"Second");
    Occurs occurs{};
    second->get_OccursOption(&occurs);
    EXPECT_EQ(occurs, Monthly);
    SHORT interval = 0;
    second->get_EveryInterval(&interval);
    EXPECT_EQ(interval, 1);
    // ... and StartHour and every key after it hold what the first control loaded.
    const std::string now = Snapshot(second.Get());
    for (const char* key : {"Hour=7;", "Minute=45;", "UseEndDate=-1;", "Weekly=0111110;"})
        EXPECT_NE(now.find(key), std::string::npos) << key << " in " << now;
    const auto tail = [](const std::string& snapshot) { return snapshot.substr(snapshot.find("Hour=")); };
    EXPECT_EQ(tail(now), tail(loaded));
}

ComPtr<IStream> SaveToStream(_Cadencer* control, int copies) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    for (int i = 0; i < copies; ++i) EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

TEST(ComponentPersistence, StreamAndStorageFormsRoundTripEveryValue) {
    ComPtr<_Cadencer> source = CreateInitialisedControl();
    SetAllNonDefault(source.Get());
    const std::string saved = Snapshot(source.Get());

    // Two copies in one stream: each load takes exactly its own bytes.
    ComPtr<IStream> stream = SaveToStream(source.Get(), 2);
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(source.As(&persist), S_OK);
    ULARGE_INTEGER max{};
    ASSERT_EQ(persist->GetSizeMax(&max), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 2 * max.QuadPart);
    for (int i = 0; i < 2; ++i) {
        ComPtr<_Cadencer> loaded = CreateControl();
        ASSERT_EQ(LoadStream(loaded.Get(), stream.Get()), S_OK);
        EXPECT_EQ(Snapshot(loaded.Get()), saved);
    }
    ULARGE_INTEGER position{};
    const LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_CUR, &position);
    EXPECT_EQ(position.QuadPart, stat.cbSize.QuadPart);

    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(
        StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage),
        S_OK);
    ComPtr<IPersistStorage> saver;
    ASSERT_EQ(source.As(&saver), S_OK);
    ASSERT_EQ(saver->Save(storage.Get(), FALSE), S_OK);
    ASSERT_EQ(saver->SaveCompleted(nullptr), S_OK);
    ComPtr<_Cadencer> loaded = CreateControl();
    ComPtr<IPersistStorage> loader;
    ASSERT_EQ(loaded.As(&loader), S_OK);
    ASSERT_EQ(loader->Load(storage.Get()), S_OK);
    EXPECT_EQ(Snapshot(loaded.Get()), saved);
}

std::vector<BYTE> StreamBytes(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

// The offset of the first entry with the given key index (entries start at byte 12).
std::size_t EntryOffset(const std::vector<BYTE>& bytes, BYTE key) {
    for (std::size_t i = 12; i + 1 < bytes.size(); ++i)
        if (bytes[i] == key && bytes[i + 1] >= 1 && bytes[i + 1] <= 7) return i;
    return 0;
}

TEST(ComponentPersistence, HostileStreamsAreRefusedBeforeAnythingChanges) {
    ComPtr<_Cadencer> source = CreateInitialisedControl();
    source->put_Title(ScopedBstr(L"Stored").get());
    const std::vector<BYTE> good = StreamBytes(SaveToStream(source.Get(), 1).Get());
    ASSERT_GT(good.size(), 12u);
    // The Title entry (key 1): tag 6, then its character count.
    const std::size_t titleAt = EntryOffset(good, 1);
    ASSERT_NE(titleAt, 0u);

    std::vector<std::pair<const char*, std::vector<BYTE>>> cases;
    auto mutate = [&](const char* what, auto change) {
        std::vector<BYTE> b = good;
        change(b);
        cases.emplace_back(what, b);
    };
    mutate("magic", [](auto& b) { b[0] = 'X'; });
    mutate("version", [](auto& b) { b[4] = 2; });
    mutate("too many entries", [](auto& b) { b[6] = 30; });
    mutate("payload length", [](auto& b) { b[8] ^= 1; });
    mutate("truncated", [](auto& b) { b.resize(b.size() - 3); });
    mutate("trailing byte", [](auto& b) {
        b.push_back(0);
        b[8] += 1;
    });
    mutate("unknown key", [&](auto& b) { b[titleAt] = 29; });
    mutate("unknown type", [&](auto& b) { b[titleAt + 1] = 9; });
    mutate("huge string", [&](auto& b) { std::memset(&b[titleAt + 2], 0xFF, 4); });
    mutate("huge payload", [](auto& b) { std::memset(&b[8], 0x7F, 4); });
    mutate("duplicate key", [&](auto& b) { b[EntryOffset(b, 9)] = 1; });
    // Well formed, but the title's text now sits under Modal (key 2), read after the title.
    mutate("text under a Boolean key", [&](auto& b) { b[titleAt] = 2; });

    for (const auto& [what, bytes] : cases) {
        ComPtr<_Cadencer> target = CreateInitialisedControl();
        target->put_Title(ScopedBstr(L"Kept").get());
        const HRESULT hr = LoadStream(target.Get(), StreamOf(bytes).Get());
        EXPECT_TRUE(FAILED(hr)) << what;
        ScopedBstr now;
        target->get_Title(now.receive());
        EXPECT_STREQ(now.get(), L"Kept") << what;
    }
    // The same through a picture read before the failing key: a form holding a title and a
    // 16 x 12 bitmap icon, its first entry's key (the title, 1) changed to Modal's. The
    // loading would have taken the bitmap and the default title before Modal refused.
    std::vector<BYTE> bitmapForm;
    {
        ComPtr<_Cadencer> withBitmap = CreateControl();
        ComPtr<IPersistStreamInit> init;
        ASSERT_EQ(withBitmap.As(&init), S_OK);
        ASSERT_EQ(init->InitNew(), S_OK);
        ASSERT_EQ(withBitmap->putref_Icon(BitmapPicture(16, 12).Get()), S_OK);
        ASSERT_EQ(withBitmap->put_Title(ScopedBstr(L"Bitmap").get()), S_OK);
        bitmapForm = StreamBytes(SaveToStream(withBitmap.Get(), 1).Get());
    }
    ASSERT_EQ(EntryOffset(bitmapForm, 1), 12u);
    ASSERT_EQ(EntryOffset(bitmapForm, 9), 12u + 2 + 4 + 2 * 6);
    bitmapForm[12] = 2;
    {
        ComPtr<_Cadencer> target = CreateInitialisedControl();
        target->put_Title(ScopedBstr(L"Kept").get());
        const std::string before = Snapshot(target.Get());
        EXPECT_EQ(LoadStream(target.Get(), StreamOf(bitmapForm).Get()), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(Snapshot(target.Get()), before);
        ComPtr<IPictureDisp> icon;
        ASSERT_EQ(target->get_Icon(&icon), S_OK);
        ComPtr<IPicture> picture;
        ASSERT_EQ(icon.As(&picture), S_OK);
        SHORT type = 0;
        picture->get_Type(&type);
        EXPECT_EQ(type, PICTYPE_ICON);
    }
    // A date outside the years 100 to 9999, and one that is not a number.
    std::vector<BYTE> dated;
    {
        ComPtr<_Cadencer> withDate = CreateInitialisedControl();
        withDate->put_StartDate(Today() + 5);
        dated = StreamBytes(SaveToStream(withDate.Get(), 1).Get());
    }
    const std::size_t dateAt = EntryOffset(dated, 24);
    ASSERT_NE(dateAt, 0u);
    for (double bad : {std::nan(""), 1e300, -700000.0}) {
        std::vector<BYTE> b = dated;
        std::memcpy(&b[dateAt + 2], &bad, sizeof(bad));
        ComPtr<_Cadencer> target = CreateInitialisedControl();
        DATE before = 0, after = 0;
        target->get_StartDate(&before);
        EXPECT_EQ(LoadStream(target.Get(), StreamOf(b).Get()), CTL_E_INVALIDFILEFORMAT);
        target->get_StartDate(&after);
        EXPECT_EQ(after, before);
    }
}

TEST(ComponentPersistence, HostileBagValuesStopTheLoadWithAnError) {
    RecordingEventSink notAPicture(nullptr);
    struct Case {
        const wchar_t* key;
        const VARIANT* value;
        HRESULT expected;
    };
    {
        ScopedVariant array, nan, object;
        V_VT(array.get()) = VT_ARRAY | VT_I4;
        V_ARRAY(array.get()) = SafeArrayCreateVector(VT_I4, 0, 3);
        V_VT(nan.get()) = VT_R8;
        V_R8(nan.get()) = std::nan("");
        V_VT(object.get()) = VT_DISPATCH;
        V_DISPATCH(object.get()) = &notAPicture;
        notAPicture.AddRef();
        const auto text = ScopedVariant::String(L"abc");
        for (auto& [key, value, expected] : std::vector<Case>{{L"CaptionHelpButton", array.get(), DISP_E_TYPEMISMATCH},
                                                              {L"StartDate", nan.get(), DISP_E_OVERFLOW},
                                                              {L"Icon", object.get(), DISP_E_TYPEMISMATCH},
                                                              {L"StartHour", text.get(), DISP_E_TYPEMISMATCH}}) {
            RecordingBag bag(nullptr);
            bag.Set(L"Title", *ScopedVariant::String(L"Loaded").get());
            bag.Set(key, *value);
            ComPtr<_Cadencer> control = CreateInitialisedControl();
            ComPtr<IPersistPropertyBag> persist;
            ASSERT_EQ(control.As(&persist), S_OK);
            EXPECT_EQ(persist->Load(&bag, nullptr), expected);
            // Keys before the bad one keep what they read; the control still answers.
            ScopedBstr now;
            EXPECT_EQ(control->get_Title(now.receive()), S_OK);
            EXPECT_STREQ(now.get(), L"Loaded");
        }
    }  // the values are cleared here, the object's reference with them
    EXPECT_EQ(notAPicture.Refs(), 1u);
}

}  // namespace
}  // namespace cadencer_test
