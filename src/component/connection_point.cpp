// Connection points and their enumerators.
#include "component/connection_point.h"

#include <olectl.h>

#include <new>

#include "component/module.h"
#include "win/com_object.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

// A snapshot enumerator: Item is IConnectionPoint* or CONNECTDATA. Each copy holds
// its own references, so the enumerator stays valid whatever the control does later.
template <class Interface, class Item, const IID& kIid>
class SnapshotEnumerator final : public win::ComObject<SnapshotEnumerator<Interface, Item, kIid>, Interface> {
public:
    using Interfaces = win::InterfaceTable<win::Answer<IID_IUnknown, Interface>, win::Answer<kIid, Interface>>;

    explicit SnapshotEnumerator(std::vector<Item> items) : items_(std::move(items)) {
        for (auto& item : items_) AddRefItem(item);
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        while (n < count && position_ < items_.size()) {
            out[n] = items_[position_++];
            AddRefItem(out[n]);
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const std::size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        auto* copy = new (std::nothrow) SnapshotEnumerator(items_);
        if (!copy) return E_OUTOFMEMORY;
        copy->position_ = position_;
        *out = copy;
        return S_OK;
    }

private:
    ~SnapshotEnumerator() {
        for (auto& item : items_) ReleaseItem(item);
    }
    static void AddRefItem(IConnectionPoint* p) { p->AddRef(); }
    static void ReleaseItem(IConnectionPoint* p) { p->Release(); }
    static void AddRefItem(CONNECTDATA& d) { d.pUnk->AddRef(); }
    static void ReleaseItem(CONNECTDATA& d) { d.pUnk->Release(); }

    std::vector<Item> items_;
    std::size_t position_ = 0;
};

using ConnectionPointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;

}  // namespace

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    using Table = win::InterfaceTable<win::Answer<IID_IUnknown, IConnectionPoint>,
                                      win::Answer<IID_IConnectionPoint, IConnectionPoint>>;
    *ppv = Table::Find(this, iid);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IUnknown> typed;
    // An event sink may implement only IDispatch (scripts and many hosts do).
    if (FAILED(sink->QueryInterface(iid_, &typed))) {
        if (iid_ == IID_IPropertyNotifySink || FAILED(sink->QueryInterface(IID_IDispatch, &typed)))
            return CONNECT_E_CANNOTCONNECT;
    }
    if (nextCookie_ == 0) ++nextCookie_;  // wrapped: 0 is never a valid cookie
    connections_.push_back({nextCookie_, std::move(typed)});
    *cookie = nextCookie_++;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie == cookie) {
            // Release after erasing: the sink's release may reenter this point.
            ComPtr<IUnknown> sink = std::move(it->sink);
            connections_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<CONNECTDATA> items;
    items.reserve(connections_.size());
    for (const auto& c : connections_) items.push_back({c.sink.Get(), c.cookie});
    auto* e = new (std::nothrow) ConnectionEnumerator(std::move(items));
    if (!e) return E_OUTOFMEMORY;
    *out = e;
    return S_OK;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> sinks;
    sinks.reserve(connections_.size());
    for (const auto& c : connections_) sinks.push_back(c.sink);
    return sinks;
}

void ConnectionPoint::Clear() {
    std::vector<Connection> old;
    old.swap(connections_);
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* e = new (std::nothrow) ConnectionPointEnumerator(points);
    if (!e) return E_OUTOFMEMORY;
    *out = e;
    return S_OK;
}

}  // namespace cadencer::com
