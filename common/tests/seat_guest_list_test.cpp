// The guest list of the seat search: the line rules, the end of the list, the reports of a
// missing file or a malformed line, reads in the wrong code page, and the search.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "seat/guest_list.h"
#include "test_folder.h"

namespace {

using vantor::GuestList;
using vantor::ParseGuestList;

std::string Gbk(std::u16string_view text) {
    return vantor::WideToNarrow(text, "GBK");
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(SeatGuestList, BlanksAroundTheLineAndThePiecesAreIgnoredAndTheKeywordLowerCased) {
    const GuestList list = ParseGuestList("  zs # 张三 # 8  \r\n\tAnn Smith\t#\tAnn #11\n", "UTF-8");
    ASSERT_EQ(list.guests.size(), 2u);
    EXPECT_EQ(list.guests[0].keyword.GetBase(), u"zs");
    EXPECT_EQ(list.guests[0].name.GetBase(), u"张三");
    EXPECT_EQ(list.guests[0].table.GetBase(), u"8");
    EXPECT_EQ(list.guests[1].keyword.GetBase(), u"ann smith");
    EXPECT_EQ(list.guests[1].table.GetBase(), u"11");
    EXPECT_FALSE(list.malformed);
}

TEST(SeatGuestList, TheListEndsAtAnEmptyLineOrAFirstCharacterOutsideTheAllowedOnes) {
    // Digits, letters (Chinese ones too) and code units 0x8140..0xFEFE start guest lines; "︰"
    // (U+FE30) is in that range without being a letter.
    const GuestList allowed =
        ParseGuestList("8a#x#1\ngg#y#2\n张#z#3\n︰#w#4\nFF#v#5\n   \nzs#after#6\n", "UTF-8");
    ASSERT_EQ(allowed.guests.size(), 5u);
    EXPECT_EQ(allowed.guests[2].keyword.GetBase(), u"张");
    EXPECT_FALSE(allowed.malformed);
    for (const char* ending : {"-zs#x#1\n", "#zs#x#1\n", "@zs#x#1\n", "★#x#1\n"}) {
        const GuestList list = ParseGuestList(std::string("ls#李四#1\n") + ending + "zs#张三#2\n", "UTF-8");
        ASSERT_EQ(list.guests.size(), 1u) << ending;
        EXPECT_FALSE(list.malformed) << ending;
    }
}

TEST(SeatGuestList, ALineWithoutThreePiecesEndsTheListAndNamesItsFirstPiece) {
    GuestList list = ParseGuestList("ls#李四#1\na#b#c#d\nzs#张三#2\n", "UTF-8");
    ASSERT_EQ(list.guests.size(), 1u);
    EXPECT_EQ(list.malformed->GetBase(), u"a");
    list = ParseGuestList("ls#李四#1\nonly one piece\n", "UTF-8");
    EXPECT_EQ(list.malformed->GetBase(), u"only one piece");
    list = ParseGuestList("ls # 李四\n", "UTF-8");
    EXPECT_TRUE(list.guests.empty());
    EXPECT_EQ(list.malformed->GetBase(), u"ls");
    // Empty pieces are pieces: "zs##" is a guest without name and table.
    list = ParseGuestList("zs##\n", "UTF-8");
    ASSERT_EQ(list.guests.size(), 1u);
    EXPECT_TRUE(list.guests[0].name.IsEmpty());
}

TEST(SeatGuestList, LongLinesAreReadInPiecesOf99BytesWithoutSplittingACharacter) {
    // The first 99 bytes end inside "李": it goes whole into the next read, so the table stays
    // clean and the rest of the line and the next guest are read.
    const std::string line = "8#9#" + Repeat("张", 31) + "李#王#3\n";
    ASSERT_GT(line.size(), 99u);
    GuestList list = ParseGuestList(line + "zs#张三#5\n", "UTF-8");
    ASSERT_EQ(list.guests.size(), 3u);
    EXPECT_EQ(list.guests[0].table.GetBase(), std::u16string(31, u'张'));
    EXPECT_EQ(list.guests[1].keyword.GetBase(), u"李");
    EXPECT_EQ(list.guests[2].name.GetBase(), u"张三");
    EXPECT_FALSE(list.malformed);

    // The same in GBK, two bytes a character: 4 + 47 * 2 = 98, the 99th byte starts "李".
    const std::string gbk = "8#9#" + Gbk(std::u16string(47, u'张')) + Gbk(u"李#王#3\nzs#张三#5\n");
    list = ParseGuestList(gbk, "GBK");
    ASSERT_EQ(list.guests.size(), 3u);
    EXPECT_EQ(list.guests[0].table.GetBase(), std::u16string(47, u'张'));
    EXPECT_EQ(list.guests[1].keyword.GetBase(), u"李");

    // A 500-character line: its first 99 bytes have one piece and end the list with a report.
    list = ParseGuestList("ls#李四#1\n" + Repeat("x", 500) + "\nzs#张三#2\n", "UTF-8");
    EXPECT_EQ(list.guests.size(), 1u);
    EXPECT_EQ(list.malformed->GetBase(), std::u16string(99, u'x'));
}

TEST(SeatGuestList, AFileInTheOtherCodePageOrGarbageNeverBreaksTheRead) {
    // GBK read as UTF-8: the keyword is plain ASCII and survives; the name is unreadable.
    GuestList list = ParseGuestList(Gbk(u"zs # 张三 # 8\n"), "UTF-8");
    ASSERT_EQ(list.guests.size(), 1u);
    EXPECT_EQ(list.guests[0].keyword.GetBase(), u"zs");
    EXPECT_NE(list.guests[0].name.GetBase(), u"张三");
    // A GBK line starting with a Chinese character reads as an invalid one and ends the list.
    EXPECT_TRUE(ParseGuestList(Gbk(u"张#三#8\n"), "UTF-8").guests.empty());
    // UTF-8 read as GBK.
    list = ParseGuestList("zs # 张三 # 8\nls # 李四 # 9\n", "GBK");
    ASSERT_FALSE(list.guests.empty());
    EXPECT_EQ(list.guests[0].keyword.GetBase(), u"zs");
    // GBK read as GBK.
    list = ParseGuestList(Gbk(u"zs # 张三 # 8\n"), "GBK");
    ASSERT_EQ(list.guests.size(), 1u);
    EXPECT_EQ(list.guests[0].name.GetBase(), u"张三");

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string garbage(1 + random() % 400, '\0');
        for (char& byte : garbage) {
            byte = static_cast<char>(random());
        }
        // The first byte a digit, so the read goes past the first line more often.
        garbage[0] = '1';
        for (const char* codePage : {"UTF-8", "GBK"}) {
            const GuestList read = ParseGuestList(garbage, codePage);
            EXPECT_LE(read.guests.size(), garbage.size());
        }
    }
    EXPECT_TRUE(ParseGuestList("", "UTF-8").guests.empty());
    EXPECT_FALSE(ParseGuestList("", "UTF-8").malformed);
}

class SeatGuestFile : public ::testing::Test {
  protected:
    SeatGuestFile() : scope_(boxes_) {}
    void TearDown() override { unsetenv("VANTOR_CODEPAGE"); }
    tstring Write(const std::string& bytes) {
        return vantor::FromNativePath(folder_.Write("Bin/people.txt", bytes).string());
    }

    vantor_test::TestFolder folder_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService scope_;
};

TEST_F(SeatGuestFile, AMissingFileIsReportedAndGivesAnEmptyList) {
    EXPECT_TRUE(
        vantor::LoadGuestList(vantor::FromNativePath((folder_.path() / "none.txt").string())).empty());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption.GetBase(), u"信息提示");
}

TEST_F(SeatGuestFile, AMalformedLineIsReportedAndTheGuestsBeforeItKept) {
    const std::vector<vantor::GuestRecord> guests = vantor::LoadGuestList(Write("ls#李四#1\na#b#c#d\n"));
    ASSERT_EQ(guests.size(), 1u);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text.GetBase(), u"a");
    EXPECT_EQ(boxes_.Boxes()[0].caption.GetBase(), u"输入格式不对");
}

TEST_F(SeatGuestFile, TheCodePageOfThePlatformLayerIsUsed) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    const std::vector<vantor::GuestRecord> guests = vantor::LoadGuestList(Write(Gbk(u"zs # 张三 # 8\n")));
    ASSERT_EQ(guests.size(), 1u);
    EXPECT_EQ(guests[0].name.GetBase(), u"张三");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST(SeatFindGuests, SubstringOfTheLowerCasedTextInFileOrderAtMost15) {
    std::vector<vantor::GuestRecord> guests;
    for (int i = 0; i < 30; ++i) {
        // Every other keyword holds an "a", in the middle.
        guests.push_back({tstring(i % 2 == 0 ? u"xay" : u"xyz"), tstring(u"g"), tstring(u"1")});
    }
    const std::vector<int> found = vantor::FindGuests(guests, u"A");
    ASSERT_EQ(found.size(), 15u);
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i], static_cast<int>(2 * i));
    }
    guests = ParseGuestList("zhangsan#张三#1\nlisi#李四#2\nzhangwei#张伟#3\n", "UTF-8").guests;
    EXPECT_EQ(vantor::FindGuests(guests, u"ZHANG"), (std::vector<int>{0, 2}));
    EXPECT_EQ(vantor::FindGuests(guests, u"ngs"), (std::vector<int>{0}));
    EXPECT_TRUE(vantor::FindGuests(guests, u"zhang ").empty());
}

}  // namespace
