#pragma once
// The picture on its way to the cube: written whole as a bitmap file, from which the texture is
// then made. The file stays when the program ends.

#include <string>

#include "pictures/image.h"
#include "platform/file_system.h"

namespace vexaframe {

class StagedPicture {
public:
    StagedPicture(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

    // Replaces the file in one step, so that it never holds half a picture; on failure the
    // earlier picture stays.
    bool Write(const Image& picture);
    // The file's bytes; empty when there is none or it cannot be read.
    std::string Read() const;

private:
    FileSystem& files_;
    const std::string path_;
};

}  // namespace vexaframe
