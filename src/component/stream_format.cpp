// Encoding and decoding of the control's binary stream form.
#include "component/stream_format.h"

#include <olectl.h>

#include <cmath>
#include <cstring>

#include "component/com_picture.h"
#include "control/cadencer_core.h"

namespace cadencer::com {

static_assert(kMaxStreamStringUnits >= control::kMaxTextLength, "the stream holds every text a let takes");

namespace {

constexpr BYTE kMagic[4] = {'C', 'D', 'N', 'C'};
constexpr std::uint16_t kVersion = 1;
// What a malformed stream reports to the container.
constexpr HRESULT kBadFormat = CTL_E_INVALIDFILEFORMAT;

enum Tag : BYTE { TagEmpty, TagBool, TagI16, TagI32, TagDouble, TagDate, TagString, TagPicture };

class Writer {
public:
    explicit Writer(std::vector<BYTE>& out) : out_(out) {}
    void U8(BYTE v) { out_.push_back(v); }
    template <class T>
    void Raw(T v) {
        BYTE b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));  // the targets are little-endian
        out_.insert(out_.end(), b, b + sizeof(T));
    }
    void Bytes(const BYTE* p, std::size_t n) { out_.insert(out_.end(), p, p + n); }

private:
    std::vector<BYTE>& out_;
};

class Reader {
public:
    Reader(const BYTE* p, std::size_t n) : p_(p), n_(n) {}
    bool U8(BYTE& v) { return Raw(v); }
    template <class T>
    bool Raw(T& v) {
        if (n_ - pos_ < sizeof(T)) return false;
        std::memcpy(&v, p_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool Take(std::size_t n, const BYTE*& at) {
        if (n_ - pos_ < n) return false;
        at = p_ + pos_;
        pos_ += n;
        return true;
    }
    bool AtEnd() const { return pos_ == n_; }

private:
    const BYTE* p_;
    std::size_t n_;
    std::size_t pos_ = 0;
};

int KeyIndex(std::u16string_view key) {
    for (std::size_t i = 0; i < kStreamKeys.size(); ++i)
        if (KeysEqualIgnoringCase(kStreamKeys[i], key)) return static_cast<int>(i);
    return -1;
}

HRESULT EncodeValue(Writer& w, const Variant& v) {
    switch (v.Type()) {
        case VariantType::Empty:
            w.U8(TagEmpty);
            return S_OK;
        case VariantType::Bool:
            w.U8(TagBool);
            w.U8(v.AsBool() ? 1 : 0);
            return S_OK;
        case VariantType::I16:
            w.U8(TagI16);
            w.Raw(v.AsI16());
            return S_OK;
        case VariantType::I32:
            w.U8(TagI32);
            w.Raw(v.AsI32());
            return S_OK;
        case VariantType::Double:
            w.U8(TagDouble);
            w.Raw(v.AsDouble());
            return S_OK;
        case VariantType::Date:
            w.U8(TagDate);
            w.Raw(v.AsDate());
            return S_OK;
        case VariantType::String: {
            if (v.AsString().size() > kMaxStreamStringUnits) return E_INVALIDARG;
            w.U8(TagString);
            w.Raw(static_cast<std::uint32_t>(v.AsString().size()));
            for (char16_t c : v.AsString()) w.Raw(static_cast<std::uint16_t>(c));
            return S_OK;
        }
        case VariantType::Object: {
            std::vector<BYTE> picture;
            if (v.AsObject()) {
                const HRESULT hr = SavePictureBytes(v.AsObject(), &picture);
                if (FAILED(hr)) return hr;
            }
            w.U8(TagPicture);
            w.Raw(static_cast<std::uint32_t>(picture.size()));
            w.Bytes(picture.data(), picture.size());
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT DecodeValue(Reader& r, Variant* out) {
    BYTE tag = 0;
    if (!r.U8(tag)) return kBadFormat;
    switch (tag) {
        case TagEmpty:
            *out = Variant();
            return S_OK;
        case TagBool: {
            BYTE b = 0;
            if (!r.U8(b) || b > 1) return kBadFormat;
            *out = Variant::Bool(b != 0);
            return S_OK;
        }
        case TagI16: {
            std::int16_t v = 0;
            if (!r.Raw(v)) return kBadFormat;
            *out = Variant::I16(v);
            return S_OK;
        }
        case TagI32: {
            std::int32_t v = 0;
            if (!r.Raw(v)) return kBadFormat;
            *out = Variant::I32(v);
            return S_OK;
        }
        case TagDouble: {
            double v = 0;
            if (!r.Raw(v) || !std::isfinite(v)) return kBadFormat;
            *out = Variant::Double(v);
            return S_OK;
        }
        case TagDate: {
            double v = 0;
            if (!r.Raw(v) || !IsValidOleDate(v)) return kBadFormat;
            *out = Variant::Date(v);
            return S_OK;
        }
        case TagString: {
            std::uint32_t count = 0;
            const BYTE* at = nullptr;
            if (!r.Raw(count) || count > kMaxStreamStringUnits || !r.Take(std::size_t{count} * 2, at))
                return kBadFormat;
            std::u16string text(count, u'\0');
            for (std::uint32_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(at[2 * i] | (at[2 * i + 1] << 8));
            *out = Variant::String(std::move(text));
            return S_OK;
        }
        case TagPicture: {
            std::uint32_t count = 0;
            const BYTE* at = nullptr;
            if (!r.Raw(count) || count > kMaxPictureBytes || !r.Take(count, at)) return kBadFormat;
            if (count == 0) {
                *out = Variant::Object(nullptr);
                return S_OK;
            }
            ObjectRef picture;
            if (FAILED(LoadPictureBytes(at, count, &picture))) return kBadFormat;
            *out = Variant::Object(std::move(picture));
            return S_OK;
        }
        default:
            return kBadFormat;
    }
}

}  // namespace

HRESULT EncodeStream(const MemoryPropertyBag& bag, std::vector<BYTE>* bytes) {
    if (!bytes) return E_POINTER;
    bytes->clear();
    if (bag.Entries().size() > kStreamKeys.size()) return E_INVALIDARG;
    std::vector<BYTE> payload;
    Writer w(payload);
    for (const auto& [key, value] : bag.Entries()) {
        const int index = KeyIndex(key);
        if (index < 0) return E_INVALIDARG;
        w.U8(static_cast<BYTE>(index));
        const HRESULT hr = EncodeValue(w, value);
        if (FAILED(hr)) return hr;
    }
    if (payload.size() > kMaxStreamPayload) return E_OUTOFMEMORY;
    Writer h(*bytes);
    h.Bytes(kMagic, sizeof(kMagic));
    h.Raw(kVersion);
    h.Raw(static_cast<std::uint16_t>(bag.Entries().size()));
    h.Raw(static_cast<std::uint32_t>(payload.size()));
    h.Bytes(payload.data(), payload.size());
    return S_OK;
}

HRESULT DecodeStream(const BYTE* data, std::size_t size, MemoryPropertyBag* bag) {
    if (!bag || (!data && size)) return E_POINTER;
    Reader r(data, size);
    const BYTE* magic = nullptr;
    std::uint16_t version = 0, count = 0;
    std::uint32_t payload = 0;
    if (!r.Take(sizeof(kMagic), magic) || std::memcmp(magic, kMagic, sizeof(kMagic)) != 0 || !r.Raw(version) ||
        version != kVersion || !r.Raw(count) || count > kStreamKeys.size() || !r.Raw(payload) ||
        payload != size - kStreamHeaderBytes)
        return kBadFormat;
    MemoryPropertyBag parsed;
    bool seen[kStreamKeys.size()] = {};
    for (std::uint16_t i = 0; i < count; ++i) {
        BYTE index = 0;
        if (!r.U8(index) || index >= kStreamKeys.size() || seen[index]) return kBadFormat;
        seen[index] = true;
        Variant value;
        const HRESULT hr = DecodeValue(r, &value);
        if (FAILED(hr)) return hr;
        parsed.Put(kStreamKeys[index], value);
    }
    if (!r.AtEnd()) return kBadFormat;
    *bag = std::move(parsed);
    return S_OK;
}

HRESULT ReadStream(IStream* stream, MemoryPropertyBag* bag) {
    if (!stream || !bag) return E_POINTER;
    std::vector<BYTE> bytes(kStreamHeaderBytes);
    ULONG read = 0;
    HRESULT hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    if (FAILED(hr)) return hr;
    if (read != kStreamHeaderBytes) return kBadFormat;
    std::uint32_t payload = 0;
    std::memcpy(&payload, bytes.data() + 8, sizeof(payload));
    if (payload > kMaxStreamPayload) return kBadFormat;
    bytes.resize(kStreamHeaderBytes + payload);
    // A stream may hand over fewer bytes per call than asked for.
    std::size_t have = kStreamHeaderBytes;
    while (have < bytes.size()) {
        read = 0;
        hr = stream->Read(bytes.data() + have, static_cast<ULONG>(bytes.size() - have), &read);
        if (FAILED(hr)) return hr;
        if (read == 0) return kBadFormat;
        have += read;
    }
    return DecodeStream(bytes.data(), bytes.size(), bag);
}

HRESULT WriteStream(IStream* stream, const std::vector<BYTE>& bytes) {
    if (!stream) return E_POINTER;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ULONG written = 0;
        const HRESULT hr = stream->Write(bytes.data() + done, static_cast<ULONG>(bytes.size() - done), &written);
        if (FAILED(hr)) return hr;
        if (written == 0) return STG_E_WRITEFAULT;
        done += written;
    }
    return S_OK;
}

}  // namespace cadencer::com
