// The personal link of each save: recorded for exactly the saved picture, never at the cost of the
// save, shown only with an address, and nothing of it when the settings switch it off.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <set>
#include "app/gallery_corner.h"
#include "capture/sign_in.h"
#include "links/link_index.h"
#include "platform/native_path.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using vantor::links::LinkEntry;

// Counts up from a seed, so that every token differs and a test can make the generator fail.
class CountingRandom : public vantor::SecureRandom {
  public:
    explicit CountingRandom(bool& fails) : fails_(fails) {}
    bool Fill(std::span<std::uint8_t> out) override {
        for (std::uint8_t& byte : out) {
            byte = next_++;
        }
        return !fails_;
    }

  private:
    bool& fails_;
    std::uint8_t next_ = 1;
};

class PersonalLinkAtSave : public ::testing::Test {
  protected:
    void SetUp() override {
        clock_.Set({2026, 12, 8, 9, 5, 7});
        sign_in_.SetPreviewRect(QRect(0, 0, 320, 240));
    }
    void UseLinks(std::optional<std::string> host) {
        sign_in_.SetPersonalLinks(PersonalLinks(std::make_unique<CountingRandom>(random_fails_), u"Storage",
                                                std::move(host), 8600));
    }
    SignIn::SaveResult SignInOnce() {
        clock_.AdvanceSeconds(1);
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::red);
        EXPECT_EQ(sign_in_.TakePhoto(
                      false, [frame] { return frame; }, [frame] { return frame; }),
                  SignIn::PhotoResult::Taken);
        clock_.AdvanceSeconds(1);
        return sign_in_.Save([this] { return sign_in_.InkedStill(); });
    }
    std::vector<LinkEntry> Records() const {
        return vantor::links::ParseLinkIndex(folder_.Read("Storage/Links/2026-12-8.txt"));
    }
    std::set<std::string> StorageEntries() const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_.path() / "Storage")) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
    GuestCounter guests_;
    SignIn sign_in_{clock_, guests_, SignInStore(), [](const tstring&) {}};
    bool random_fails_ = false;
};

TEST_F(PersonalLinkAtSave, EachSaveRecordsItsOwnPictureAndShowsItsLink) {
    UseLinks("192.0.2.7");
    ASSERT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    ASSERT_EQ(Records().size(), 1u);
    const LinkEntry first = Records()[0];
    EXPECT_EQ(first.day, "2026-12-8");
    EXPECT_EQ(first.stem, "9-5-9");
    EXPECT_EQ(vantor::links::FramedPictureOf(u"Storage", first), sign_in_.LastSavedPicture());
    EXPECT_EQ(sign_in_.LastLink(), "http://192.0.2.7:8600/p/" + first.token);

    // The next guest's photo takes the link away; his save records his own.
    clock_.AdvanceSeconds(1);
    ASSERT_EQ(sign_in_.TakePhoto(false, {}, [] { return QImage(320, 240, QImage::Format_RGB32); }),
              SignIn::PhotoResult::Taken);
    EXPECT_FALSE(sign_in_.LastLink());
    clock_.AdvanceSeconds(1);
    ASSERT_EQ(sign_in_.Save([this] { return sign_in_.InkedStill(); }), SignIn::SaveResult::Saved);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[1].stem, "9-5-11");
    EXPECT_NE(Records()[1].token, first.token);
    EXPECT_EQ(sign_in_.LastLink(), "http://192.0.2.7:8600/p/" + Records()[1].token);
}

TEST_F(PersonalLinkAtSave, ALinkThatCannotBeMadeNeverCostsTheSave) {
    UseLinks("192.0.2.7");
    folder_.Write("Storage/Links", "a file where the folder should be");
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_TRUE(fs::exists(folder_.path() / "Storage/2026-12-8/WithTemplate/9-5-9.jpg"));
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_FALSE(sign_in_.LastLink());

    fs::remove(folder_.path() / "Storage/Links");
    random_fails_ = true;
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_EQ(guests_.Count(), 2);
    EXPECT_FALSE(sign_in_.LastLink());
    EXPECT_TRUE(Records().empty()) << "no record from a failed generator";

    // Without a network address the record is kept for the gallery, but there is no code to show.
    random_fails_ = false;
    UseLinks(std::nullopt);
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_FALSE(sign_in_.LastLink());
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].stem, "9-5-13");
}

TEST_F(PersonalLinkAtSave, SwitchedOffNothingOutsideTheDayAndNoGalleryOnTheMenu) {
    vantor::settings::GallerySettings off;
    off.personal_links = false;
    off.gallery = false;
    off.address = "192.0.2.7";
    EXPECT_FALSE(off.ServerWanted());
    EXPECT_FALSE(StationPersonalLinks(off, u"Storage"));
    sign_in_.SetPersonalLinks(StationPersonalLinks(off, u"Storage"));
    ASSERT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_FALSE(sign_in_.LastLink());
    EXPECT_EQ(StorageEntries(), std::set<std::string>{"2026-12-8"});
    EXPECT_FALSE(travenor::MenuGalleryCorner(off, "192.0.2.7"));

    // On, the menu names the gallery, and its code when there is one; without an address nothing.
    vantor::settings::GallerySettings on = off;
    on.gallery = true;
    EXPECT_FALSE(travenor::MenuGalleryCorner(on, std::nullopt));
    auto corner = travenor::MenuGalleryCorner(on, "192.0.2.7");
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->link, "http://192.0.2.7:8600/g");
    EXPECT_EQ(corner->lines.size(), 2);
    on.event_code = "ROSE42";
    corner = travenor::MenuGalleryCorner(on, "192.0.2.7");
    ASSERT_TRUE(corner);
    ASSERT_EQ(corner->lines.size(), 3);
    EXPECT_TRUE(corner->lines[2].endsWith(QStringLiteral("ROSE42")));
}

}  // namespace
