// The scoped owners of win/scoped.h against the real oleaut32 and registry: what they hold
// is freed exactly once, a move leaves the source empty, release hands the value over, and
// a registry key is really closed.
//
// The owners are header-only: this file checks them with their assertions on, whatever
// the build type says.
#undef NDEBUG
#include <cassert>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "win/scoped.h"

namespace {

using cadencer::win::ScopedBstr;
using cadencer::win::ScopedExcepInfo;
using cadencer::win::ScopedVariant;
using cadencer::win::UniqueHkey;

// An object that counts its references, so a test sees every release a VARIANT makes.
class Counted final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid != IID_IUnknown) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    long refs = 1;  // the test's own
};

// A VARIANT holding one new reference to the object.
VARIANT Holding(Counted& object) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_UNKNOWN;
    V_UNKNOWN(&v) = &object;
    object.AddRef();
    return v;
}

TEST(ScopedVariant, ReleasesWhatItHoldsExactlyOnce) {
    Counted object;
    {
        ScopedVariant v(Holding(object));
        EXPECT_EQ(object.refs, 2);
        EXPECT_EQ(v.type(), VT_UNKNOWN);
    }
    EXPECT_EQ(object.refs, 1);
    {
        ScopedVariant v(Holding(object));
        v.reset();
        EXPECT_EQ(v.type(), VT_EMPTY);
        EXPECT_EQ(object.refs, 1);
    }
    EXPECT_EQ(object.refs, 1);  // reset left nothing for the destructor to free again
}

TEST(ScopedVariant, MoveLeavesTheSourceEmptyAndFreesOnce) {
    Counted object;
    {
        ScopedVariant source(Holding(object));
        ScopedVariant target(std::move(source));
        EXPECT_EQ(source.type(), VT_EMPTY);  // NOLINT(bugprone-use-after-move): the point of the test
        EXPECT_EQ(target.type(), VT_UNKNOWN);
        EXPECT_EQ(V_UNKNOWN(target.get()), &object);
        EXPECT_EQ(object.refs, 2);
    }
    EXPECT_EQ(object.refs, 1);

    Counted replaced;
    {
        ScopedVariant source(Holding(object));
        ScopedVariant target(Holding(replaced));
        target = std::move(source);
        EXPECT_EQ(replaced.refs, 1);         // the value it held before is freed at the assignment
        EXPECT_EQ(source.type(), VT_EMPTY);  // NOLINT(bugprone-use-after-move)
        ScopedVariant& alias = target;
        target = std::move(alias);  // self-assignment keeps the value
        EXPECT_EQ(object.refs, 2);
    }
    EXPECT_EQ(object.refs, 1);
    EXPECT_EQ(replaced.refs, 1);
}

TEST(ScopedVariant, ReleaseHandsTheValueOverAndFreesNothing) {
    Counted object;
    VARIANT out;
    {
        ScopedVariant v(Holding(object));
        out = v.release();
        EXPECT_EQ(v.type(), VT_EMPTY);
    }
    EXPECT_EQ(object.refs, 2);
    EXPECT_EQ(VariantClear(&out), S_OK);
    EXPECT_EQ(object.refs, 1);
}

TEST(ScopedVariant, HoldsTextAndServesAsAnOutParameter) {
    auto text = ScopedVariant::String(u"Schedule");
    ASSERT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(cadencer::win::ToU16(V_BSTR(text.get())), u"Schedule");

    // Filled by the platform and cleared by its own owner.
    ScopedVariant copy;
    EXPECT_EQ(VariantCopy(copy.receive(), text.get()), S_OK);
    EXPECT_EQ(copy.type(), VT_BSTR);
    EXPECT_NE(V_BSTR(copy.get()), V_BSTR(text.get()));  // a string of its own, freed separately
    EXPECT_EQ(cadencer::win::ToU16(V_BSTR(copy.get())), u"Schedule");
}

TEST(Adopt, TakesOverTheNewObjectsReferenceWithoutAddingOne) {
    Counted object;  // as new: one reference, now the owner's
    {
        const auto owner = cadencer::win::Adopt(&object);
        EXPECT_EQ(object.refs, 1);
        EXPECT_EQ(owner.Get(), &object);
    }
    EXPECT_EQ(object.refs, 0);
}

TEST(ScopedBstr, MoveAndReleaseHandOverTheSameString) {
    ScopedBstr source(u"12:30");
    const BSTR held = source.get();
    ASSERT_NE(held, nullptr);
    ScopedBstr target(std::move(source));
    EXPECT_FALSE(source);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(target.get(), held);

    ScopedBstr other(L"other");
    other = std::move(target);
    EXPECT_EQ(other.get(), held);
    EXPECT_FALSE(target);  // NOLINT(bugprone-use-after-move)

    BSTR out = other.release();
    EXPECT_EQ(out, held);
    EXPECT_FALSE(other);
    EXPECT_EQ(SysStringLen(out), 5u);
    ScopedBstr adopted;
    *adopted.receive() = out;  // owned again, freed once at the end of the test
    EXPECT_EQ(cadencer::win::ToU16(adopted.get()), u"12:30");
}

TEST(ScopedBstr, KeepsEmbeddedNullsAndEmptyText) {
    const std::u16string text(u"a\0b", 3);
    ScopedBstr b(text);
    EXPECT_EQ(SysStringLen(b.get()), 3u);
    EXPECT_EQ(cadencer::win::ToU16(b.get()), text);
    ScopedBstr empty(std::u16string_view{});
    EXPECT_TRUE(empty);  // an empty string, not a null one
    EXPECT_EQ(SysStringLen(empty.get()), 0u);
    EXPECT_EQ(cadencer::win::ToU16(nullptr), u"");
}

// Filling an owner that already holds something would lose it: receive() refuses.
TEST(ScopedOwnersDeathTest, ReceiveOnAFullOwnerAsserts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ScopedBstr b(L"held");
            b.receive();
        },
        "");
    EXPECT_DEATH(
        {
            auto v = ScopedVariant::String(L"held");
            v.receive();
        },
        "");
}

TEST(ScopedExcepInfo, FreesTheTextsAnInvokeFailureFills) {
    // The platform's own dispatch fills the texts for an unknown member of a type library
    // object; here they are filled by hand, as a server's Invoke does.
    ScopedExcepInfo info;
    EXCEPINFO* raw = info.receive();
    raw->bstrSource = SysAllocString(L"source");
    raw->bstrDescription = SysAllocString(L"description");
    raw->scode = DISP_E_EXCEPTION;
    info.reset();
    EXPECT_EQ(info->bstrSource, nullptr);
    EXPECT_EQ(info->bstrDescription, nullptr);
    EXPECT_EQ(info->scode, 0);
    info.receive()->bstrHelpFile = SysAllocString(L"help");  // freed by the destructor
}

// A volatile key of its own under HKCU, gone when the test ends.
class UniqueHkeyTest : public testing::Test {
protected:
    static constexpr wchar_t kPath[] = L"Software\\CadencerTests\\UniqueHkey";
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\CadencerTests"); }
    static LSTATUS Open(UniqueHkey& key) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                               key.receive(), nullptr);
    }
    static bool IsOpen(HKEY key) {
        DWORD values = 0;
        return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                                nullptr, nullptr) == ERROR_SUCCESS;
    }
};

TEST_F(UniqueHkeyTest, ClosesTheKeyItHolds) {
    HKEY handle = nullptr;
    {
        UniqueHkey key;
        ASSERT_EQ(Open(key), ERROR_SUCCESS);
        handle = key.get();
        ASSERT_TRUE(IsOpen(handle));
    }
    EXPECT_FALSE(IsOpen(handle));

    UniqueHkey key;
    ASSERT_EQ(Open(key), ERROR_SUCCESS);
    handle = key.get();
    key.reset();
    EXPECT_FALSE(key);
    EXPECT_FALSE(IsOpen(handle));
}

TEST_F(UniqueHkeyTest, MoveAndReleaseKeepTheKeyOpen) {
    UniqueHkey source;
    ASSERT_EQ(Open(source), ERROR_SUCCESS);
    const HKEY handle = source.get();
    UniqueHkey target(std::move(source));
    EXPECT_FALSE(source);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(target.get(), handle);
    EXPECT_TRUE(IsOpen(handle));

    UniqueHkey other;
    ASSERT_EQ(Open(other), ERROR_SUCCESS);
    const HKEY replaced = other.get();
    other = std::move(target);
    EXPECT_FALSE(IsOpen(replaced));  // the key it held before is closed at the assignment
    EXPECT_TRUE(IsOpen(handle));

    const HKEY out = other.release();
    EXPECT_EQ(out, handle);
    EXPECT_TRUE(IsOpen(out));
    UniqueHkey(out).reset();
    EXPECT_FALSE(IsOpen(out));
}

}  // namespace
