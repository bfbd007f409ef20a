#pragma once
// Owners of POSIX handles: one for each kind, each giving its handle back the one right way
// when it goes, whichever way the code leaves.

#include <unistd.h>

#include <utility>

namespace vexaframe {

// A file descriptor: negative when it could not be opened.
class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (Valid()) close(descriptor_);
    }
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            if (Valid()) close(descriptor_);
            descriptor_ = std::exchange(other.descriptor_, -1);
        }
        return *this;
    }

    bool Valid() const { return descriptor_ >= 0; }
    int Get() const { return descriptor_; }
    // A written file's last error can show only here.
    bool Close() { return close(std::exchange(descriptor_, -1)) == 0; }

private:
    int descriptor_;
};

}  // namespace vexaframe
