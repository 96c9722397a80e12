// The text content shipped in the installation folder: settings at their defaults and a guest
// list the seat search can read to its end.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
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
    const struct {
        const char16_t* section;
        const char16_t* key;
        unsigned value;
    } expected[] = {{u"version", u"language ", 1},
                    {u"config", u"MAXALPHA ", 0},
                    {u"camera", u"width", 640},
                    {u"camera", u"height", 480}};
    for (const auto& setting : expected) {
        char16_t buffer[32] = {};
        // Present in the file (not just the default of the read), with the default value.
        EXPECT_GT(vantor::GetPrivateProfileStringW(setting.section, setting.key, u"", buffer, 32, config),
                  0u);
        EXPECT_EQ(vantor::GetPrivateProfileIntW(setting.section, setting.key, 12345, config), setting.value);
    }
}

TEST(FilesShippedContent, GuestListIsReadToItsLastLine) {
    setenv("VANTOR_CODEPAGE", "UTF-8", 1);
    std::ifstream in(ShippedBin() / "people.txt", std::ios::binary);
    ASSERT_TRUE(in);
    int guests = 0;
    std::set<std::u16string> keywords;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ASSERT_LE(line.size(), 98u) << "the seat search reads at most 99 bytes a line";
        tstring text(vantor::NarrowToWide(line));
        text.Trim(u' ');
        ASSERT_FALSE(text.IsEmpty()) << "an empty line would end the list early";
        ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(line[0]))) << line;
        const auto pieces = text.Spilt(u"#", false);
        ASSERT_EQ(pieces.size(), 3u) << line;
        tstring keyword = pieces[0];
        keyword.Trim(u' ').MakeLower();
        EXPECT_TRUE(keywords.insert(keyword.GetBase()).second) << "keyword given twice: " << line;
        ++guests;
    }
    unsetenv("VANTOR_CODEPAGE");
    EXPECT_GE(guests, 25);
}

}  // namespace
