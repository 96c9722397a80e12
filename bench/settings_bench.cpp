// Settings and language look-ups against the plain cost of reading the same file's bytes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "language/language.h"

namespace {

// A settings file of `sections` sections with five keys each, written once into the temp folder.
std::filesystem::path SettingsFile(int sections) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("vantor_settings_bench_" + std::to_string(sections) + ".ini");
    std::ofstream out(path, std::ios::trunc);
    for (int s = 0; s < sections; ++s) {
        out << "[section" << s << "]\r\n";
        for (int k = 0; k < 5; ++k) {
            out << "key" << k << " = value " << s << "-" << k << "\r\n";
        }
    }
    return path;
}

std::filesystem::path LanguageFile(int entries) {
    const auto path = std::filesystem::temp_directory_path() / "vantor_language_bench.txt";
    std::ofstream out(path, std::ios::trunc);
    for (int e = 1; e <= entries; ++e) {
        out << e << "\t`签到文字" << e << "`\t`Sign-in text " << e << "`\n";
    }
    return path;
}

void BM_ReadFileBytes(benchmark::State& state) {
    const auto path = SettingsFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadFileBytes)->Arg(4)->Arg(1000);

void BM_ReadLastValue(benchmark::State& state) {
    const int sections = static_cast<int>(state.range(0));
    const tstring path = vantor::FromNativePath(SettingsFile(sections).string());
    const std::u16string section = u"SECTION" + vantor::Utf8ToWide(std::to_string(sections - 1));
    char16_t buffer[260];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vantor::GetPrivateProfileStringW(section.c_str(), u"KEY4", u"", buffer, 260, path));
    }
}
BENCHMARK(BM_ReadLastValue)->Arg(4)->Arg(1000);

void BM_LoadLanguageTable(benchmark::State& state) {
    const tstring path = vantor::FromNativePath(LanguageFile(static_cast<int>(state.range(0))).string());
    for (auto _ : state) {
        vantor::LanguageTable table;
        table.Load(path, 2);
        benchmark::DoNotOptimize(table.Size());
    }
}
BENCHMARK(BM_LoadLanguageTable)->Arg(60);

}  // namespace

BENCHMARK_MAIN();
