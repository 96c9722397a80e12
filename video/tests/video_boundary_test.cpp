// The video library's boundary: it needs no library of the system (it is loaded beside the wall
// without Tarquel). This program loads the shared library as the wall does (LOADED in
// video/CMakeLists.txt); the paths it is given are video_wide_text_test's.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <string>
#include <vector>
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

}  // namespace
