// The control's saved state in the three forms containers use: a property bag (the
// persisted rows' named values), a stream and a storage (both the binary form of stream_format.h).
// Loading and saving go through the core; this file adapts the containers' objects and
// keeps the dirty flag. A loaded or newly initialised control is clean; every property
// change after that makes it dirty until a save that clears it.
#include <vector>

#include "component/cadencer_object.h"
#include "component/stream_format.h"
#include "component/variant_bridge.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

constexpr wchar_t kStorageStream[] = L"Contents";

}  // namespace

HRESULT CadencerControl::ApplyInitNew() {
    initialised_ = true;
    Quietly([&] { core_->InitNew(); });
    dirty_ = false;
    StartClockIfRunMode();
    return S_OK;
}

HRESULT CadencerControl::LoadFromBag(PropertyBag& bag, const ComPropertyBag* containerBag) {
    initialised_ = true;
    control::PersistStatus status;
    Quietly([&] { status = core_->Load(bag); });
    dirty_ = false;
    if (status.ok) return S_OK;
    if (trace_) trace_->Line(L"load stopped at \"%ls\"", reinterpret_cast<const wchar_t*>(status.key.c_str()));
    // The container's own failure code when its bag failed, else the value's.
    if (status.error == ValueError::Storage && containerBag && FAILED(containerBag->LastBagError()))
        return containerBag->LastBagError();
    return HResultOf(status.error);
}

HRESULT CadencerControl::SaveToBytes(std::vector<BYTE>* bytes) {
    MemoryPropertyBag bag;
    const control::PersistStatus status = Core().Save(bag);
    if (!status.ok) return HResultOf(status.error);
    return EncodeStream(bag, bytes);
}

STDMETHODIMP CadencerControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Cadencer;
    return S_OK;
}

STDMETHODIMP CadencerControl::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

// ---- IPersistStreamInit (InitNew also serves IPersistPropertyBag)

STDMETHODIMP CadencerControl::InitNew() {
    return ApplyInitNew();
}

STDMETHODIMP CadencerControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    // The whole stream is checked before a single value reaches the control.
    MemoryPropertyBag bag;
    const HRESULT hr = ReadStream(stream, &bag);
    if (FAILED(hr)) return hr;
    // A value the format holds may still not convert to its property's type (a changed key
    // index puts a text under a Boolean); unlike a bag's reading, that refuses the whole stream.
    const control::PersistStatus trial = core_->CheckLoad(bag);
    if (!trial.ok) return HResultOf(trial.error);
    return LoadFromBag(bag, nullptr);
}

STDMETHODIMP CadencerControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    std::vector<BYTE> bytes;
    HRESULT hr = SaveToBytes(&bytes);
    if (SUCCEEDED(hr)) hr = WriteStream(stream, bytes);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP CadencerControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    std::vector<BYTE> bytes;
    const HRESULT hr = SaveToBytes(&bytes);
    if (FAILED(hr)) return hr;
    size->QuadPart = bytes.size();
    return S_OK;
}

// ---- IPersistPropertyBag

STDMETHODIMP CadencerControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    ComPropertyBag adapter(bag, log);
    return LoadFromBag(adapter, &adapter);
}

STDMETHODIMP CadencerControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    ComPropertyBag adapter(bag, nullptr);
    const control::PersistStatus status = Core().Save(adapter);
    if (!status.ok) return FAILED(adapter.LastBagError()) ? adapter.LastBagError() : HResultOf(status.error);
    if (clearDirty) dirty_ = false;
    return S_OK;
}

// ---- IPersistStorage: the binary form in one stream of the container's storage

STDMETHODIMP CadencerControl::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return ApplyInitNew();
}

STDMETHODIMP CadencerControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(kStorageStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(hr)) return hr;
    return Load(stream.Get());
}

STDMETHODIMP CadencerControl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    std::vector<BYTE> bytes;
    HRESULT hr = SaveToBytes(&bytes);
    if (FAILED(hr)) return hr;
    ComPtr<IStream> stream;
    hr = storage->CreateStream(kStorageStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = WriteStream(stream.Get(), bytes);
    if (FAILED(hr)) return hr;
    ULARGE_INTEGER end;
    end.QuadPart = bytes.size();
    stream->SetSize(end);
    dirty_ = false;
    return S_OK;
}

// The control keeps no storage between calls, so there is nothing to let go of or reopen.
STDMETHODIMP CadencerControl::SaveCompleted(IStorage*) {
    return S_OK;
}
STDMETHODIMP CadencerControl::HandsOffStorage() {
    return S_OK;
}

}  // namespace cadencer::com
