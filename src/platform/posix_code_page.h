#pragma once
// On POSIX systems file names and settings are UTF-8 text: every character has its bytes.

#include "platform/code_page.h"

namespace vexaframe {

class PosixCodePage : public CodePage {
public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override {
        return std::string(utf8);
    }
    std::string ToUtf8(std::string_view encoded) const override { return std::string(encoded); }
};

}  // namespace vexaframe
