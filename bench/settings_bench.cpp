// Cost of one Settings.ini lookup (the file is read afresh every time) in a
// file of the usual size and in a 50 MB one, and of parsing a UI.txt.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "skin/settings_file.h"
#include "skin/ui_description.h"

namespace {

std::string TypicalSettings() {
  std::string text = "; menu captions and notification texts\n";
  for (const char* language : {"English", "ChineseS", "ChineseT"}) {
    text += std::string("[") + language + "]\n";
    for (const char* key :
         {"PopMenu1", "PopMenu2", "PopMenu3", "Hint", "LT_Title", "RT_Title", "CPI_Title", "RT1"})
      text += std::string(key) + "=\xE5\x85\xB3\xE9\x97\xAD text\n";
    text += "\n";
  }
  text += "[Default]\n";
  for (int i = 1; i <= 6; ++i) text += "LT" + std::to_string(i) + "=LT state text\n";
  for (int i = 1; i <= 6; ++i) text += "CPI" + std::to_string(i) + "=CPI level text\n";
  text += "RT2=Mode two\nRT3=Mode three\n";
  return text;
}

std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("corvane_bench_" + std::to_string(::getpid()) + "_" + name);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_SettingsLookupTypicalFile(benchmark::State& state) {
  const std::string path = WriteTempFile("typical.ini", TypicalSettings());
  const SettingsFile settings(path);
  for (auto _ : state) benchmark::DoNotOptimize(settings.ReadString(u"Default", u"RT3", u"@@"));
  std::filesystem::remove(path);
}
BENCHMARK(BM_SettingsLookupTypicalFile);

// The wanted key sits behind 50 MB of another section, or is missing from a
// 50 MB section; the counter shows the process's peak memory afterwards.
void BM_SettingsLookup50MegabyteFile(benchmark::State& state) {
  const bool keyInsideTheBigSection = state.range(0) != 0;
  std::string bytes = "[Default]\n";
  const std::string filler = "Filler=" + std::string(100, 'f') + "\n";
  while (bytes.size() < 50u * 1024 * 1024) bytes += filler;
  bytes += "[English]\nPopMenu1=Close\n";
  const std::string path = WriteTempFile("big.ini", bytes);
  const long fileKilobytes = static_cast<long>(bytes.size() / 1024);
  bytes = std::string();

  const SettingsFile settings(path);
  const std::u16string_view section = keyInsideTheBigSection ? u"Default" : u"English";
  for (auto _ : state) benchmark::DoNotOptimize(settings.ReadString(section, u"PopMenu1", u"@@"));
  state.counters["file_MB"] = static_cast<double>(fileKilobytes) / 1024.0;
  state.counters["peak_RSS_MB"] = static_cast<double>(PeakResidentKilobytes()) / 1024.0;
  std::filesystem::remove(path);
}
BENCHMARK(BM_SettingsLookup50MegabyteFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UiDescriptionParse(benchmark::State& state) {
  std::string text = "[Default]\n";
  for (int i = 0; i < 40; ++i)
    text +=
        "formLTKeyHintDialog->lb_Element" + std::to_string(i) + "->Position=rectwh,10,20,200,30\n";
  for (const char* language : {"English", "ChineseS", "ChineseT"})
    text += std::string("[") + language + "]\nFontName=Tahoma\nlb_Text->Font->Size=9\n";
  for (auto _ : state) benchmark::DoNotOptimize(UiDescription::FromBytes(text));
}
BENCHMARK(BM_UiDescriptionParse);

}  // namespace
