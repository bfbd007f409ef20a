#pragma once
// Extension lists as OpenGL and GLX give them: names separated by spaces.

#include <string_view>

namespace vexaframe {

// Whether the list names the extension as a whole word, not only as the start of a longer name.
inline bool ListsExtension(const char* list, std::string_view name) {
    if (list == nullptr || name.empty()) return false;
    const std::string_view names(list);
    for (std::size_t at = names.find(name); at != std::string_view::npos;
         at = names.find(name, at + 1)) {
        const std::size_t end = at + name.size();
        if ((at == 0 || names[at - 1] == ' ') && (end == names.size() || names[end] == ' '))
            return true;
    }
    return false;
}

}  // namespace vexaframe
