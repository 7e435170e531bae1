// cadencer.ocx's texts: a title or caption the let takes saves in every form (stream,
// storage, property bag) and loads back whole; a longer one is refused by the let with
// an error description, the old text kept, so a host can always save its form.
#include <gtest/gtest.h>

#include <string>

#include "component_support.h"

namespace cadencer_test {
namespace {

constexpr std::size_t kLimit = 65536;

HRESULT PutTitle(_Cadencer* control, std::size_t length) {
    ScopedBstr text;
    *text.receive() = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    for (std::size_t i = 0; i < length; ++i) text.get()[i] = static_cast<wchar_t>(L'a' + i % 26);
    return control->put_Title(text.get());
}

std::size_t TitleLength(_Cadencer* control) {
    ScopedBstr text;
    EXPECT_EQ(control->get_Title(text.receive()), S_OK);
    return SysStringLen(text.get());
}

TEST(ComponentTextLimit, TheLongestTextTakenSavesAndLoadsInEveryForm) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ASSERT_EQ(PutTitle(control.Get(), kLimit), S_OK);

    ComPtr<IPersistStreamInit> streamer;
    ASSERT_EQ(control.As(&streamer), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(streamer->Save(stream.Get(), TRUE), S_OK);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ComPtr<_Cadencer> fromStream = CreateControl();
    ComPtr<IPersistStreamInit> loader;
    ASSERT_EQ(fromStream.As(&loader), S_OK);
    ASSERT_EQ(loader->Load(stream.Get()), S_OK);
    EXPECT_EQ(TitleLength(fromStream.Get()), kLimit);

    RecordingBag bag(nullptr);
    ComPtr<IPersistPropertyBag> bagger;
    ASSERT_EQ(control.As(&bagger), S_OK);
    ASSERT_EQ(bagger->Save(&bag, TRUE, TRUE), S_OK);
    ComPtr<_Cadencer> fromBag = CreateControl();
    ComPtr<IPersistPropertyBag> bagLoader;
    ASSERT_EQ(fromBag.As(&bagLoader), S_OK);
    ASSERT_EQ(bagLoader->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(TitleLength(fromBag.Get()), kLimit);
}

TEST(ComponentTextLimit, ALongerTextIsRefusedByTheLetWithADescription) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ASSERT_EQ(PutTitle(control.Get(), 5), S_OK);
    EXPECT_EQ(PutTitle(control.Get(), 100000), E_INVALIDARG);
    EXPECT_EQ(TitleLength(control.Get()), 5u);

    // Through automation: an exception carrying the description.
    ScopedVariant arg;
    V_VT(arg.get()) = VT_BSTR;
    V_BSTR(arg.get()) = SysAllocStringLen(nullptr, static_cast<UINT>(kLimit + 1));
    wmemset(V_BSTR(arg.get()), L'x', kLimit + 1);
    ScopedExcepInfo exception;
    EXPECT_EQ(DispatchPut(control.Get(), DispatchIdOf(control.Get(), L"CaptionHelpButton"), arg.get(),
                          DISPATCH_PROPERTYPUT, exception.receive()),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, E_INVALIDARG);
    EXPECT_NE(exception->bstrDescription, nullptr);

    // The form still saves.
    EXPECT_FALSE(SavedStream(control.Get()).empty());
}

TEST(ComponentTextLimit, ABagWithALongerTextStopsTheLoadAsAnOverflow) {
    RecordingBag bag(nullptr);
    ScopedVariant title;
    V_VT(title.get()) = VT_BSTR;
    V_BSTR(title.get()) = SysAllocStringLen(nullptr, static_cast<UINT>(100000));
    wmemset(V_BSTR(title.get()), L'y', 100000);
    bag.Set(L"Title", *title.get());
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(control.As(&persist), S_OK);
    EXPECT_EQ(persist->Load(&bag, nullptr), DISP_E_OVERFLOW);
    EXPECT_EQ(TitleLength(control.Get()), 8u);  // "Schedule"
}

}  // namespace
}  // namespace cadencer_test
