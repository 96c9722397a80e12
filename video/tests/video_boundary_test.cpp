// The video library's boundary: it needs no library of the system (it is loaded beside the wall
// without Tarquel), and the UTF-16 paths it is given reach the file system as the bytes the host
// listed.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <string>
#include <vector>
#include "wide_text.h"
#include "zorvane.h"

namespace {

struct NeededSearch {
    std::string object;  // the loaded file
    bool found = false;
    std::vector<std::string> needed;
};

// The DT_NEEDED entries of a loaded object, read from its dynamic section in memory.
int CollectNeeded(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<NeededSearch*>(data);
    if (info->dlpi_name == nullptr || search->object != info->dlpi_name) {
        return 0;
    }
    search->found = true;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type != PT_DYNAMIC) {
            continue;
        }
        const auto* dynamic =
            reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
        const char* strings = nullptr;
        for (const ElfW(Dyn)* entry = dynamic; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_STRTAB) {
                strings = reinterpret_cast<const char*>(entry->d_un.d_ptr);
            }
        }
        for (const ElfW(Dyn)* entry = dynamic; strings != nullptr && entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_NEEDED) {
                search->needed.emplace_back(strings + entry->d_un.d_val);
            }
        }
    }
    return 1;
}

TEST(VideoBoundary, TheLibraryNeedsNothingOfTheSystem) {
    Dl_info where{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&vpInitialize), &where), 0);
    NeededSearch search{where.dli_fname};
    dl_iterate_phdr(&CollectNeeded, &search);
    ASSERT_TRUE(search.found) << "Zorvane is not a loaded library: " << where.dli_fname;
    EXPECT_FALSE(search.needed.empty());
    for (const std::string& needed : search.needed) {
        EXPECT_EQ(needed.find("Tarquel"), std::string::npos) << needed;
    }
}

TEST(VideoBoundary, WidePathsBecomeTheFileSystemsBytes) {
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
