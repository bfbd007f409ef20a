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
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    bool Valid() const { return descriptor_ >= 0; }
    int Get() const { return descriptor_; }
    // A written file's last error can show only here.
    bool Close() { return close(std::exchange(descriptor_, -1)) == 0; }

private:
    int descriptor_;
};

}  // namespace vexaframe
