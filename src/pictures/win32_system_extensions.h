#pragma once
// Which of the system's extensions a picture file's kind needs and the system lacks.

#include <string>
#include <vector>

#include "pictures/system_extension.h"

namespace vexaframe {

// The extensions the picture's kind (as its header declares it) needs that are not installed;
// nothing for a file of a kind Windows decodes itself, or no picture. The decoders are looked
// up, never handed the file.
std::vector<SystemExtension> MissingSystemExtensions(const std::string& utf8Path);

}  // namespace vexaframe
