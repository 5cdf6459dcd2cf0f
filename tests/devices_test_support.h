// Shared set-up for the device tests: a scratch folder, whole-file access and
// a fixture that puts every device and the CPU back to power-on state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"

namespace devices_test {

// A fresh folder under the system's temporary directory, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vzdev-XXXXXX").string();
        if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a scratch folder";
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A file of `size` bytes that takes no disk space (zeros), with `last` as its final byte.
inline void WriteSparse(const std::string& path, uint64_t size, uint8_t last) {
    { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
    std::filesystem::resize_file(path, size - 1);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.put(char(last));
}

// File chooser `i` of this run on one line: open or save, "existing" when the
// file must exist, the default extension, the proposed path, then each filter.
inline std::string Chooser(size_t i) {
    const auto& choosers = platform::headless::FileChoosers();
    if (i >= choosers.size()) return "no chooser " + std::to_string(i);
    const platform::FileChooserRequest& r = choosers[i].request;
    std::string line = std::string(choosers[i].save ? "save " : "open ") + (r.mustExist ? "existing " : "") +
                       r.defaultExtension + " " + r.presetPath;
    for (const auto& filter : r.filters) line += " | " + filter.description + " " + filter.patterns;
    return line;
}

// Every device closed and emptied, default settings, interrupts enabled; the
// settings file (written when paths are remembered) lives in the scratch folder.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        iniPath = folder.File("settings.ini");
        TearDown();
        QuickType::state.quickTypeFrameCount = 0;
        CassetteDeck::state = CassetteDeck::State{};
        CassetteDeck::cassetteMotorOn = false;
        CassetteDeck::fileActivity = 0;
        PrinterPort::state = PrinterPort::State{};
        Machine::state = Machine::State{};
        CpuCore::state = CpuState{};
        CpuCore::ClearPendingInterrupts();
        CpuCore::state.iff1 = 1;
    }
    void TearDown() override {
        QuickType::Stop();
        CassetteDeck::Eject();
        CassetteDeck::EndRecording();
        PrinterPort::Close();
    }

    ScratchFolder folder;
    std::string savedIniPath = iniPath;
    ~DeviceTest() override { iniPath = savedIniPath; }
};

}  // namespace devices_test
