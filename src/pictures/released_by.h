#pragma once
// The owner of a C library's handle: a std::unique_ptr that hands it back through the library's
// own function.

#include <memory>

namespace vexaframe {

template <auto Release>
struct ReleasedBy {
    template <typename T>
    void operator()(T* owned) const {
        Release(owned);
    }
};

template <typename T, auto Release>
using LibraryOwned = std::unique_ptr<T, ReleasedBy<Release>>;

}  // namespace vexaframe
