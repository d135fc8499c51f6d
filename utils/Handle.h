#pragma once
// One move-only owner for every kind of system handle. A traits type names the invalid value
// and the call that closes it.
#include <windows.h>
#include <utility>

template <typename Traits>
class TOwnedHandle {
public:
    using value_type = typename Traits::value_type;

    TOwnedHandle() noexcept : h_(Traits::Invalid()) {}
    explicit TOwnedHandle(value_type h) noexcept : h_(h) {}
    ~TOwnedHandle() { Reset(); }
    TOwnedHandle(TOwnedHandle&& o) noexcept : h_(o.Release()) {}
    TOwnedHandle& operator=(TOwnedHandle&& o) noexcept
    {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    value_type Get() const noexcept { return h_; }
    bool Valid() const noexcept { return h_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }
    value_type Release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void Reset(value_type h = Traits::Invalid()) noexcept
    {
        if (Valid()) Traits::Close(h_);
        h_ = h;
    }

private:
    value_type h_;
};

struct TFileHandleTraits {
    using value_type = HANDLE;
    static value_type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(value_type h) noexcept { CloseHandle(h); }
};
struct TKernelHandleTraits {  // handles whose failure value is null (processes, threads, events)
    using value_type = HANDLE;
    static value_type Invalid() noexcept { return nullptr; }
    static void Close(value_type h) noexcept { CloseHandle(h); }
};
struct TFindHandleTraits {
    using value_type = HANDLE;
    static value_type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(value_type h) noexcept { FindClose(h); }
};
struct TRegKeyTraits {
    using value_type = HKEY;
    static value_type Invalid() noexcept { return nullptr; }
    static void Close(value_type h) noexcept { RegCloseKey(h); }
};
struct TGdiObjectTraits {
    using value_type = HGDIOBJ;
    static value_type Invalid() noexcept { return nullptr; }
    static void Close(value_type h) noexcept { DeleteObject(h); }
};

using TFileHandle = TOwnedHandle<TFileHandleTraits>;
using TKernelHandle = TOwnedHandle<TKernelHandleTraits>;
using TFindHandle = TOwnedHandle<TFindHandleTraits>;
using TRegKey = TOwnedHandle<TRegKeyTraits>;
using TGdiObject = TOwnedHandle<TGdiObjectTraits>;
