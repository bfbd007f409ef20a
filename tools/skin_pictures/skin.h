#pragma once
// The skin's files, named as the resource script expects them.

#include <string>
#include <vector>

namespace vexaframe::skin {

struct SkinFile {
    std::string name;
    std::string bytes;
};

std::vector<SkinFile> DrawSkin();

}  // namespace vexaframe::skin
