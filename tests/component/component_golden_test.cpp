// The binary stored form, frozen: a fixed instance saves to exactly the bytes below, and
// those bytes load back into the same values and save again unchanged. A change to the
// stream layout (key order, tags, widths, header) fails here and must come with a new
// format version; the old bytes must keep loading.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "component_golden_stream.h"
#include "component_support.h"

namespace cadencer_test {
namespace {

// A 16 x 16 monochrome icon built byte by byte, so its persisted form is the same on every
// platform: the standard picture keeps the bytes it was loaded from and saves them again.
std::vector<BYTE> FixedIconFile() {
    std::vector<BYTE> ico;
    auto u16 = [&](unsigned v) {
        ico.push_back(static_cast<BYTE>(v));
        ico.push_back(static_cast<BYTE>(v >> 8));
    };
    auto u32 = [&](unsigned long v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u16(0), u16(1), u16(1);                     // directory: reserved, icon, one image
    ico.insert(ico.end(), {16, 16, 2, 0});      // 16 x 16, two colours
    u16(1), u16(1), u32(176), u32(22);          // planes, bits, bytes, offset
    u32(40), u32(16), u32(32), u16(1), u16(1);  // BITMAPINFOHEADER: colour and mask rows
    u32(0), u32(128), u32(0), u32(0), u32(0), u32(0);
    ico.insert(ico.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    for (int row = 0; row < 16; ++row) ico.insert(ico.end(), {static_cast<BYTE>(0xF0 >> (row % 4)), 0x0F, 0, 0});
    for (int row = 0; row < 16; ++row) ico.insert(ico.end(), {0, 0, 0, 0});
    return ico;
}

ComPtr<IPictureDisp> FixedIconPicture() {
    const std::vector<BYTE> ico = FixedIconFile();
    std::vector<BYTE> persisted = {'l', 't', 0, 0};
    const DWORD size = static_cast<DWORD>(ico.size());
    persisted.insert(persisted.end(), reinterpret_cast<const BYTE*>(&size), reinterpret_cast<const BYTE*>(&size) + 4);
    persisted.insert(persisted.end(), ico.begin(), ico.end());
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(OleCreatePictureIndirect(nullptr, IID_IPictureDisp, TRUE, &picture), S_OK);
    ComPtr<IPersistStream> persist;
    EXPECT_EQ(picture.As(&persist), S_OK);
    EXPECT_EQ(persist->Load(StreamOf(persisted).Get()), S_OK);
    return picture;
}

void PutText(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*fn)(BSTR), const wchar_t* text) {
    EXPECT_EQ((c->*fn)(ScopedBstr(text).get()), S_OK);
}

// Every property off its default, dates fixed in the past (never a creation day), texts
// with characters outside ASCII and with blanks.
void SetFixedValues(_Cadencer* c) {
    EXPECT_EQ(c->put_Enabled(VARIANT_FALSE), S_OK);
    PutText(c, &_Cadencer::put_Title, L"Nightly backup \x00e9t\x00e9 \x20ac");
    EXPECT_EQ(c->put_Modal(VARIANT_TRUE), S_OK);
    EXPECT_EQ(c->put_ShowHelpButton(VARIANT_TRUE), S_OK);
    PutText(c, &_Cadencer::put_CaptionOKButtonBefore, L"&Save");
    PutText(c, &_Cadencer::put_CaptionOKButtonAfter, L"Save &now");
    PutText(c, &_Cadencer::put_CaptionCloseButtonBefore, L"Done");
    PutText(c, &_Cadencer::put_CaptionCloseButtonAfter, L" ");
    PutText(c, &_Cadencer::put_CaptionHelpButton, L"Hints");
    ComPtr<IPictureDisp> icon = FixedIconPicture();
    EXPECT_EQ(c->putref_Icon(icon.Get()), S_OK);
    EXPECT_EQ(c->put_StartUpPosition(Manual), S_OK);
    EXPECT_EQ(c->put_StartUpLeft(-123456), S_OK);
    EXPECT_EQ(c->put_StartUpTop(2147483647), S_OK);
    Occurs monthly = Monthly;
    EXPECT_EQ(c->put_OccursOption(&monthly), S_OK);
    EXPECT_EQ(c->put_EveryInterval(-7), S_OK);
    EXPECT_EQ(c->put_EveryFrequency(Minutes), S_OK);
    EXPECT_EQ(c->put_EveryHourMin(2), S_OK);
    EXPECT_EQ(c->put_EveryHourMax(20), S_OK);
    EXPECT_EQ(c->put_EveryHourIncrement(3), S_OK);
    EXPECT_EQ(c->put_EveryMinuteMin(-32768), S_OK);
    EXPECT_EQ(c->put_EveryMinuteMax(999), S_OK);
    EXPECT_EQ(c->put_EveryMinuteIncrement(0), S_OK);
    EXPECT_EQ(c->put_StartHour(7), S_OK);
    EXPECT_EQ(c->put_StartMinute(45), S_OK);
    EXPECT_EQ(c->put_StartDate(36526.25), S_OK);  // 2000-01-01 06:00
    EXPECT_EQ(c->put_EndDate(40000.5), S_OK);     // 2009-07-06 12:00
    EXPECT_EQ(c->put_UseEndDate(VARIANT_TRUE), S_OK);
    PutText(c, &_Cadencer::put_SelectionsWeekly, L"1010101");
    PutText(c, &_Cadencer::put_SelectionsMonthly, L"1000000000000001000000000000001");
}

std::string Text(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*fn)(BSTR*)) {
    ScopedBstr b;
    EXPECT_EQ((c->*fn)(b.receive()), S_OK);
    const int length = static_cast<int>(SysStringLen(b.get()));
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, b.get(), length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, b.get(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

void ExpectFixedValues(_Cadencer* c) {
    VARIANT_BOOL b = 0;
    SHORT s = 0;
    LONG l = 0;
    DATE d = 0;
    EXPECT_EQ((c->get_Enabled(&b), b), VARIANT_FALSE);
    EXPECT_EQ(Text(c, &_Cadencer::get_Title), "Nightly backup \xc3\xa9t\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ((c->get_Modal(&b), b), VARIANT_TRUE);
    EXPECT_EQ((c->get_ShowHelpButton(&b), b), VARIANT_TRUE);
    EXPECT_EQ(Text(c, &_Cadencer::get_CaptionOKButtonBefore), "&Save");
    EXPECT_EQ(Text(c, &_Cadencer::get_CaptionOKButtonAfter), "Save &now");
    EXPECT_EQ(Text(c, &_Cadencer::get_CaptionCloseButtonBefore), "Done");
    EXPECT_EQ(Text(c, &_Cadencer::get_CaptionCloseButtonAfter), " ");
    EXPECT_EQ(Text(c, &_Cadencer::get_CaptionHelpButton), "Hints");
    ComPtr<IPictureDisp> icon;
    ASSERT_EQ(c->get_Icon(&icon), S_OK);
    ComPtr<IPicture> picture;
    ASSERT_EQ(icon.As(&picture), S_OK);
    SHORT type = 0;
    EXPECT_EQ((picture->get_Type(&type), type), PICTYPE_ICON);
    FormPosition position{};
    EXPECT_EQ((c->get_StartUpPosition(&position), position), Manual);
    EXPECT_EQ((c->get_StartUpLeft(&l), l), -123456);
    EXPECT_EQ((c->get_StartUpTop(&l), l), 2147483647);
    Occurs occurs{};
    EXPECT_EQ((c->get_OccursOption(&occurs), occurs), Monthly);
    EXPECT_EQ((c->get_EveryInterval(&s), s), -7);
    EveryType every{};
    EXPECT_EQ((c->get_EveryFrequency(&every), every), Minutes);
    EXPECT_EQ((c->get_EveryHourMin(&s), s), 2);
    EXPECT_EQ((c->get_EveryHourMax(&s), s), 20);
    EXPECT_EQ((c->get_EveryHourIncrement(&s), s), 3);
    EXPECT_EQ((c->get_EveryMinuteMin(&s), s), -32768);
    EXPECT_EQ((c->get_EveryMinuteMax(&s), s), 999);
    EXPECT_EQ((c->get_EveryMinuteIncrement(&s), s), 0);
    EXPECT_EQ((c->get_StartHour(&s), s), 7);
    EXPECT_EQ((c->get_StartMinute(&s), s), 45);
    EXPECT_EQ((c->get_StartDate(&d), d), 36526.25);
    EXPECT_EQ((c->get_EndDate(&d), d), 40000.5);
    EXPECT_EQ((c->get_UseEndDate(&b), b), VARIANT_TRUE);
    EXPECT_EQ(Text(c, &_Cadencer::get_SelectionsWeekly), "1010101");
    EXPECT_EQ(Text(c, &_Cadencer::get_SelectionsMonthly), "1000000000000001000000000000001");
}

// The bytes as a C array body, for replacing the golden form deliberately.
std::string AsCArray(const std::vector<BYTE>& bytes) {
    std::string text;
    char item[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(item, sizeof(item), "0x%02X,", bytes[i]);
        text += item;
        text += (i % 16 == 15) ? "\n" : " ";
    }
    return text;
}

TEST(ComponentGoldenStream, AFixedInstanceSavesToTheFrozenBytes) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    SetFixedValues(control.Get());
    const std::vector<BYTE> saved = SavedStream(control.Get());
    const std::vector<BYTE> golden(std::begin(kGoldenStreamV1), std::end(kGoldenStreamV1));
    EXPECT_EQ(saved, golden) << "saved " << saved.size() << " bytes:\n" << AsCArray(saved);
}

TEST(ComponentGoldenStream, TheFrozenBytesLoadAndSaveAgainUnchanged) {
    const std::vector<BYTE> golden(std::begin(kGoldenStreamV1), std::end(kGoldenStreamV1));
    ComPtr<_Cadencer> control = CreateControl();
    ASSERT_EQ(LoadStream(control.Get(), StreamOf(golden).Get()), S_OK);
    ExpectFixedValues(control.Get());
    EXPECT_EQ(SavedStream(control.Get()), golden);
}

TEST(ComponentGoldenStream, TheFixedIconIsAValidPicture) {
    // Guards the fixture itself: the icon the golden form carries is one the platform
    // draws (an icon handle of 16 x 16 pixels).
    ComPtr<IPictureDisp> icon = FixedIconPicture();
    ComPtr<IPicture> picture;
    ASSERT_EQ(icon.As(&picture), S_OK);
    OLE_HANDLE handle = 0;
    ASSERT_EQ(picture->get_Handle(&handle), S_OK);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    EXPECT_EQ(mask.bmHeight, 32);  // monochrome: image and mask in one bitmap
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

}  // namespace
}  // namespace cadencer_test
