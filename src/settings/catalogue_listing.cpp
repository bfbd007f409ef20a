#include "settings/catalogue_listing.h"

#include <utility>

namespace vexaframe {

CatalogueListing::CatalogueListing(Lister lister)
    : thread_([this, lister = std::move(lister)](std::stop_token stop) {
          lister([this, &stop](std::string path) { return Hand(std::move(path), stop); });
          End();
      }) {}

// Only a waiter whose count is reached is woken: the show takes its pictures without waiting.
bool CatalogueListing::Hand(std::string path, const std::stop_token& stop) {
    if (stop.stop_requested()) return false;
    bool awaited = false;
    {
        const std::lock_guard lock(mutex_);
        listed_.push_back(std::move(path));
        awaited = ++listedInAll_ == awaited_;
    }
    if (awaited) changed_.notify_all();
    return true;
}

void CatalogueListing::End() {
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void CatalogueListing::WaitUntilListed(std::int32_t count) {
    std::unique_lock lock(mutex_);
    awaited_ = count;
    changed_.wait(lock, [&] { return ended_ || listedInAll_ >= count; });
}

bool CatalogueListing::TakeListed(Catalogue& catalogue) {
    const std::lock_guard lock(mutex_);
    catalogue.ImageFiles.insert(catalogue.ImageFiles.end(),
                                std::make_move_iterator(listed_.begin()),
                                std::make_move_iterator(listed_.end()));
    catalogue.ImageCount = static_cast<std::int32_t>(catalogue.ImageFiles.size());
    listed_.clear();
    return ended_;
}

void StartCatalogueOfSettings(FileSystem& files, Settings& settings, Catalogue& catalogue,
                              std::unique_ptr<CatalogueListing>& listing) {
    listing.reset();
    if (ScopeOf(settings) == FolderScope::FolderOnly) {
        BuildCatalogueOfSettings(files, settings, catalogue);
        return;
    }
    catalogue = Catalogue{};
    if (!KeepFolderThatExists(files, settings)) return;
    listing = std::make_unique<CatalogueListing>(
        [&files, folder = settings.ImageFolder, kinds = settings.KindEnabled](
            const PictureFound& found) { return ListLibrary(files, folder, kinds, found); });
    listing->WaitUntilListed(1);
    if (listing->TakeListed(catalogue)) listing.reset();
}

}  // namespace vexaframe
