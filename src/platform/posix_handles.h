#pragma once
// Owners of the system's handles on POSIX: one for each kind, each giving its handle back the
// one right way when it goes, whichever way the code leaves.

#include <locale.h>
#include <unistd.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace vexaframe {

// An open file descriptor.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (Valid()) close(descriptor_);
    }
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(descriptor_, other.descriptor_);
        return *this;
    }

    bool Valid() const { return descriptor_ >= 0; }
    int Get() const { return descriptor_; }
    // A written file's last error can show only here.
    bool Close() { return close(std::exchange(descriptor_, -1)) == 0; }

private:
    int descriptor_ = -1;
};

struct LocaleFreer {
    void operator()(locale_t locale) const { freelocale(locale); }
};
// A locale made with newlocale; null when it could not be made.
using OwnedLocale = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFreer>;

}  // namespace vexaframe
