#pragma once
// A catalogue listing's lister fed by the test: it hands over the pictures the test gives, in
// turn, and ends when the test ends it.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "settings/catalogue_listing.h"

namespace vexaframe {

class ListingFeed {
public:
    void Give(const std::vector<std::string>& paths) {
        {
            const std::lock_guard lock(mutex_);
            given_.insert(given_.end(), paths.begin(), paths.end());
        }
        changed_.notify_all();
    }
    void End() {
        {
            const std::lock_guard lock(mutex_);
            ended_ = true;
        }
        changed_.notify_all();
    }

    // What the listing's thread runs; ends Stopped when the listing asks to stop.
    CatalogueEnd List(const PictureFound& found) {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return ended_ || !given_.empty(); });
            if (given_.empty()) return CatalogueEnd::Complete;
            std::string path = std::move(given_.front());
            given_.pop_front();
            lock.unlock();
            if (!found(std::move(path))) return CatalogueEnd::Stopped;
        }
    }

    static std::unique_ptr<CatalogueListing> Listing(const std::shared_ptr<ListingFeed>& feed) {
        return std::make_unique<CatalogueListing>(
            [feed](const PictureFound& found) { return feed->List(found); });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> given_;
    bool ended_ = false;
};

}  // namespace vexaframe
