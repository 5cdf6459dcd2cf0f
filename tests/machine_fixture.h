// Shared set-up for the machine tests: every global the machine touches back
// to its start state, with the built-in ROM images loaded.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        CpuCore::lastOpcodeAddress = 0;
        Machine::state.cartridgeCodeRun = false;
        Machine::RemoveGameRom();
        Machine::state = Machine::State{};
        Machine::LoadRomImages();
        Machine::romSource = Machine::BasicRomImage;
        CpuCore::Reset();
        FrameScheduler::state = FrameScheduler::State{};
        Machine::RecomputeTiming();
        platform::headless::ClearRecords();
        dir_ = std::filesystem::temp_directory_path() /
               ("vz_machine_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        iniPath = (dir_ / "test.ini").string();  // remembered file names go here, not into the work tree
    }
    void TearDown() override {
        CpuCore::lastOpcodeAddress = 0;
        Machine::state.cartridgeCodeRun = false;
        Machine::RemoveGameRom();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        settings = Settings::Defaults();
        iniPath = "default.ini";
    }

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = (dir_ / name).string();
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    static void Out(uint16_t port, uint8_t value) { Machine::WritePort(port, value); }
    static uint8_t In(uint16_t port) { return Machine::ReadPort(port); }
    // Selects an AY register through port A0h and writes it through A1h.
    static void AyWrite(uint8_t reg, uint8_t value) {
        Out(0xA0, reg);
        Out(0xA1, value);
    }

    std::filesystem::path dir_;
};
