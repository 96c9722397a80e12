// The personal link of each save: recorded for exactly the saved picture, never at the cost of the
// save, shown only with an address, and nothing of it when the settings switch it off.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include "app/gallery_corner.h"
#include "capture/sign_in.h"
#include "links/link_index.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

// Counts up, so that every token differs; fails when told to.
class CountingRandom : public vantor::SecureRandom {
  public:
    explicit CountingRandom(const bool& fails) : fails_(fails) {}
    bool Fill(std::span<std::uint8_t> out) override {
        for (std::uint8_t& byte : out) {
            byte = next_++;
        }
        return !fails_;
    }

  private:
    const bool& fails_;
    std::uint8_t next_ = 1;
};

class PersonalLinkAtSave : public ::testing::Test {
  protected:
    void UseLinks(std::optional<std::string> host) {
        sign_in_.SetPersonalLinks(PersonalLinks(std::make_unique<CountingRandom>(random_fails_), u"Storage",
                                                std::move(host), 8600));
    }
    SignIn::SaveResult SignInOnce() {
        clock_.AdvanceSeconds(1);
        sign_in_.TakePhoto(false, {}, [] { return QImage(320, 240, QImage::Format_RGB32); });
        EXPECT_FALSE(sign_in_.LastLink()) << "the next guest's photo takes the link away";
        clock_.AdvanceSeconds(1);
        return sign_in_.Save([this] { return sign_in_.InkedStill(); });
    }
    std::vector<vantor::links::LinkEntry> Records() const {
        return vantor::links::ParseLinkIndex(folder_.Read("Storage/Links/2026-12-8.txt"));
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_{{2026, 12, 8, 9, 5, 7}};
    GuestCounter guests_;
    SignIn sign_in_{clock_, guests_, SignInStore(), [](const tstring&) {}};
    bool random_fails_ = false;
};

TEST_F(PersonalLinkAtSave, EachSaveRecordsItsOwnPictureAndShowsItsLink) {
    UseLinks("192.0.2.7");
    for (const char* stem : {"9-5-9", "9-5-11"}) {
        ASSERT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
        const vantor::links::LinkEntry last = Records().back();
        EXPECT_EQ(last.day, "2026-12-8");
        EXPECT_EQ(last.stem, stem);
        EXPECT_EQ(vantor::links::FramedPictureOf(u"Storage", last), sign_in_.LastSavedPicture());
        EXPECT_EQ(sign_in_.LastLink(), "http://192.0.2.7:8600/p/" + last.token);
    }
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_NE(Records()[0].token, Records()[1].token);
}

TEST_F(PersonalLinkAtSave, ALinkThatCannotBeMadeNeverCostsTheSave) {
    UseLinks("192.0.2.7");
    folder_.Write("Storage/Links", "a file where the folder should be");
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_TRUE(fs::exists(folder_.path() / "Storage/2026-12-8/WithTemplate/9-5-9.jpg"));
    EXPECT_FALSE(sign_in_.LastLink());

    fs::remove(folder_.path() / "Storage/Links");
    random_fails_ = true;
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_FALSE(sign_in_.LastLink());
    EXPECT_TRUE(Records().empty()) << "no record from a failed generator";
    EXPECT_EQ(guests_.Count(), 2);

    // Without a network address the record is kept for the gallery, but there is no code to show.
    random_fails_ = false;
    UseLinks(std::nullopt);
    EXPECT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_FALSE(sign_in_.LastLink());
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].stem, "9-5-13");
}

TEST_F(PersonalLinkAtSave, SwitchedOffNothingOutsideTheDayAndNoGalleryOnTheMenu) {
    vantor::settings::GallerySettings settings;
    settings.personal_links = false;
    settings.gallery = false;
    EXPECT_FALSE(settings.ServerWanted());
    sign_in_.SetPersonalLinks(StationPersonalLinks(settings, u"Storage"));
    ASSERT_EQ(SignInOnce(), SignIn::SaveResult::Saved);
    EXPECT_FALSE(sign_in_.LastLink());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path() / "Storage"), fs::directory_iterator()), 1);
    EXPECT_FALSE(travenor::MenuGalleryCorner(settings, "192.0.2.7"));

    // On, the menu names the gallery and its code; without an address nothing.
    settings.gallery = true;
    settings.event_code = "ROSE42";
    EXPECT_FALSE(travenor::MenuGalleryCorner(settings, std::nullopt));
    const auto corner = travenor::MenuGalleryCorner(settings, "192.0.2.7");
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->link, "http://192.0.2.7:8600/g");
    ASSERT_EQ(corner->lines.size(), 3);
    EXPECT_TRUE(corner->lines[2].endsWith(QStringLiteral("ROSE42")));
}

}  // namespace
