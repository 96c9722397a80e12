#include <gtest/gtest.h>

#include <cstdlib>

#include "text/narrow_text.h"

namespace {

// Sets VANTOR_CODEPAGE for one test and restores the environment afterwards.
class CodePageScope {
  public:
    explicit CodePageScope(const char* codePage) {
        if (const char* old = std::getenv("VANTOR_CODEPAGE")) {
            previous_ = old;
            had_ = true;
        }
        if (codePage) {
            setenv("VANTOR_CODEPAGE", codePage, 1);
        } else {
            unsetenv("VANTOR_CODEPAGE");
        }
    }
    ~CodePageScope() {
        if (had_) {
            setenv("VANTOR_CODEPAGE", previous_.c_str(), 1);
        } else {
            unsetenv("VANTOR_CODEPAGE");
        }
    }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;

  private:
    std::string previous_;
    bool had_ = false;
};

TEST(PlatformNarrowText, CodePageComesFromTheEnvironment) {
    {
        CodePageScope scope("GBK");
        EXPECT_EQ(vantor::NarrowCodePage(), "GBK");
        EXPECT_EQ(vantor::NarrowToWide("\xD5\xC5\xC8\xFD"), u"张三");
    }
    CodePageScope none(nullptr);
    EXPECT_FALSE(vantor::NarrowCodePage().empty());
}

TEST(PlatformNarrowText, ATextFileIsUtf8WhenItsBytesAreElseTheLegacyCodePage) {
    CodePageScope none(nullptr);
    EXPECT_EQ(vantor::TextFileCodePage(""), "UTF-8");
    EXPECT_EQ(vantor::TextFileCodePage("\xE5\xBC\xA0\xE4\xB8\x89 # 8\n"), "UTF-8");
    EXPECT_EQ(vantor::TextFileCodePage("\xEF\xBB\xBF\xD5\xC5"), "UTF-8") << "the mark decides";
    EXPECT_EQ(vantor::TextFileCodePage("zs # \xD5\xC5\xC8\xFD # 8\n"), "GBK");
    // Cut, overlong and surrogate sequences are no UTF-8.
    for (const char* bad : {"a\xE5\xBC", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(vantor::IsValidUtf8(bad)) << bad;
    }
    EXPECT_TRUE(vantor::IsValidUtf8("\xF0\x9F\x98\x80"));
    CodePageScope big5("BIG5");
    EXPECT_EQ(vantor::TextFileCodePage("\xB1\x69"), "BIG5");
    EXPECT_EQ(vantor::WithoutUtf8Mark("\xEF\xBB\xBF"
                                      "ab"),
              "ab");
}

TEST(PlatformNarrowText, RoundTripsInUtf8AndGbk) {
    const std::u16string text = u"签到 Sign-in 2024";
    for (const char* codePage : {"UTF-8", "GBK"}) {
        bool lossy = true;
        const std::string narrow = vantor::WideToNarrow(text, codePage, &lossy);
        EXPECT_FALSE(lossy) << codePage;
        EXPECT_EQ(vantor::NarrowToWide(narrow, codePage), text) << codePage;
    }
    EXPECT_EQ(vantor::WideToNarrow(u"签到", "UTF-8"), "\xE7\xAD\xBE\xE5\x88\xB0");
    EXPECT_EQ(vantor::WideToNarrow(u"签到", "GBK"), "\xC7\xA9\xB5\xBD");
}

TEST(PlatformNarrowText, UnmappableCharactersBecomeTheDefaultCharacter) {
    bool lossy = false;
    EXPECT_EQ(vantor::WideToNarrow(u"x€y", "ISO-8859-1", &lossy), "x?y");
    EXPECT_TRUE(lossy);
    // A lone surrogate has no narrow form in any code page.
    const std::u16string broken{u'a', static_cast<char16_t>(0xD800), u'b'};
    EXPECT_EQ(vantor::WideToNarrow(broken, "UTF-8", &lossy), "a?b");
    EXPECT_TRUE(lossy);
}

TEST(PlatformNarrowText, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(vantor::NarrowToWide("a\xFF"
                                   "b",
                                   "UTF-8"),
              u"a\uFFFDb");
    EXPECT_EQ(vantor::NarrowToWide("ab\xE7\xAD", "UTF-8"), u"ab\uFFFD\uFFFD");  // cut in the middle
    EXPECT_EQ(vantor::NarrowToWide("\xD5", "GBK"), u"\uFFFD");
    // An unknown code page name falls back to UTF-8 instead of failing.
    EXPECT_EQ(vantor::NarrowToWide("\xE7\xAD\xBE", "NO-SUCH-CODEPAGE"), u"签");
}

TEST(PlatformNarrowText, Utf8ConversionsHandleAllPlanes) {
    const std::u16string text = u"a\u00E9\u7B7E\U0001F600";
    const std::string utf8 = vantor::WideToUtf8(text);
    EXPECT_EQ(utf8, "a\xC3\xA9\xE7\xAD\xBE\xF0\x9F\x98\x80");
    EXPECT_EQ(vantor::Utf8ToWide(utf8), text);
    EXPECT_EQ(vantor::Utf8ToWide("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong forms are refused
    EXPECT_EQ(vantor::Utf8ToWide("\xF0\x9F"), u"\uFFFD\uFFFD");
    EXPECT_EQ(vantor::WideToUtf8(std::u16string(1, static_cast<char16_t>(0xDC00))), "\xEF\xBF\xBD");
}

TEST(PlatformNarrowText, FileNamesKeepEveryByte) {
    // GBK names, stray continuation bytes, cut and overlong sequences, an encoded surrogate: each
    // comes back byte for byte, while the valid UTF-8 around them reads as text.
    for (const std::string& bytes :
         {std::string("\xD5\xC5\xC8\xFD.jpg"), std::string("a\x80\xBF"), std::string("\xE7\xAD.wav"),
          std::string("\xC0\x80"), std::string("\xED\xA0\x80"), std::string("\xF0\x9F"),
          std::string("\xE7\xAD\xBE\xFF\xF0\x9F\x98\x80")}) {
        EXPECT_EQ(vantor::WideToFileName(vantor::FileNameToWide(bytes)), bytes);
    }
    EXPECT_EQ(vantor::FileNameToWide("\xE7\xAD\xBE\xFF"), u"\u7B7E\xDCFF");
    EXPECT_EQ(vantor::WideToFileName(u"\u7B7E\U0001F600"), vantor::WideToUtf8(u"\u7B7E\U0001F600"));
    // Only the escapes of bytes turn back into bytes; other lone surrogates cannot be written.
    EXPECT_EQ(vantor::WideToFileName(std::u16string(1, static_cast<char16_t>(0xDC41))), "\xEF\xBF\xBD");
    // The text conversions still replace what is not UTF-8.
    EXPECT_EQ(vantor::Utf8ToWide("\xD5"), u"\uFFFD");
}

TEST(PlatformNarrowText, LongTextCrossesTheConversionBuffer) {
    std::u16string text;
    for (int i = 0; i < 5000; ++i) {
        text += u"张a";
    }
    EXPECT_EQ(vantor::NarrowToWide(vantor::WideToNarrow(text, "GBK"), "GBK"), text);
}

}  // namespace
