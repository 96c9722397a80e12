#pragma once
// A storage with personal links for the photo server's tests: day folders with pictures and
// voice messages, and the index that names them.
#include <QColor>
#include <filesystem>
#include <fstream>
#include <string>
#include "links/link_index.h"
#include "platform/local_clock.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "server/gallery_pages.h"

namespace gallery_test {

inline constexpr char kDay[] = "2026-12-9";
inline const vantor::LocalDateTime kNoon{2026, 12, 9, 12, 0, 0};

inline std::string Token(char digit) {
    return std::string(32, digit);
}
inline std::string Id(char digit) {
    return std::string(16, digit);
}

class Storage {
  public:
    std::filesystem::path Root() const { return folder_.path() / "Storage"; }
    tstring LogicRoot() const { return vantor_test::Logic(Root()); }

    // A sign-in's files (the plain photo and the voice message when asked for) and its record.
    void AddSignIn(const std::string& token, const std::string& id, const std::string& stem,
                   bool photo = true, bool voice = true, const std::string& day = kDay) {
        const auto day_folder = Root() / day;
        vantor_test::WriteJpeg(day_folder / "WithTemplate" / (stem + ".jpg"), QColor(200, 40, 40),
                               QSize(1280, 960));
        if (photo) {
            vantor_test::WriteJpeg(day_folder / "NoTemplate" / (stem + ".jpg"), QColor(40, 200, 40));
        }
        if (voice) {
            std::filesystem::create_directories(day_folder / "Audio");
            std::string wave = "RIFF....WAVEfmt ";
            for (int i = 0; i < 5000; ++i) {
                wave += static_cast<char>(i * 7);
            }
            std::ofstream(day_folder / "Audio" / (stem + ".wav"), std::ios::binary) << wave;
        }
        Record(vantor::links::LinkEntry{token, id, day, stem});
    }
    void Record(const vantor::links::LinkEntry& entry) {
        std::filesystem::create_directories(Root() / "Links");
        std::ofstream(Root() / "Links" / (entry.day + ".txt"), std::ios::app)
            << vantor::links::FormatLinkLine(entry);
    }
    std::string Read(const std::filesystem::path& file) const {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    vantor_test::TestFolder folder_;
};

inline vantor::gallery::PageContext EnglishPages(std::string event_name = "Gala") {
    return {[](vantor::gallery::PageText key) { return "text" + std::to_string(static_cast<int>(key)); },
            "en", std::move(event_name)};
}

}  // namespace gallery_test
