// The text content shipped in the installation folder: settings at their defaults and a guest
// list the seat search can read to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"
#include "seat/guest_list.h"
#include "settings/settings_table.h"
#include "test_folder.h"
#include "text/tstring.h"

namespace {

std::filesystem::path ShippedBin() {
    const char* fromEnvironment = std::getenv("VANTOR_SOURCE_DIR");
    const std::filesystem::path source =
        fromEnvironment != nullptr
            ? std::filesystem::path(fromEnvironment)
            : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return source / "resources" / "install" / "Bin";
}

TEST(FilesShippedContent, SettingsHoldEveryKeyAtItsDefault) {
    const tstring config = vantor::FromNativePath((ShippedBin() / "config.ini").string());
    for (const vantor::settings::IntSetting& setting : vantor::settings::kConfigSettings) {
        char16_t buffer[32] = {};
        // Present in the file (not just the default of the read), with the default value.
        EXPECT_GT(vantor::GetPrivateProfileStringW(setting.section, setting.key, u"", buffer, 32, config),
                  0u);
        EXPECT_EQ(vantor::GetPrivateProfileIntW(setting.section, setting.key, 12345, config),
                  static_cast<unsigned>(setting.fallback));
    }
    for (const vantor::settings::TextSetting& setting : vantor::settings::kConfigTextSettings) {
        char16_t buffer[64] = {};
        vantor::GetPrivateProfileStringW(setting.section, setting.key, u"<missing>", buffer, 64, config);
        EXPECT_EQ(tstring(buffer), tstring(setting.fallback));
    }
}

TEST(FilesShippedContent, GuestListIsReadToItsLastLineAndMatchesTheSeatingPlan) {
    const std::optional<std::string> bytes = vantor::ReadWholeFile((ShippedBin() / "people.txt").string());
    ASSERT_TRUE(bytes);
    const vantor::GuestList list = vantor::ParseGuestList(*bytes, "UTF-8");
    EXPECT_FALSE(list.malformed);
    const auto lines = std::count(bytes->begin(), bytes->end(), '\n');
    EXPECT_EQ(static_cast<long>(list.guests.size()), lines) << "the list ended before its last line";
    std::set<std::u16string> keywords;
    for (const vantor::GuestRecord& guest : list.guests) {
        EXPECT_TRUE(keywords.insert(guest.keyword.GetBase()).second) << "keyword given twice";
        // The seating plan drawn at build time has tables 1 to 12.
        const int table = std::stoi(vantor::WideToUtf8(guest.table.GetBase()));
        EXPECT_GE(table, 1);
        EXPECT_LE(table, 12);
    }
    // Enough guests sharing letters to show the search's limit of 15.
    EXPECT_GT(vantor::FindGuests(list.guests, u"an").size(), 14u);
}

// The assembled installation folder holds what ships and no hidden build files (stamps of the
// drawing tools, say). Only the parts the build writes are searched below the top: the programs
// keep hidden temporaries of their own saves in "Storage", "lottery" and "Bin" for a moment.
TEST(FilesShippedContent, TheInstallationFolderHoldsNoHiddenBuildFiles) {
    const std::filesystem::path install = vantor_test::InstallFolder();
    ASSERT_TRUE(std::filesystem::is_directory(install / "Bin")) << "no installation folder at " << install;
    std::vector<std::filesystem::path> hidden;
    for (const auto& entry : std::filesystem::directory_iterator(install)) {
        if (entry.path().filename().string().starts_with('.')) {
            hidden.push_back(entry.path());
        }
    }
    for (const char* part : {"images", "Template", "Sound", "res"}) {
        if (!std::filesystem::is_directory(install / part)) {
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(install / part)) {
            if (entry.path().filename().string().starts_with('.')) {
                hidden.push_back(entry.path());
            }
        }
    }
    EXPECT_TRUE(hidden.empty()) << "hidden: " << (hidden.empty() ? std::string() : hidden.front().string());
}

}  // namespace
