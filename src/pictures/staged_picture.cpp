#include "pictures/staged_picture.h"

#include "pictures/bmp_file.h"

namespace vexaframe {

// 24 bits a pixel: the cube blends by colour, so alpha would be bytes nobody reads.
bool WriteBitmapFile(FileSystem& files, const std::string& path, const Image& picture) {
    return files.WriteFileAtomically(
        path, [&picture](const ByteSink& write) { return WriteBmp24(picture, write); });
}

void StagedPicture::HoldStaged() {
    files_.RemoveLargeFile(heldPath_);
    files_.LinkFile(path_, heldPath_);  // where it cannot, the commit frees the bytes itself
}

bool StagedPicture::CommitPending() {
    return files_.MoveFileOver(pendingPath_, path_);
}

std::optional<Image> StagedPicture::TakePendingTexture(TextureLimits limits) {
    const std::optional<std::string> bytes = files_.ReadFile(pendingTexturePath_);
    files_.RemoveFile(pendingTexturePath_);
    std::optional<Image> texture = bytes ? DecodeBmp(*bytes) : std::nullopt;
    if (!texture || !FitsTextureLimits(*texture, limits)) return std::nullopt;
    return texture;
}

void StagedPicture::DiscardPending() {
    files_.RemoveFile(pendingPath_);
    files_.RemoveFile(pendingTexturePath_);
    files_.RemoveFile(heldPath_);
}

}  // namespace vexaframe
