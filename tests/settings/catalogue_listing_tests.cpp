#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/catalogue_listing.h"
#include "support/fake_file_system.h"
#include "support/listing_feed.h"

namespace vexaframe {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The catalogue takes each picture once, in the order listed, and is complete only once the
// listing has ended and nothing it found is left behind.
TEST(CatalogueListing, HandsOverThePicturesInTheOrderListedAndEndsOnlyWhenAllAreTaken) {
    const auto feed = std::make_shared<ListingFeed>();
    const std::unique_ptr<CatalogueListing> listing = ListingFeed::Listing(feed);
    Catalogue catalogue;
    EXPECT_FALSE(listing->TakeListed(catalogue));
    EXPECT_THAT(catalogue.ImageFiles, IsEmpty());

    feed->Give({"a", "b"});
    listing->WaitUntilListed(2);
    EXPECT_FALSE(listing->TakeListed(catalogue));
    feed->Give({"c"});
    feed->End();
    listing->WaitUntilListed(1000);  // returns at the end
    EXPECT_TRUE(listing->TakeListed(catalogue));
    EXPECT_THAT(catalogue.ImageFiles, ElementsAre("a", "b", "c"));
    EXPECT_EQ(catalogue.ImageCount, 3);
    EXPECT_TRUE(listing->TakeListed(catalogue));
    EXPECT_EQ(catalogue.ImageCount, 3);
}

// A saver that ends while a huge library is still being listed must not wait for the listing.
TEST(CatalogueListing, GoingAwayStopsAListingThatWouldNotEndOfItself) {
    bool sawStop = false;
    {
        CatalogueListing listing([&sawStop](const PictureFound& found) {
            for (int n = 0;; ++n) {
                if (!found(std::to_string(n))) break;
            }
            sawStop = true;
            return CatalogueEnd::Stopped;
        });
        listing.WaitUntilListed(100);
    }
    EXPECT_TRUE(sawStop);
}

class StartCatalogueTest : public ::testing::Test {
protected:
    StartCatalogueTest() {
        for (const char* name : {"2023/12/x.png", "2023/a.jpg", "2024/01/b.jpeg", "top.bmp"})
            files.AddFile(std::string("/pics/") + name);
        settings.ImageFolder = "/pics";
        settings.KindEnabled.fill(1);
    }

    FakeFileSystem files{kPosixPaths};
    Settings settings;
    Catalogue catalogue;
    std::unique_ptr<CatalogueListing> listing;
};

// With sub-folders the show gets a first picture at once and the rest later; in the end it has
// what the dialog lists for the same settings.
TEST_F(StartCatalogueTest, WithSubFoldersStartsWithAFirstPictureAndEndsWithTheWholeCatalogue) {
    settings.SubFolders = 1;
    StartCatalogueOfSettings(files, settings, catalogue, listing);
    ASSERT_GE(catalogue.ImageCount, 1);
    EXPECT_EQ(catalogue.ImageFiles.front(), "/pics/2023/12/x.png");
    while (listing && !listing->TakeListed(catalogue)) listing->WaitUntilListed(4);

    Catalogue listed;
    BuildCatalogue(files, "/pics", settings.KindEnabled, listed, {}, FolderScope::WithSubFolders);
    EXPECT_EQ(catalogue.ImageFiles, listed.ImageFiles);
    EXPECT_EQ(catalogue.ImageCount, 4);
}

TEST_F(StartCatalogueTest, WithoutSubFoldersOrWithoutAFolderNothingGoesOnAfterTheStart) {
    StartCatalogueOfSettings(files, settings, catalogue, listing);
    EXPECT_EQ(listing, nullptr);
    EXPECT_THAT(catalogue.ImageFiles, ElementsAre("/pics/top.bmp"));

    settings.SubFolders = 1;
    settings.ImageFolder = "/gone";
    StartCatalogueOfSettings(files, settings, catalogue, listing);
    EXPECT_EQ(listing, nullptr);
    EXPECT_EQ(settings.ImageFolder, "");
    EXPECT_EQ(catalogue.ImageCount, 0);
}

}  // namespace
}  // namespace vexaframe
