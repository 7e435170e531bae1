// Connection points of the control: the event interface __Cadencer and
// IPropertyNotifySink. Each point lives inside the control and shares its reference
// count, so a point handed to a container keeps the control alive. Sinks are kept in
// advise order; firing works on a snapshot, so a sink may Unadvise (or release the
// control) from inside its own handler.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

namespace cadencer::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    // owner supplies the reference count and is the container the point reports.
    ConnectionPoint(IConnectionPointContainer& owner, REFIID iid) : owner_(owner), iid_(iid) {}
    ~ConnectionPoint() = default;
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    REFIID Iid() const { return iid_; }
    // The sinks at this moment, as the interface they were advised for.
    std::vector<Microsoft::WRL::ComPtr<IUnknown>> Sinks() const;
    // Drops every sink (the control is going away).
    void Clear();

private:
    struct Connection {
        DWORD cookie;
        Microsoft::WRL::ComPtr<IUnknown> sink;
    };
    IConnectionPointContainer& owner_;
    IID iid_;
    std::vector<Connection> connections_;
    DWORD nextCookie_ = 1;
};

// An enumerator over a fixed list of connection points (each holds the control).
HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

}  // namespace cadencer::com
