// "A handler may destroy me": an object that calls out (to an event sink, a host, a nested
// message loop) holds itself for the length of the call, so that a callee that lets go of
// it (releases the control, destroys the window) leaves it alive until the outermost
// caller returns, and destruction happens there, on the way out.
//
// The holding follows how the object is owned:
//  - reference counted (COM objects, a window's state that the window holds one reference
//    of): AddRef on entry, Release on the way out;
//  - owned by std::shared_ptr (enable_shared_from_this): a copy of the owner for the call.
#pragma once

#include <memory>
#include <type_traits>

namespace cadencer::win {

struct ReferenceCountPolicy {
    template <typename T>
    using Holder = T*;
    template <typename T>
    static T* Hold(T& object) {
        object.AddRef();
        return &object;
    }
    template <typename T>
    static void Let(T* object) {
        object->Release();
    }
};

struct SharedOwnerPolicy {
    template <typename T>
    using Holder = std::shared_ptr<T>;
    template <typename T>
    static std::shared_ptr<T> Hold(T& object) {
        return object.shared_from_this();
    }
    // The copy goes with the holder.
    template <typename T>
    static void Let(const std::shared_ptr<T>&) {}
};

template <typename T>
using KeepAlivePolicyFor = std::conditional_t < requires(T& t) {
    t.shared_from_this();
}
, SharedOwnerPolicy, ReferenceCountPolicy > ;

template <typename T, typename Policy = KeepAlivePolicyFor<T>>
class [[nodiscard]] KeepAlive {
public:
    explicit KeepAlive(T& object) : held_(Policy::Hold(object)) {}
    ~KeepAlive() { Policy::Let(held_); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    typename Policy::template Holder<T> held_;
};

}  // namespace cadencer::win
