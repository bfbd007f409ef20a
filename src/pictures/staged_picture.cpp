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

void StagedPicture::HoldStaged() {
    files_.RemoveFile(heldPath_);
    files_.LinkFile(path_, heldPath_);  // where it cannot, the commit frees the bytes itself
}

bool StagedPicture::CommitPending() {
    return files_.MoveFileOver(pendingPath_, path_);
}

void StagedPicture::DiscardPending() {
    files_.RemoveFile(pendingPath_);
    files_.RemoveFile(heldPath_);
}

}  // namespace vexaframe
