#pragma once

#include <unistd.h>

#include <utility>

namespace Simulator
{

// Sole owner of one file descriptor.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor(descriptor) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor(std::exchange(other.descriptor, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.descriptor, -1));
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor; }
    explicit operator bool() const { return descriptor >= 0; }
    void reset(int replacement = -1)
    {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = replacement;
    }

private:
    int descriptor = -1;
};

} // namespace Simulator
