#pragma once
// A library's catalogue listed on a thread of its own, so that the show starts with the first
// pictures found and takes the rest as they come, however large or slow the library.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "settings/catalogue.h"
#include "settings/settings.h"

namespace vexaframe {

class CatalogueListing {
public:
    // Lists the pictures in catalogue order, handing each to `found`, and says how it ended.
    using Lister = std::function<CatalogueEnd(const PictureFound& found)>;

    // Starts the lister on the listing's thread.
    explicit CatalogueListing(Lister lister);
    // The lister is asked to stop at its next picture, and waited for.
    ~CatalogueListing() = default;
    CatalogueListing(const CatalogueListing&) = delete;
    CatalogueListing& operator=(const CatalogueListing&) = delete;

    // Blocks until `count` pictures have been listed in all, or the listing has ended; for one
    // waiter at a time.
    void WaitUntilListed(std::int32_t count);
    // Moves the pictures listed since the last call to the end of the catalogue; true once the
    // listing has ended and every picture it found is in the catalogue.
    bool TakeListed(Catalogue& catalogue);

private:
    bool Hand(std::string path, const std::stop_token& stop);
    void End();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> listed_;  // since the last take; guarded by mutex_
    std::int32_t listedInAll_ = 0;     // guarded by mutex_
    std::int32_t awaited_ = 0;         // the count a waiter waits for; guarded by mutex_
    bool ended_ = false;               // guarded by mutex_
    std::jthread thread_;              // last, so that it stops before the rest goes
};

// The catalogue a show starts with. With sub-folders the listing goes on beside the show once
// it has found a first picture, or has ended: the catalogue holds what it found until then, and
// `listing` hands over the rest. Without, the whole catalogue, as BuildCatalogueOfSettings
// makes it, and no listing.
void StartCatalogueOfSettings(FileSystem& files, Settings& settings, Catalogue& catalogue,
                              std::unique_ptr<CatalogueListing>& listing);

}  // namespace vexaframe
