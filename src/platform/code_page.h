#pragma once
// The system's ANSI code page: the text encoding of settings values written by the platform.

#include <optional>
#include <string>
#include <string_view>

namespace vexaframe {

class CodePage {
public:
    virtual ~CodePage() = default;
    // The text in the code page, or nothing when some character has no exact counterpart.
    virtual std::optional<std::string> FromUtf8(std::string_view utf8) const = 0;
    virtual std::string ToUtf8(std::string_view encoded) const = 0;
};

}  // namespace vexaframe
