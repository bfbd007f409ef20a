#pragma once
// The code page of a system whose text is UTF-8, as Linux's is: every text spells as itself.

#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace vexaframe {

class Utf8CodePage final : public CodePage {
public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override {
        return std::string(utf8);
    }
    std::string ToUtf8(std::string_view encoded) const override { return std::string(encoded); }
};

}  // namespace vexaframe
