#pragma once
// A code page like a western system's: it spells ASCII only.

#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace vexaframe {

class AsciiCodePage : public CodePage {
public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override {
        for (char c : utf8)
            if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
        return std::string(utf8);
    }
    std::string ToUtf8(std::string_view encoded) const override { return std::string(encoded); }
};

}  // namespace vexaframe
