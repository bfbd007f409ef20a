#pragma once
// Prepares the next picture on a thread of its own while the current one shows, so that the
// frames go on meanwhile: one picture at a time, taken by the window's thread once finished.

#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "pictures/image.h"

namespace vexaframe {

struct PreparedPicture {
    bool inPendingFile = false;           // the pending bitmap file holds the picture
    std::optional<Image> texturePicture;  // made from that file for the device, where it could be
    Image caption;                        // the picture's caption band; empty when it has none
};

class PicturePreparer {
public:
    // Runs on the preparing thread; returns early, with anything, once `stop` is requested.
    using Work = std::function<PreparedPicture(const std::string& file, std::stop_token stop)>;

    explicit PicturePreparer(Work work) : work_(std::move(work)) {}
    // A preparation still running is asked to stop and waited for.
    ~PicturePreparer() = default;
    PicturePreparer(const PicturePreparer&) = delete;
    PicturePreparer& operator=(const PicturePreparer&) = delete;

    // Starts preparing the file; what an earlier preparation made and nobody took is dropped.
    void Start(std::string file);
    // The finished preparation, once; nothing while it runs or when none was started.
    std::optional<PreparedPicture> TakeFinished();

private:
    Work work_;
    std::mutex mutex_;
    std::optional<PreparedPicture> finished_;  // guarded by mutex_
    std::jthread thread_;                      // last, so that it stops before the rest goes
};

}  // namespace vexaframe
