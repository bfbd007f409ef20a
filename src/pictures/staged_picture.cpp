#include "pictures/staged_picture.h"

#include "pictures/bmp_file.h"

namespace vexaframe {

// 24 bits a pixel: the cube blends by colour, so alpha would be bytes nobody reads.
bool StagedPicture::Write(const Image& picture) {
    return files_.WriteFileAtomically(path_, EncodeBmp24(picture));
}

std::string StagedPicture::Read() const {
    return files_.ReadFile(path_).value_or(std::string());
}

}  // namespace vexaframe
