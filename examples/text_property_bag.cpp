// The demo host's text-file property bag.
#include "text_property_bag.h"

#include "schedule_words.h"

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>

#include <wrl/client.h>

namespace demo {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring Escape(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) {
        if (c == L'\\')
            out += L"\\\\";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\t')
            out += L"\\t";
        else if (c == L'\r')
            out += L"\\r";
        else
            out += c;
    }
    return out;
}

std::wstring Unescape(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size()) {
            const wchar_t n = s[++i];
            out += n == L'n' ? L'\n' : n == L't' ? L'\t' : n == L'r' ? L'\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The ISO form of a date ("2026-12-07T09:30:00"), locale-free.
std::wstring DateText(double d) {
    std::wstring text = DateTimeText(d);
    if (text.size() > 10) text[10] = L'T';
    return text;
}

bool ParseDate(const std::wstring& text, double& out) {
    SYSTEMTIME st{};
    unsigned y, mo, d, h, mi, s;
    if (swscanf(text.c_str(), L"%u-%u-%uT%u:%u:%u", &y, &mo, &d, &h, &mi, &s) != 6) return false;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    return SystemTimeToVariantTime(&st, &out) != FALSE;
}

std::wstring ObjectText(IUnknown* unk) {
    if (!unk) return L"";
    ComPtr<IPersistStream> persist;
    if (FAILED(unk->QueryInterface(IID_PPV_ARGS(&persist)))) return L"";
    std::wstring out;
    CLSID clsid{};
    ComPtr<IStream> stream;
    if (SUCCEEDED(persist->GetClassID(&clsid)) && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(persist->Save(stream.Get(), TRUE))) {
        HGLOBAL mem = nullptr;
        GetHGlobalFromStream(stream.Get(), &mem);
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        const auto* bytes = static_cast<const unsigned char*>(GlobalLock(mem));
        wchar_t guid[64];
        StringFromGUID2(clsid, guid, 64);
        out = guid;
        out += L":";
        for (ULONG i = 0; i < stat.cbSize.LowPart; ++i) {
            wchar_t hex[3];
            swprintf(hex, 3, L"%02x", bytes[i]);
            out += hex;
        }
        GlobalUnlock(mem);
    }
    return out;
}

IUnknown* ObjectFromText(const std::wstring& text) {
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos) return nullptr;
    CLSID clsid{};
    if (FAILED(CLSIDFromString(text.substr(0, colon).c_str(), &clsid))) return nullptr;
    std::vector<unsigned char> bytes;
    for (size_t i = colon + 1; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::wcstoul(text.substr(i, 2).c_str(), nullptr, 16)));
    ComPtr<IPersistStream> persist;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&persist)))) return nullptr;
    ComPtr<IStream> stream;
    ComPtr<IUnknown> result;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        ULONG written = 0;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        if (SUCCEEDED(persist->Load(stream.Get()))) persist.As(&result);
    }
    return result.Detach();  // the caller's VARIANT owns it
}

}  // namespace

TextPropertyBag::~TextPropertyBag() = default;

STDMETHODIMP TextPropertyBag::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

TextPropertyBag::Entry* TextPropertyBag::Find(LPCOLESTR name) {
    for (auto& e : entries_)
        if (_wcsicmp(e.key.c_str(), name) == 0) return &e;
    return nullptr;
}

STDMETHODIMP TextPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    Entry* e = Find(name);
    if (!e) return E_INVALIDARG;
    const VARTYPE wanted = value->vt;
    VariantInit(value);
    if (wanted == VT_EMPTY || wanted == e->value.type()) return VariantCopy(value, e->value.get());
    return VariantChangeTypeEx(value, e->value.get(), LOCALE_INVARIANT, 0, wanted);
}

STDMETHODIMP TextPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (!name || !value) return E_POINTER;
    Entry* e = Find(name);
    if (!e) {
        entries_.push_back({name, {}});
        e = &entries_.back();
    }
    e->value.reset();
    return VariantCopy(e->value.get(), value);
}

bool TextPropertyBag::SaveFile(const std::wstring& path) const {
    std::wstring text;
    for (const auto& e : entries_) {
        const VARIANT& v = *e.value.get();
        std::wstring type, body;
        switch (v.vt) {
            case VT_BOOL:
                type = L"bool";
                body = v.boolVal ? L"True" : L"False";
                break;
            case VT_I2:
                type = L"i2";
                body = std::to_wstring(v.iVal);
                break;
            case VT_I4:
                type = L"i4";
                body = std::to_wstring(v.lVal);
                break;
            case VT_R8: {
                type = L"r8";
                wchar_t b[64];
                swprintf(b, 64, L"%.17g", v.dblVal);
                body = b;
                break;
            }
            case VT_DATE:
                type = L"date";
                body = DateText(v.date);
                break;
            case VT_BSTR:
                type = L"str";
                body = Escape(v.bstrVal ? v.bstrVal : L"");
                break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                type = L"object";
                body = ObjectText(v.punkVal);
                break;
            default:
                continue;
        }
        text += Escape(e.key) + L"\t" + type + L"\t" + body + L"\n";
    }
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    std::ofstream out(path.c_str(), std::ios::binary);
    out << utf8;
    return static_cast<bool>(out);
}

bool TextPropertyBag::LoadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string utf8 = ss.str();
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), text.data(), chars);
    std::wistringstream lines(text);
    std::wstring line;
    while (std::getline(lines, line)) {
        const size_t t1 = line.find(L'\t'), t2 = line.find(L'\t', t1 + 1);
        if (t1 == std::wstring::npos || t2 == std::wstring::npos) continue;
        const std::wstring key = Unescape(line.substr(0, t1)), type = line.substr(t1 + 1, t2 - t1 - 1);
        const std::wstring body = line.substr(t2 + 1);
        cadencer::win::ScopedVariant v;
        if (type == L"bool") {
            v->vt = VT_BOOL;
            v->boolVal = body == L"True" ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (type == L"i2") {
            v->vt = VT_I2;
            v->iVal = static_cast<SHORT>(std::wcstol(body.c_str(), nullptr, 10));
        } else if (type == L"i4") {
            v->vt = VT_I4;
            v->lVal = std::wcstol(body.c_str(), nullptr, 10);
        } else if (type == L"r8") {
            v->vt = VT_R8;
            v->dblVal = std::wcstod(body.c_str(), nullptr);
        } else if (type == L"date") {
            v->vt = VT_DATE;
            if (!ParseDate(body, v->date)) continue;
        } else if (type == L"str") {
            v->vt = VT_BSTR;
            v->bstrVal = SysAllocString(Unescape(body).c_str());
        } else if (type == L"object") {
            v->vt = VT_UNKNOWN;
            v->punkVal = ObjectFromText(body);
            if (!v->punkVal) continue;
        } else
            continue;
        Write(key.c_str(), v.get());
    }
    return true;
}

}  // namespace demo
