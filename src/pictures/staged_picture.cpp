#include "pictures/staged_picture.h"

#include "pictures/bmp_file.h"

namespace vexaframe {

// 24 bits a pixel: the cube blends by colour, so alpha would be bytes nobody reads.
bool WriteBitmapFile(FileSystem& files, const std::string& path, const Image& picture) {
    return files.WriteFileAtomically(path, EncodeBmp24(picture));
}

std::string StagedPicture::Read() const {
    return files_.ReadFile(path_).value_or(std::string());
}

std::string StagedPicture::ReadPending() const {
    return files_.ReadFile(pendingPath_).value_or(std::string());
}

bool StagedPicture::CommitPending() {
    return files_.MoveFileOver(pendingPath_, path_);
}

void StagedPicture::DiscardPending() {
    files_.RemoveFile(pendingPath_);
}

}  // namespace vexaframe
