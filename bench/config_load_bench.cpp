// Start-up cost of reading a complete settings file, and the per-frame
// keyboard poll.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "input/keyboard.h"
#include "platform/headless/headless.h"
#include "tests/ini_test_support.h"

namespace {

// A settings file with every section written, as after a few confirmed dialogs.
std::string makeFullSettingsFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vz-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    iniPath = pattern + "/default.ini";
    settings = Settings::Defaults();
    SaveEverySection();
    return pattern;
}

void BM_LoadAllFromAFullFile(benchmark::State& state) {
    std::string dir = makeFullSettingsFile();
    for (auto _ : state) {
        settings = Settings::Defaults();
        Settings::LoadAll();
        benchmark::DoNotOptimize(settings.sensibleKeyMap[2][255]);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadAllFromAFullFile)->Unit(benchmark::kMillisecond);

void BM_SaveKeyboard(benchmark::State& state) {
    std::string dir = makeFullSettingsFile();
    for (auto _ : state) Settings::SaveKeyboard();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveKeyboard)->Unit(benchmark::kMillisecond);

void BM_KeyboardPollWithAKey(benchmark::State& state) {
    platform::headless::ResetAll();
    settings = Settings::Defaults();
    KeyboardMapper::BuildTables();
    platform::headless::SetKeyDown(0x41, true);
    for (auto _ : state) {
        KeyboardMapper::OnKeyDown(0x41);
        KeyboardMapper::PollFrame();
        CpuCore::ClearPendingInterrupts();  // the program takes each key
    }
}
BENCHMARK(BM_KeyboardPollWithAKey);

}  // namespace

BENCHMARK_MAIN();
