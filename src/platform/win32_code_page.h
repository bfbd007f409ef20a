#pragma once
// The system's ANSI code page (932 on a Japanese system).

#include "platform/code_page.h"

namespace vexaframe {

class Win32CodePage : public CodePage {
public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override;
    std::string ToUtf8(std::string_view encoded) const override;
};

}  // namespace vexaframe
