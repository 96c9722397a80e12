#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <stdexcept>

#include "platform/message_box.h"
#include "text/tstring.h"

namespace {

std::vector<std::u16string> Bases(const std::vector<tstring>& list) {
    std::vector<std::u16string> out;
    for (const auto& item : list) {
        out.push_back(item.GetBase());
    }
    return out;
}

TEST(TextTstring, TrimRemovesOnlyTheGivenCharacter) {
    tstring blanks(u"   ");
    EXPECT_TRUE(blanks.Trim(u' ').IsEmpty());
    tstring empty;
    EXPECT_TRUE(empty.TrimLeft(u' ').IsEmpty());
    tstring mixed(u" \tab\t ");
    EXPECT_EQ(mixed.Trim(u' ').GetBase(), u"\tab\t");
    tstring left(u"xxabxx");
    EXPECT_EQ(left.TrimLeft(u'x').GetBase(), u"abxx");
    EXPECT_EQ(left.TrimRight(u'x').GetBase(), u"ab");
}

TEST(TextTstring, CaseMappingTouchesAsciiLettersOnly) {
    tstring text(u"abc张三");
    EXPECT_EQ(text.MakeUpper().GetBase(), u"ABC张三");
    tstring accented(u"ÄBc");
    EXPECT_EQ(accented.MakeLower().GetBase(), u"Äbc");
}

TEST(TextTstring, ReplaceChangesOneOccurrenceFromStart) {
    tstring text(u"xxx");
    text.Replace(u"x", u"y", 2);
    EXPECT_EQ(text.GetBase(), u"xxy");
    text.Replace(u"q", u"y", 0);
    EXPECT_EQ(text.GetBase(), u"xxy");
}

TEST(TextTstring, ReplaceAllSkipsInsertedText) {
    tstring text(u"aaa");
    text.ReplaceAll(u"a", u"aa");
    EXPECT_EQ(text.GetBase(), u"aaaaaa");
    tstring lines(u"a\\nb\\n");
    lines.ReplaceAll(u"\\n", u"\n");
    EXPECT_EQ(lines.GetBase(), u"a\nb\n");
    tstring untouched(u"abc");
    untouched.ReplaceAll(u"", u"x");  // an empty pattern must not loop
    EXPECT_EQ(untouched.GetBase(), u"abc");
}

TEST(TextTstring, StaticReplaceTreatsTerminatorsAsUnits) {
    char16_t list[] = u"ab\0cd\0\0";
    tstring::Replace(list, 6, u'\r', u'\0');
    EXPECT_EQ(std::u16string(list, 7), std::u16string(u"ab\rcd\r\0", 7));
}

TEST(TextTstring, ExtractionAndItsErrors) {
    const tstring text(u"abcdef");
    EXPECT_EQ(text.Mid(1, 2).GetBase(), u"bc");
    EXPECT_EQ(text.Mid(4, 10).GetBase(), u"ef");
    EXPECT_EQ(text.Mid(6).GetBase(), u"");
    EXPECT_EQ(text.Right(2).GetBase(), u"ef");
    EXPECT_EQ(tstring(u"abc").Left(10).GetBase(), u"abc");
    EXPECT_THROW(text.Mid(7), std::out_of_range);
    EXPECT_THROW(text.Mid(7, 1), std::out_of_range);
    EXPECT_THROW(text.Right(7), std::out_of_range);
}

TEST(TextTstring, Search) {
    const tstring text(u"a.b.c");
    EXPECT_EQ(text.Find(u'.'), 1);
    EXPECT_EQ(text.ReFind(u'.'), 3);
    EXPECT_EQ(text.Find(u'x'), -1);
    EXPECT_EQ(text.Find(u"b.c", 0), 2);
    EXPECT_EQ(text.Find(u".", 2), 3);
    EXPECT_EQ(text.Find(u".", 9), -1);
}

TEST(TextTstring, SpiltOnCharacterSets) {
    const tstring lines(u"A\rB\r");
    EXPECT_EQ(Bases(lines.Spilt(u"\r", true)), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(Bases(lines.Spilt(u"\r", false)), (std::vector<std::u16string>{u"A", u"B", u""}));
    EXPECT_EQ(Bases(tstring(u"a;b,c").Spilt(u",;", true)), (std::vector<std::u16string>{u"a", u"b", u"c"}));
    EXPECT_EQ(Bases(tstring(u",a").Spilt(u",", false)), (std::vector<std::u16string>{u"", u"a"}));
    EXPECT_EQ(Bases(tstring(u",,").Spilt(u",", true)), (std::vector<std::u16string>{}));
    EXPECT_EQ(Bases(tstring(u"a##b").Spilt(u"#", false)), (std::vector<std::u16string>{u"a", u"", u"b"}));
}

TEST(TextTstring, SpiltOfEmptyInputRaisesTheTokenizeError) {
    try {
        tstring().Spilt(u",", false);
        FAIL() << "no error raised";
    } catch (const TokenizeError& error) {
        EXPECT_EQ(std::u16string(error.Text()), u"tokenize: empty string");
    }
    EXPECT_THROW(tstring(u"a").Spilt(u"", false), TokenizeError);
}

TEST(TextTstring, FormatFollowsTheWideDirectives) {
    tstring text;
    text.Format(u"%s\\%d-%d-%d", tstring(u"Storage"), 2024, 3, 5);
    EXPECT_EQ(text.GetBase(), u"Storage\\2024-3-5");
    text.Format(u"%s: %d", u"签到人数", 7);
    EXPECT_EQ(text.GetBase(), u"签到人数: 7");
    text.Format(u"[%5d|%-4s|%03x|%c|%.2f|%%]", 42, u"ab", 255u, u'Z', 1.5);
    EXPECT_EQ(text.GetBase(), u"[   42|ab  |0ff|Z|1.50|%]");
    text.Format(u"%x|%u", -1, -2);
    EXPECT_EQ(text.GetBase(), u"ffffffff|4294967294");
    text.Format(u"%.3s|%*d|%s", u"abcdef", 4, 7, std::u16string_view(u"view"));
    EXPECT_EQ(text.GetBase(), u"abc|   7|view");
}

TEST(TextTstring, FormatRefusesArgumentsOfTheWrongKindOrMissing) {
    tstring text;
    text.Format(u"%s and %d", 5, u"x");
    EXPECT_EQ(text.GetBase(), u"(?) and (?)");
    text.Format(u"%d %d", 1);
    EXPECT_EQ(text.GetBase(), u"1 (?)");
    text.Format(u"100%");
    EXPECT_EQ(text.GetBase(), u"100%");
}

TEST(TextTstring, FormatKeeps499Units) {
    const std::u16string exact(499, u'x');
    tstring text;
    text.Format(u"%s", exact);
    EXPECT_EQ(text.GetBase(), exact);
    text.Format(u"%s%s", exact, u"tail");
    EXPECT_EQ(text.GetLength(), 499);
    // A surrogate pair is never split at the cut.
    const std::u16string pairs = std::u16string(498, u'x') + u"\U0001F600";
    text.Format(u"%s", pairs);
    EXPECT_EQ(text.GetBase(), std::u16string(498, u'x'));
}

// Widths and precisions far beyond the limit give the first 499 units they always gave, and cost
// no more than the limit's worth of work (a width near INT_MAX once took most of a minute, or
// asked for gigabytes, before the cut).
TEST(TextTstring, FormatBoundsHugeFieldsByTheLimit) {
    const std::clock_t start = std::clock();
    const std::u16string blanks(499, u' ');
    tstring text;
    text.Format(u"%*d", INT_MAX, 7);
    EXPECT_EQ(text.GetBase(), blanks);
    text.Format(u"%*s|", INT_MAX, u"ab");
    EXPECT_EQ(text.GetBase(), blanks);
    text.Format(u"%-*d|", INT_MAX, 7);
    EXPECT_EQ(text.GetBase(), u"7" + std::u16string(498, u' '));
    text.Format(u"%0*d", 4294967295u, -5);
    EXPECT_EQ(text.GetBase(), u"-" + std::u16string(498, u'0'));
    text.Format(u"%*s", INT_MIN, u"ab");  // negative: left-justified
    EXPECT_EQ(text.GetBase(), u"ab" + std::u16string(497, u' '));
    text.Format(u"x%99999999999d", 1);
    EXPECT_EQ(text.GetBase(), u"x" + std::u16string(498, u' '));
    // A double's exact digits, then zeros: a bounded precision still shows them all.
    text.Format(u"%.*f", INT_MAX, 0.1);
    const std::u16string exact = u"0.1000000000000000055511151231257827021181583404541015625";
    EXPECT_EQ(text.GetBase(), exact + std::u16string(499 - exact.size(), u'0'));
    text.Format(u"%.*f", INT_MAX, 0.96);
    EXPECT_EQ(text.GetBase().substr(0, 6), u"0.9599");
    text.Format(u"%.*s|%.*d", -1, u"abc", INT_MAX, 3);  // a negative precision counts as none
    EXPECT_EQ(text.GetBase(), u"abc|" + std::u16string(495, u'0'));
    EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 1.0);
}

TEST(TextTstring, NarrowConstructorUsesTheCodePageAndTheLimit) {
    setenv("VANTOR_CODEPAGE", "UTF-8", 1);
    EXPECT_EQ(tstring("张三 zs").GetBase(), u"张三 zs");
    EXPECT_TRUE(tstring("").IsEmpty());
    EXPECT_EQ(tstring(std::string(600, 'a').c_str()).GetLength(), 499);
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    EXPECT_EQ(tstring("\xD5\xC5\xC8\xFD").GetBase(), u"张三");
    unsetenv("VANTOR_CODEPAGE");
}

TEST(TextTstring, ToMultiByteReportsLossButStillConverts) {
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService scope(boxes);
    EXPECT_EQ(tstring().ToMultiByte(), nullptr);
    EXPECT_EQ(tstring::ToMultiByte(nullptr), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());

    setenv("VANTOR_CODEPAGE", "GBK", 1);
    auto gbk = tstring(u"张三").ToMultiByte();
    ASSERT_NE(gbk, nullptr);
    EXPECT_STREQ(gbk.get(), "\xD5\xC5\xC8\xFD");
    EXPECT_TRUE(boxes.Boxes().empty());

    auto lossy =
        tstring(u"a\u0E01\U0001F600b").ToMultiByte();  // neither the Thai letter nor the emoji exist in GBK
    ASSERT_NE(lossy, nullptr);
    EXPECT_STREQ(lossy.get(), "a??b");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, u"有些字符不能转化为多字节编码");
    EXPECT_EQ(boxes.Boxes()[0].caption, u"信息提示");
    unsetenv("VANTOR_CODEPAGE");
}

TEST(TextTstring, EqualBufferAndCopies) {
    EXPECT_EQ(tstring::EqualBuffer("abc", "abd", 2), 1);
    EXPECT_EQ(tstring::EqualBuffer("abc", "abd", 3), 0);
    EXPECT_EQ(tstring::EqualBuffer(nullptr, "a", 0), 1);
    tstring original(u"abc");
    tstring copy = original;
    copy.GetBase() += u"d";
    EXPECT_EQ(original.GetBase(), u"abc");
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(copy)), u"abcd");
    EXPECT_TRUE(tstring(static_cast<const char16_t*>(nullptr)).IsEmpty());
}

}  // namespace
