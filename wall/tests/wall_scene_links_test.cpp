// Which sign-in a picture on the wall belongs to: from the folder the wall lists and the file's
// name to the record beside the day folders, under storage roots with names in GBK bytes.
#include <gtest/gtest.h>

#include "links/link_index.h"
#include "platform/native_path.h"
#include "scene/picture_link.h"
#include "test_folder.h"

using halvix::PictureLinks;
using halvix::PlaceOfPicture;

namespace {

constexpr char kGbkFolder[] = "\xBB\xEE\xB6\xAF";  // 活动 from a Windows archive

vantor::links::LinkEntry Entry(const char* token, const char* day, const char* stem) {
    return {token, "0123456789abcdef", day, stem};
}

}  // namespace

TEST(WallSceneLinks, OnlyASignInsFramedPictureHasAPlace) {
    const std::string root = std::string("/event/") + kGbkFolder + "/Storage";
    const std::string day = root + "/2026-12-9/WithTemplate";
    const auto place = PlaceOfPicture(day, "9-5-7.jpg");
    ASSERT_TRUE(place);
    EXPECT_EQ(vantor::ToNativePath(place->storage_root), root);  // the GBK bytes kept
    EXPECT_EQ(place->day, "2026-12-9");
    EXPECT_EQ(place->stem, "9-5-7");
    EXPECT_EQ(PlaceOfPicture(day + "/", "9-5-7~2.jpg")->stem, "9-5-7~2");

    for (const auto& [folder, name] : std::vector<std::pair<std::string, std::string>>{
             {root + "/lottery", "9-5-7.jpg"},               // the lottery's copies
             {root + "/2026-12-9/NoTemplate", "9-5-7.jpg"},  // plain photos are not shown as sign-ins
             {root + "/2026-12-9", "9-5-7.jpg"},
             {root + "/Links/WithTemplate", "9-5-7.jpg"},
             {root + "/2026-12-09/WithTemplate", "9-5-7.jpg"},
             {day, std::string(kGbkFolder) + ".jpg"},  // copied in by hand
             {day, "9-5-7.png"},
             {day, "9-5-7.jpg.jpg"},
             {day, "../9-5-7.jpg"},
             {"2026-12-9/WithTemplate", "9-5-7.jpg"},  // not a listed (absolute) folder
             {"", "9-5-7.jpg"}}) {
        EXPECT_FALSE(PlaceOfPicture(folder, name)) << folder << " " << name;
    }
}

TEST(WallSceneLinks, ARecordedPictureGetsItsLinkAndNewRecordsAreFound) {
    vantor_test::TestFolder files;
    const std::filesystem::path storage = files.path() / kGbkFolder / "Storage";
    const std::string day = (storage / "2026-12-9" / "WithTemplate").string();
    const tstring root = vantor::FromNativePath(storage.string());
    ASSERT_TRUE(
        vantor::links::RecordLink(root, Entry("0123456789abcdef0123456789abcdef", "2026-12-9", "9-5-7")));
    bool on = true;
    PictureLinks links([&] {
        vantor::settings::GallerySettings settings;
        settings.personal_links = on;
        settings.address = "192.168.7.20";
        settings.port = 8601;
        return settings;
    });

    EXPECT_EQ(links.LinkOf(day, "9-5-7.jpg"), "http://192.168.7.20:8601/p/0123456789abcdef0123456789abcdef");
    EXPECT_FALSE(links.LinkOf(day, "9-6-0.jpg"));
    // A sign-in saved after the wall first looked is found at the next selection.
    ASSERT_TRUE(
        vantor::links::RecordLink(root, Entry("fedcba9876543210fedcba9876543210", "2026-12-9", "9-6-0")));
    EXPECT_EQ(links.LinkOf(day, "9-6-0.jpg"), "http://192.168.7.20:8601/p/fedcba9876543210fedcba9876543210");
    // The same day under another storage root has records of its own.
    const std::string other = (files.path() / "Storage" / "2026-12-9" / "WithTemplate").string();
    EXPECT_FALSE(links.LinkOf(other, "9-5-7.jpg"));
    EXPECT_FALSE(links.LinkOf((storage / "lottery").string(), "9-5-7.jpg"));
    on = false;
    EXPECT_FALSE(links.LinkOf(day, "9-5-7.jpg"));
}
