// The profile (INI) reader and writer: the document behind the profile functions in memory, and
// CIni over a real file in a scratch folder.
//
// Input: one byte picks the code page (and, with its high bit, whether CIni also reads and
// writes the bytes as a file); the rest is the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "files/ini.h"
#include "fuzz_support.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_document.h"

namespace {

using vantor::ProfileDocument;
using namespace vantor_fuzz;

constexpr std::size_t kLongestFileForCIni = 4096;  // file round trips are slow; small files find the same

// A folder of its own for the run, removed at its end: below VANTOR_FUZZ_SCRATCH (the run script's
// folder, removed by it even after a crash), else on a memory file system when there is one.
class ScratchFolder {
  public:
    ScratchFolder() {
        const char* chosen = std::getenv("VANTOR_FUZZ_SCRATCH");
        const char* base = chosen != nullptr && *chosen != '\0'        ? chosen
                           : std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                       : "/tmp";
        std::string pattern = std::string(base) + "/vantor-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

const ScratchFolder& Scratch() {
    static ScratchFolder folder;
    return folder;
}

// Whatever the bytes, the document gives them back unchanged, lists names that it can look up,
// and edits exactly what it is asked to.
void CheckDocument(std::string_view bytes, const std::string& codePage) {
    ProfileDocument document = ProfileDocument::Parse(bytes, codePage);
    FUZZ_CHECK(document.Serialize() == bytes);

    const std::vector<std::u16string> sections = document.SectionNames();
    std::optional<std::u16string> firstKey;
    for (std::size_t i = 0; i < sections.size() && i < 8; ++i) {
        const auto keys = document.KeyNames(sections[i]);
        FUZZ_CHECK(keys.has_value());
        for (std::size_t k = 0; k < keys->size() && k < 8; ++k) {
            FUZZ_CHECK(document.Value(sections[i], (*keys)[k]).has_value());
        }
        if (i == 0 && !keys->empty()) {
            firstKey = keys->front();
        }
    }

    // A key of the file gets a new value, in memory and after a write and a read.
    if (firstKey) {
        document.SetValue(sections.front(), *firstKey, u"42");
        FUZZ_CHECK(document.Value(sections.front(), *firstKey) == u"42");
    }
    document.SetValue(u"fz", u"key1", u"v1");
    FUZZ_CHECK(document.Value(u"fz", u"key1") == u"v1");
    const std::string written = document.Serialize();
    ProfileDocument reread = ProfileDocument::Parse(written, codePage);
    FUZZ_CHECK(reread.Value(u"fz", u"key1") == u"v1");
    FUZZ_CHECK(reread.Serialize() == written);

    document.DeleteKey(u"fz", u"key1");
    FUZZ_CHECK(!document.Value(u"fz", u"key1").has_value());
    document.DeleteSection(u"fz");
    FUZZ_CHECK(!document.KeyNames(u"fz").has_value());
    if (!sections.empty()) {
        document.DeleteSection(sections.front());
        FUZZ_CHECK(!document.KeyNames(sections.front()).has_value());
    }

    // Names and values taken from the bytes themselves: no property, only no fault.
    const std::u16string wide = vantor::NarrowToWide(bytes.substr(0, 64), codePage);
    const std::size_t third = wide.size() / 3;
    document.SetValue(wide.substr(0, third), wide.substr(third, third), wide.substr(2 * third));
    document.DeleteKey(wide.substr(third, third), wide.substr(0, third));
    ProfileDocument::Parse(document.Serialize(), codePage).SectionNames();
}

// CIni over the bytes as a file: every listed section exists, and a written value reads back.
void CheckIniFile(std::string_view bytes) {
    if (Scratch().path().empty() || bytes.size() > kLongestFileForCIni) {
        return;
    }
    const std::filesystem::path file = Scratch().path() / "fuzz.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    CIni ini;
    FUZZ_CHECK(ini.Open(vantor::FromNativePath(file.string())) == 1);
    const std::vector<tstring> sections = ini.GetAllSections();
    for (std::size_t i = 0; i < sections.size() && i < 4; ++i) {
        FUZZ_CHECK(ini.IsSectionExist(sections[i]) == 1);
        for (const tstring& key : ini.GetAllSectionKeys(sections[i])) {
            ini.GetSValue(sections[i], key);
            ini.GetIValue(sections[i], key);
        }
    }
    FUZZ_CHECK(ini.WriteValue(u"fz", u"key1", u"v1") != 0);
    FUZZ_CHECK(ini.GetSValue(u"fz", u"key1") == u"v1");
    FUZZ_CHECK(ini.WriteValue(u" fz ", u"count", -12345) != 0);
    FUZZ_CHECK(ini.GetIValue(u"FZ", u"count") == -12345);
    FUZZ_CHECK(ini.IsKeyExistInSection(u"fz", u"key1") == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::uint8_t mode = input.Byte();
    const std::string_view bytes = input.Rest();
    CheckDocument(bytes, CodePage(mode));
    if (mode & 0x80) {
        CheckIniFile(bytes);
    }
    return 0;
}
