// The UTF-16 paths the video library is given reach the file system as the bytes the host listed.
#include <gtest/gtest.h>
#include "wide_text.h"

namespace {

TEST(VideoWideText, WidePathsBecomeTheFileSystemsBytes) {
    EXPECT_EQ(zorvane::NativePathFromWide(u"\\tmp\\Show\\clip.avi"), "/tmp/Show/clip.avi");
    EXPECT_EQ(zorvane::NativePathFromWide(u"/tmp/婚礼/录像.mov"), "/tmp/婚礼/录像.mov");
    EXPECT_EQ(zorvane::NativePathFromWide(u"a\U0001F389b.avi"), "a\U0001F389b.avi");  // a surrogate pair
    // "婚礼" in GBK bytes, each stray byte carried as U+DC00 + byte.
    EXPECT_EQ(zorvane::NativePathFromWide(u"/v/\xDCBB\xDCE9\xDCC0\xDCF1.avi"), "/v/\xBB\xE9\xC0\xF1.avi");
    // A lone surrogate that escapes no byte.
    EXPECT_EQ(zorvane::NativePathFromWide(u"x\xD83Dy"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(zorvane::NativePathFromWide(u"x\xDC41"), "x\xEF\xBF\xBD");
    EXPECT_EQ(zorvane::NativePathFromWide(u""), "");
}

}  // namespace
