#include "saver/picture_preparer.h"

namespace vexaframe {

void PicturePreparer::Start(std::string file) {
    thread_ = std::jthread();  // stops and joins an earlier one
    finished_.reset();
    thread_ = std::jthread([this, file = std::move(file)](std::stop_token stop) {
        PreparedPicture prepared = work_(file, stop);
        const std::lock_guard lock(mutex_);
        finished_ = std::move(prepared);
    });
}

std::optional<PreparedPicture> PicturePreparer::TakeFinished() {
    const std::lock_guard lock(mutex_);
    std::optional<PreparedPicture> taken = std::move(finished_);
    finished_.reset();
    return taken;
}

}  // namespace vexaframe
