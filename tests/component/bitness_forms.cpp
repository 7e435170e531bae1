// The control's stored forms for the cross-bitness tests.
#include "bitness_forms.h"

#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "win/scoped.h"

namespace bitness_test {

ComPtr<_Cadencer> CreateFromOcx(const std::wstring& ocxPath) {
    HMODULE ocx = LoadLibraryW(ocxPath.c_str());
    if (!ocx) return nullptr;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!get || FAILED(get(CLSID_Cadencer, IID_PPV_ARGS(&factory)))) return nullptr;
    ComPtr<_Cadencer> control;
    factory->CreateInstance(nullptr, IID_PPV_ARGS(&control));
    ComPtr<IPersistStreamInit> persist;
    if (control && SUCCEEDED(control.As(&persist)) && FAILED(persist->InitNew())) return nullptr;
    return control;
}

namespace {

HRESULT PutText(_Cadencer* control, HRESULT (STDMETHODCALLTYPE _Cadencer::*put)(BSTR), const wchar_t* text) {
    return (control->*put)(cadencer::win::ScopedBstr(text).get());
}

// 2031-03-04 and 2031-12-24 12:00 as OLE dates.
constexpr DATE kStartDate = 47911.0;
constexpr DATE kEndDate = 48206.5;

}  // namespace

HRESULT SetFixedValues(_Cadencer* c) {
    Occurs monthly = Monthly;
    const HRESULT results[] = {
        c->put_Enabled(VARIANT_FALSE),
        PutText(c, &_Cadencer::put_Title, L"Nightly \x00e9t\x00e9 \x4e2d"),
        c->put_Modal(VARIANT_TRUE),
        c->put_ShowHelpButton(VARIANT_TRUE),
        PutText(c, &_Cadencer::put_CaptionOKButtonBefore, L"Save"),
        PutText(c, &_Cadencer::put_CaptionOKButtonAfter, L"Save!"),
        PutText(c, &_Cadencer::put_CaptionCloseButtonBefore, L"Done"),
        PutText(c, &_Cadencer::put_CaptionCloseButtonAfter, L"Abort"),
        PutText(c, &_Cadencer::put_CaptionHelpButton, L"Hints"),
        c->put_StartUpPosition(Manual),
        c->put_StartUpLeft(-1440),
        c->put_StartUpTop(70000),
        c->put_OccursOption(&monthly),
        c->put_EveryInterval(7),
        c->put_EveryFrequency(Minutes),
        c->put_EveryHourMin(2),
        c->put_EveryHourMax(20),
        c->put_EveryHourIncrement(3),
        c->put_EveryMinuteMin(10),
        c->put_EveryMinuteMax(900),
        c->put_EveryMinuteIncrement(10),
        c->put_StartHour(7),
        c->put_StartMinute(45),
        c->put_StartDate(kStartDate),
        c->put_EndDate(kEndDate),
        c->put_UseEndDate(VARIANT_TRUE),
        PutText(c, &_Cadencer::put_SelectionsWeekly, L"0111110"),
        PutText(c, &_Cadencer::put_SelectionsMonthly, L"1000000000000001000000000000001"),
    };
    for (HRESULT hr : results)
        if (FAILED(hr)) return hr;
    return S_OK;
}

namespace {

Bytes StreamContents(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
    Bytes bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

ComPtr<IStream> StreamOf(const Bytes& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

ComPtr<IStorage> NewStorage() {
    ComPtr<ILockBytes> lockBytes;
    ComPtr<IStorage> storage;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes))) return nullptr;
    StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    return storage;
}

void Append(Bytes& out, const BYTE* data, std::size_t size) {
    out.insert(out.end(), data, data + size);
}

}  // namespace

HRESULT SaveStream(_Cadencer* control, Bytes* form) {
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IStream> stream = StreamOf({});
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    if (SUCCEEDED(hr)) hr = persist->Save(stream.Get(), TRUE);
    if (SUCCEEDED(hr)) *form = StreamContents(stream.Get());
    return hr;
}

HRESULT LoadStream(_Cadencer* control, const Bytes& form) {
    ComPtr<IPersistStreamInit> persist;
    const HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    return FAILED(hr) ? hr : persist->Load(StreamOf(form).Get());
}

HRESULT SaveStorage(_Cadencer* control, Bytes* form) {
    ComPtr<IPersistStorage> persist;
    ComPtr<IStorage> storage = NewStorage();
    if (!storage) return E_FAIL;
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    if (SUCCEEDED(hr)) hr = persist->Save(storage.Get(), FALSE);
    if (SUCCEEDED(hr)) hr = persist->SaveCompleted(nullptr);
    if (FAILED(hr)) return hr;
    std::map<std::wstring, Bytes> streams;
    ComPtr<IEnumSTATSTG> elements;
    hr = storage->EnumElements(0, nullptr, 0, &elements);
    if (FAILED(hr)) return hr;
    STATSTG element{};
    while (elements->Next(1, &element, nullptr) == S_OK) {
        ComPtr<IStream> stream;
        if (element.type != STGTY_STREAM)
            hr = E_UNEXPECTED;
        else
            hr = storage->OpenStream(element.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
        if (SUCCEEDED(hr)) streams[element.pwcsName] = StreamContents(stream.Get());
        CoTaskMemFree(element.pwcsName);
        if (FAILED(hr)) return hr;
    }
    form->clear();
    for (const auto& [name, bytes] : streams) {
        Append(*form, reinterpret_cast<const BYTE*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
        const auto size = static_cast<UINT32>(bytes.size());
        Append(*form, reinterpret_cast<const BYTE*>(&size), sizeof(size));
        Append(*form, bytes.data(), bytes.size());
    }
    return S_OK;
}

HRESULT LoadStorage(_Cadencer* control, const Bytes& form) {
    ComPtr<IStorage> storage = NewStorage();
    if (!storage) return E_FAIL;
    for (std::size_t at = 0; at < form.size();) {
        std::wstring name;
        for (;; at += sizeof(wchar_t)) {
            if (at + sizeof(wchar_t) > form.size()) return E_INVALIDARG;
            wchar_t c;
            std::memcpy(&c, &form[at], sizeof(c));
            if (!c) break;
            name += c;
        }
        at += sizeof(wchar_t);
        UINT32 size = 0;
        if (at + sizeof(size) > form.size()) return E_INVALIDARG;
        std::memcpy(&size, &form[at], sizeof(size));
        at += sizeof(size);
        if (size > form.size() - at) return E_INVALIDARG;
        ComPtr<IStream> stream;
        HRESULT hr =
            storage->CreateStream(name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
        ULONG written = 0;
        if (SUCCEEDED(hr)) hr = stream->Write(&form[at], size, &written);
        if (FAILED(hr)) return hr;
        at += size;
    }
    ComPtr<IPersistStorage> persist;
    const HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    return FAILED(hr) ? hr : persist->Load(storage.Get());
}

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

bool ReadFileBytes(const std::wstring& path, Bytes* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
    DWORD read = 0;
    if (ok) {
        bytes->resize(static_cast<std::size_t>(size.QuadPart));
        ok = ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) && read == bytes->size();
    }
    CloseHandle(file);
    return ok;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

}  // namespace bitness_test
