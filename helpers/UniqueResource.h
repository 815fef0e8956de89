#pragma once

#include <utility>

namespace OM::Helpers
{

// Sole owner of one handle of the kind that Traits describes: the handle type, its invalid value and the
// call that releases it. Move-only, so that every handle has exactly one owner that closes it.
template <typename Traits>
class UniqueResource
{
public:
    using Handle = typename Traits::Handle;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Handle handle) noexcept : handle(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(UniqueResource&& other) noexcept : handle(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Handle get() const noexcept { return handle; }
    bool valid() const noexcept { return handle != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    Handle release() noexcept { return std::exchange(handle, Traits::invalid()); }

    void reset(Handle replacement = Traits::invalid()) noexcept
    {
        const Handle old = std::exchange(handle, replacement);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    Handle handle = Traits::invalid();
};

} // namespace OM::Helpers
