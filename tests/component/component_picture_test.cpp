// cadencer.ocx's stored icon: the picture bytes inside a stream are checked before the
// platform's picture decoder sees them. Corrupted icon bytes (every single-byte change
// in the picture's data) either load a sound picture or refuse the stream, never crash,
// never leave a window or a large allocation behind; pictures the control cannot store
// are refused when set; whatever is set saves and loads back.
#include <gtest/gtest.h>

#include <cstring>

#include "component_support.h"

namespace cadencer_test {
namespace {

ComPtr<IPictureDisp> IconPicture(HICON icon, BOOL own) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IID_IPictureDisp, own, &picture), S_OK);
    return picture;
}

HRESULT Load(_Cadencer* control, const std::vector<BYTE>& bytes) {
    return LoadStream(control, StreamOf(bytes).Get());
}

// The picture entry (key 9, tag 7): where its persisted bytes start, and how many.
std::pair<std::size_t, std::size_t> PictureSpan(const std::vector<BYTE>& bytes) {
    for (std::size_t i = 12; i + 6 < bytes.size(); ++i) {
        if (bytes[i] == 9 && bytes[i + 1] == 7) {
            DWORD count = 0;
            std::memcpy(&count, &bytes[i + 2], 4);
            if (i + 6 + count <= bytes.size()) return {i + 6, count};
        }
    }
    return {0, 0};
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM param) WINAPI -> BOOL {
            ++*reinterpret_cast<int*>(param);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

SIZE_T CommittedBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<BYTE*>(info.BaseAddress) + info.RegionSize < at) break;
    }
    return total;
}

std::u16string Title(_Cadencer* control) {
    ScopedBstr b;
    EXPECT_EQ(control->get_Title(b.receive()), S_OK);
    return cadencer::win::ToU16(b.get());
}

TEST(ComponentPicture, EverySingleByteChangeOfTheStoredIconLoadsSafelyOrIsRefused) {
    ComPtr<_Cadencer> source = CreateInitialisedControl();
    source->put_Title(ScopedBstr(L"Stored").get());
    ASSERT_EQ(source->putref_Icon(IconPicture(LoadIconW(nullptr, IDI_APPLICATION), FALSE).Get()), S_OK);
    const std::vector<BYTE> good = SavedStream(source.Get());
    const auto [at, count] = PictureSpan(good);
    ASSERT_GT(count, 100u);

    const int windows = ThreadWindows();
    const SIZE_T memory = CommittedBytes();
    int loaded = 0, refused = 0;
    // The header, the directory and the image header byte by byte with three changes
    // each; the pixels are sampled.
    for (std::size_t offset = at; offset < at + count; offset += offset < at + 8 + 22 + 64 ? 1 : 397) {
        for (BYTE mask : {0x02, 0x10, 0x80}) {
            std::vector<BYTE> bytes = good;
            bytes[offset] ^= mask;
            ComPtr<_Cadencer> target = CreateInitialisedControl();
            const HRESULT hr = Load(target.Get(), bytes);
            if (FAILED(hr)) {
                ++refused;
                EXPECT_EQ(hr, CTL_E_INVALIDFILEFORMAT) << offset << " ^ " << int(mask);
                continue;
            }
            ++loaded;
            EXPECT_EQ(Title(target.Get()), u"Stored");
            ComPtr<IPictureDisp> icon;
            EXPECT_EQ(target->get_Icon(&icon), S_OK);
            EXPECT_NE(icon, nullptr);
            // What loaded saves again and loads into a fresh instance.
            ComPtr<_Cadencer> again = CreateInitialisedControl();
            EXPECT_EQ(Load(again.Get(), SavedStream(target.Get())), S_OK) << offset << " ^ " << int(mask);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(loaded, 0);
    EXPECT_EQ(ThreadWindows(), windows);
    EXPECT_LT(CommittedBytes(), memory + (64u << 20));
}

TEST(ComponentPicture, TheReportedCorruptionIsRefusedBeforeAnyValueChanges) {
    // All values off their default, the standard application icon, byte 140 ^ 0x10: the
    // icon's image header then announces more rows than its data holds.
    ComPtr<_Cadencer> source = CreateInitialisedControl();
    source->put_Title(ScopedBstr(L"Backup \x00e9t\x00e9").get());
    ASSERT_EQ(source->putref_Icon(IconPicture(LoadIconW(nullptr, IDI_APPLICATION), FALSE).Get()), S_OK);
    std::vector<BYTE> bytes = SavedStream(source.Get());
    const auto [at, count] = PictureSpan(bytes);
    ASSERT_GT(count, 8u + 22u + 40u);
    const std::size_t imageHeight = at + 8 + 22 + 8;  // the image header's biHeight
    bytes[imageHeight + 1] ^= 0x10;
    ComPtr<_Cadencer> target = CreateInitialisedControl();
    EXPECT_EQ(Load(target.Get(), bytes), CTL_E_INVALIDFILEFORMAT);
    EXPECT_EQ(Title(target.Get()), u"Schedule");
}

TEST(ComponentPicture, PicturesTheControlCannotStoreAreRefusedWhenSet) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IPictureDisp> before;
    ASSERT_EQ(control->get_Icon(&before), S_OK);
    // Larger than any icon, or a metafile (which the platform cannot save): refused with
    // the invalid-picture error, the icon kept.
    EXPECT_EQ(control->putref_Icon(BitmapPicture(300, 20).Get()), CTL_E_INVALIDPICTURE);
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(recorder, 0, 0, 16, 16);
    PICTDESC metafile{};
    metafile.cbSizeofstruct = sizeof(metafile);
    metafile.picType = PICTYPE_ENHMETAFILE;
    metafile.emf.hemf = CloseEnhMetaFile(recorder);
    ComPtr<IPictureDisp> drawing;
    ASSERT_EQ(OleCreatePictureIndirect(&metafile, IID_IPictureDisp, TRUE, &drawing), S_OK);
    EXPECT_EQ(control->putref_Icon(drawing.Get()), CTL_E_INVALIDPICTURE);
    ComPtr<IPictureDisp> after;
    ASSERT_EQ(control->get_Icon(&after), S_OK);
    EXPECT_EQ(after, before);
    // A bitmap within the limit is taken, saves and loads back as a bitmap.
    ASSERT_EQ(control->putref_Icon(BitmapPicture(256, 16).Get()), S_OK);
    ComPtr<_Cadencer> loaded = CreateInitialisedControl();
    ASSERT_EQ(Load(loaded.Get(), SavedStream(control.Get())), S_OK);
    ComPtr<IPictureDisp> icon;
    ASSERT_EQ(loaded->get_Icon(&icon), S_OK);
    ComPtr<IPicture> picture;
    ASSERT_EQ(icon.As(&picture), S_OK);
    SHORT type = 0;
    EXPECT_EQ((picture->get_Type(&type), type), PICTYPE_BITMAP);
}

TEST(ComponentPicture, AnObjectThatIsNoPictureIsRefusedThroughDispatchAndLetGo) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control.As(&dispatch), S_OK);
    RecordingEventSink notAPicture(nullptr);
    IUnknown* object = static_cast<IDispatch*>(&notAPicture);
    for (bool byRef : {false, true}) {
        for (VARTYPE type : {VT_DISPATCH, VT_UNKNOWN}) {
            VARIANT arg;
            VariantInit(&arg);
            V_VT(&arg) = byRef ? (type | VT_BYREF) : type;
            if (byRef)
                V_UNKNOWNREF(&arg) = &object;
            else
                V_UNKNOWN(&arg) = object;
            DISPID put = DISPID_PROPERTYPUT;
            DISPPARAMS params{&arg, &put, 1, 1};
            UINT argError = 9;
            for (WORD flags : {DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT}) {
                EXPECT_EQ(dispatch->Invoke(0x68030010, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                                           &argError),
                          DISP_E_TYPEMISMATCH);
                EXPECT_EQ(argError, 0u);
            }
        }
    }
    // Malformed puts that carry the object: too many arguments, no named put argument. The
    // arguments only borrow the object and the text.
    const ScopedBstr text(L"x");
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    V_VT(&args[0]) = VT_UNKNOWN;
    V_UNKNOWN(&args[0]) = object;
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = text.get();
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS two{args, &put, 2, 1};
    EXPECT_EQ(dispatch->Invoke(0x68030010, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF, &two, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    DISPPARAMS unnamed{args, nullptr, 1, 0};
    EXPECT_EQ(dispatch->Invoke(0x68030010, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &unnamed, nullptr,
                               nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    // Every reference the calls took is given back.
    EXPECT_EQ(notAPicture.Refs(), 1u);
    // A picture by reference still sets the icon; one too large is refused with its reason.
    ComPtr<IPictureDisp> bitmap = BitmapPicture(32, 32);
    IUnknown* picture = bitmap.Get();
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BYREF | VT_DISPATCH;
    V_UNKNOWNREF(&arg) = &picture;
    DISPPARAMS params{&arg, &put, 1, 1};
    EXPECT_EQ(dispatch->Invoke(0x68030010, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr,
                               nullptr, nullptr),
              S_OK);
    ComPtr<IPictureDisp> icon;
    control->get_Icon(&icon);
    EXPECT_EQ(icon.Get(), bitmap.Get());
    ComPtr<IPictureDisp> large = BitmapPicture(20, 400);
    picture = large.Get();
    ScopedExcepInfo exception;
    EXPECT_EQ(dispatch->Invoke(0x68030010, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr,
                               exception.receive(), nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, CTL_E_INVALIDPICTURE);
    EXPECT_NE(exception->bstrDescription, nullptr);
}

}  // namespace
}  // namespace cadencer_test
