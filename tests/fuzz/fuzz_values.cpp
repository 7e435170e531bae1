// The fuzzer's hostile values (see fuzz_values.h).
#include "fuzz_values.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace cadencer_fuzz {
namespace {

ForeignObject g_foreign;
ComPtr<IPictureDisp> g_icon, g_smallBitmap, g_bigBitmap, g_empty, g_metafile;

ComPtr<IPictureDisp> Picture(PICTDESC* desc, BOOL own) {
    ComPtr<IPictureDisp> picture;
    OleCreatePictureIndirect(desc, IID_IPictureDisp, own, &picture);
    return picture;
}

ComPtr<IPictureDisp> BitmapPicture(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    return Picture(&desc, TRUE);
}

ComPtr<IPictureDisp> MetafilePicture() {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 40, 40);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ENHMETAFILE;
    desc.emf.hemf = CloseEnhMetaFile(dc);
    return Picture(&desc, TRUE);
}

BSTR Text(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

SAFEARRAY* VariantArray(int count) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(count));
    for (LONG i = 0; i < count; ++i) {
        ScopedVariant item;
        if (i % 3 == 0) {
            V_VT(item.get()) = VT_I4;
            V_I4(item.get()) = 7;
        } else if (i % 3 == 1) {
            item = ScopedVariant::String(L"1010101");
        }
        SafeArrayPutElement(array, &i, item.get());  // the array keeps a copy
    }
    return array;
}

struct Kind {
    const char* name;
    std::function<void(VARIANT&)> fill;
};

template <class T>
Kind Number(const char* name, VARTYPE type, T value) {
    return {name, [type, value](VARIANT& v) {
                V_VT(&v) = type;
                switch (type) {
                    case VT_I1:
                        V_I1(&v) = static_cast<CHAR>(value);
                        break;
                    case VT_UI1:
                        V_UI1(&v) = static_cast<BYTE>(value);
                        break;
                    case VT_I2:
                        V_I2(&v) = static_cast<SHORT>(value);
                        break;
                    case VT_UI2:
                        V_UI2(&v) = static_cast<USHORT>(value);
                        break;
                    case VT_I4:
                        V_I4(&v) = static_cast<LONG>(value);
                        break;
                    case VT_UI4:
                        V_UI4(&v) = static_cast<ULONG>(value);
                        break;
                    case VT_INT:
                        V_INT(&v) = static_cast<INT>(value);
                        break;
                    case VT_UINT:
                        V_UINT(&v) = static_cast<UINT>(value);
                        break;
                    case VT_I8:
                        V_I8(&v) = static_cast<LONGLONG>(value);
                        break;
                    case VT_UI8:
                        V_UI8(&v) = static_cast<ULONGLONG>(value);
                        break;
                    case VT_R4:
                        V_R4(&v) = static_cast<FLOAT>(value);
                        break;
                    case VT_R8:
                        V_R8(&v) = static_cast<DOUBLE>(value);
                        break;
                    case VT_DATE:
                        V_DATE(&v) = static_cast<DATE>(value);
                        break;
                    case VT_BOOL:
                        V_BOOL(&v) = static_cast<VARIANT_BOOL>(value);
                        break;
                    case VT_ERROR:
                        V_ERROR(&v) = static_cast<SCODE>(value);
                        break;
                    default:
                        break;
                }
            }};
}

Kind String(const char* name, std::wstring text) {
    return {name, [text](VARIANT& v) {
                V_VT(&v) = VT_BSTR;
                V_BSTR(&v) = Text(text);
            }};
}

Kind Object(const char* name, VARTYPE type, std::function<IUnknown*()> object) {
    return {name, [type, object](VARIANT& v) {
                V_VT(&v) = type;
                IUnknown* o = object();
                if (o) o->AddRef();
                V_UNKNOWN(&v) = o;  // VT_DISPATCH and VT_UNKNOWN share the slot
            }};
}

const std::vector<Kind>& Kinds() {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    static const std::vector<Kind> kinds = {
        {"empty", [](VARIANT&) {}},
        {"null", [](VARIANT& v) { V_VT(&v) = VT_NULL; }},
        Number("i2 min", VT_I2, -32768),
        Number("i2 max", VT_I2, 32767),
        Number("i2 -1", VT_I2, -1),
        Number("i2 25", VT_I2, 25),
        Number("i2 1000", VT_I2, 1000),
        Number("i4 min", VT_I4, std::numeric_limits<LONG>::min()),
        Number("i4 max", VT_I4, std::numeric_limits<LONG>::max()),
        Number("i4 0", VT_I4, 0),
        Number("i4 4", VT_I4, 4),
        Number("i4 32768", VT_I4, 32768),
        Number("i1 min", VT_I1, -128),
        Number("ui1 max", VT_UI1, 255),
        Number("ui2 max", VT_UI2, 65535),
        Number("ui4 max", VT_UI4, 0xFFFFFFFFu),
        Number("int min", VT_INT, std::numeric_limits<INT>::min()),
        Number("uint max", VT_UINT, 0xFFFFFFFFu),
        Number("i8 min", VT_I8, std::numeric_limits<LONGLONG>::min()),
        Number("i8 max", VT_I8, std::numeric_limits<LONGLONG>::max()),
        Number("ui8 max", VT_UI8, std::numeric_limits<ULONGLONG>::max()),
        Number("r4 nan", VT_R4, kNaN),
        Number("r4 max", VT_R4, FLT_MAX),
        Number("r8 nan", VT_R8, kNaN),
        Number("r8 +inf", VT_R8, kInf),
        Number("r8 -inf", VT_R8, -kInf),
        Number("r8 1e308", VT_R8, 1e308),
        Number("r8 -1e308", VT_R8, -1e308),
        Number("r8 -657435", VT_R8, -657435.0),
        Number("r8 2958466", VT_R8, 2958466.0),
        Number("r8 0.5", VT_R8, 0.5),
        Number("r8 -32768.5", VT_R8, -32768.5),
        Number("date nan", VT_DATE, kNaN),
        Number("date +inf", VT_DATE, kInf),
        Number("date -inf", VT_DATE, -kInf),
        Number("date 1e308", VT_DATE, 1e308),
        Number("date -1e308", VT_DATE, -1e308),
        Number("date -657435", VT_DATE, -657435.0),
        Number("date 2958466", VT_DATE, 2958466.0),
        Number("date -657434", VT_DATE, -657434.0),
        Number("date 2958465.99999", VT_DATE, 2958465.99999),
        Number("date -1.5", VT_DATE, -1.5),
        Number("date 46387.99999", VT_DATE, 46387.99999),
        {"cy min",
         [](VARIANT& v) {
             V_VT(&v) = VT_CY;
             V_CY(&v).int64 = std::numeric_limits<LONGLONG>::min();
         }},
        {"decimal max",
         [](VARIANT& v) {
             V_VT(&v) = VT_DECIMAL;
             V_DECIMAL(&v).Hi32 = 0xFFFFFFFF;
             V_DECIMAL(&v).Lo64 = 0xFFFFFFFFFFFFFFFFull;
             V_VT(&v) = VT_DECIMAL;
         }},
        String("bstr empty", L""),
        {"bstr null",
         [](VARIANT& v) {
             V_VT(&v) = VT_BSTR;
             V_BSTR(&v) = nullptr;
         }},
        String("bstr 100000", std::wstring(100000, L'x')),
        String("bstr 65537", std::wstring(65537, L'1')),
        String("bstr nuls", std::wstring(L"ab\0cd\0", 6)),
        String("bstr 123", L"123"),
        String("bstr -32769", L"-32769"),
        String("bstr 1e400", L"1e400"),
        String("bstr NaN", L"NaN"),
        String("bstr iso date", L"2027-12-31T23:59:59"),
        String("bstr local date", L"31/12/2027 23:59"),
        String("bstr True", L"True"),
        String("bstr &H7FFF", L"&H7FFF"),
        String("bstr spaced 24", L"  24  "),
        String("bstr weekdays", L"0111110"),
        String("bstr surrogate", std::wstring(1, static_cast<wchar_t>(0xD800))),
        Number("bool true", VT_BOOL, -1),
        Number("bool false", VT_BOOL, 0),
        Number("bool 1", VT_BOOL, 1),
        Number("bool 2", VT_BOOL, 2),
        Object("dispatch null", VT_DISPATCH, [] { return nullptr; }),
        Object("dispatch foreign", VT_DISPATCH, [] { return &g_foreign; }),
        Object("dispatch icon", VT_DISPATCH, [] { return g_icon.Get(); }),
        Object("dispatch bitmap 16", VT_DISPATCH, [] { return g_smallBitmap.Get(); }),
        Object("dispatch bitmap 300", VT_DISPATCH, [] { return g_bigBitmap.Get(); }),
        Object("dispatch empty picture", VT_DISPATCH, [] { return g_empty.Get(); }),
        Object("dispatch metafile", VT_DISPATCH, [] { return g_metafile.Get(); }),
        Object("unknown null", VT_UNKNOWN, [] { return nullptr; }),
        Object("unknown foreign", VT_UNKNOWN, [] { return &g_foreign; }),
        Number("error paramnotfound", VT_ERROR, DISP_E_PARAMNOTFOUND),
        Number("error fail", VT_ERROR, E_FAIL),
        {"array of 3 variants",
         [](VARIANT& v) {
             V_VT(&v) = VT_ARRAY | VT_VARIANT;
             V_ARRAY(&v) = VariantArray(3);
         }},
        {"array of 0 variants",
         [](VARIANT& v) {
             V_VT(&v) = VT_ARRAY | VT_VARIANT;
             V_ARRAY(&v) = VariantArray(0);
         }},
        {"array of i4",
         [](VARIANT& v) {
             V_VT(&v) = VT_ARRAY | VT_I4;
             V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 4);
         }},
    };
    return kinds;
}

}  // namespace

STDMETHODIMP ForeignObject::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ForeignObject::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP ForeignObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HostileValue::HostileValue(std::size_t kind, bool byRef) {
    VariantInit(&passed_);
    const Kind& k = Kinds()[kind % Kinds().size()];
    k.fill(*base_.get());
    description_ = k.name;
    if (!byRef) {
        passed_ = *base_.get();
        return;
    }
    const VARTYPE type = base_.type();
    // Empty and null exist by reference only inside a VARIANT; so does every value half
    // the time (by the kind's parity), the other half by a reference of its own type.
    if (type == VT_EMPTY || type == VT_NULL || kind % 2 == 0) {
        V_VT(&passed_) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&passed_) = base_.get();
        description_ = "byref variant " + description_;
        return;
    }
    V_VT(&passed_) = VT_BYREF | type;
    if (type == VT_DECIMAL)
        V_DECIMALREF(&passed_) = &V_DECIMAL(base_.get());
    else
        V_BYREF(&passed_) = &V_UI1(base_.get());  // every other member starts at the same place
    description_ = "byref " + description_;
}

std::size_t HostileValue::KindCount() {
    return Kinds().size();
}

void CreateSharedObjects() {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = LoadIconW(nullptr, IDI_APPLICATION);
    g_icon = Picture(&desc, FALSE);
    g_smallBitmap = BitmapPicture(16, 16);
    g_bigBitmap = BitmapPicture(300, 20);
    g_empty = Picture(nullptr, TRUE);
    g_metafile = MetafilePicture();
}

void ReleaseSharedObjects() {
    g_icon.Reset();
    g_smallBitmap.Reset();
    g_bigBitmap.Reset();
    g_empty.Reset();
    g_metafile.Reset();
}

ForeignObject& Foreign() {
    return g_foreign;
}

ComPtr<IPictureDisp> ApplicationIconPicture() {
    return g_icon;
}

std::string Describe(const VARIANT& value) {
    char text[96];
    const VARTYPE type = V_VT(&value);
    if (type == VT_BSTR)
        std::snprintf(text, sizeof(text), "bstr(%u)", SysStringLen(V_BSTR(&value)));
    else if (type == VT_I4)
        std::snprintf(text, sizeof(text), "i4 %ld", static_cast<long>(V_I4(&value)));
    else if (type == VT_I2)
        std::snprintf(text, sizeof(text), "i2 %d", V_I2(&value));
    else if (type == VT_R8 || type == VT_DATE)
        std::snprintf(text, sizeof(text), "%s %.17g", type == VT_R8 ? "r8" : "date", V_R8(&value));
    else
        std::snprintf(text, sizeof(text), "vt %#x", type);
    return text;
}

}  // namespace cadencer_fuzz
