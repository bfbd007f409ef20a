#pragma once
// The picture on its way to the cube: written whole as a bitmap file, with its texture in a
// bitmap file of its own. The next picture is made ready in a pending file beside it, while the
// current one shows, and takes its place in one step at the change. The staged file stays when
// the program ends; the pending one and the textures do not.

#include <optional>
#include <string>

#include "pictures/image.h"
#include "pictures/texture_picture.h"
#include "platform/file_system.h"

namespace vexaframe {

// Replaces the file in one step, so that it never holds half a picture; on failure the earlier
// picture stays.
[[nodiscard]] bool WriteBitmapFile(FileSystem& files, const std::string& path,
                                   const Image& picture);

class StagedPicture {
public:
    StagedPicture(FileSystem& files, std::string path)
        : files_(files),
          path_(std::move(path)),
          pendingPath_(path_ + ".next"),
          pendingTexturePath_(path_ + ".texture"),
          heldPath_(path_ + ".held") {}

    const std::string& PendingPath() const { return pendingPath_; }
    // Where the pending picture's texture is made, beside it.
    const std::string& PendingTexturePath() const { return pendingTexturePath_; }

    // Before a pending picture is made: the staged file gets a second name, so that the commit
    // that replaces it has no bytes to free (hundreds of megabytes take the file system tens of
    // milliseconds); they go here, a few at a time, at the next call, with the file the last
    // commit replaced.
    void HoldStaged();
    // The pending picture becomes the staged one; false when it cannot, and then the staged
    // file keeps the earlier picture.
    [[nodiscard]] bool CommitPending();
    // The pending picture's texture, once: its file goes. Nothing when there is none, or it is
    // no bitmap these limits take.
    std::optional<Image> TakePendingTexture(TextureLimits limits);
    // The pending picture, its texture and the held one go; the staged one stays.
    void DiscardPending();

private:
    FileSystem& files_;
    const std::string path_;
    const std::string pendingPath_;
    const std::string pendingTexturePath_;
    const std::string heldPath_;
};

}  // namespace vexaframe
