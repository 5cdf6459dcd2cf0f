// End to end through the host sound device: a tone set through the machine's
// sound generator ports comes out of SDL (disk driver) at its pitch.
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <numeric>
#include <thread>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"
#include "platform/qt/qt_host.h"
#include "qt_tests.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    void toneAOf440HzComesOutAt440Hz() {
        const char* path = std::getenv("SDL_DISKAUDIOFILE");
        QVERIFY2(path && std::string(std::getenv("SDL_AUDIODRIVER") ?: "") == "disk", "needs SDL's disk audio driver");
        settings = Settings::Defaults();
        settings.clickerOn = 0;
        Machine::RecomputeTiming();
        FrameScheduler::InitClock();
        QVERIFY(SoundInit());
        psgInit(settings.ayVolumePercent);
        // Period 284, tone A only: 2 MHz / (16 x 284) = 440.1 Hz; in the generator's fixed
        // point (2890 units a step, 32768 a sample) 22050 x 32768 / (2 x 284 x 2890) = 440.16 Hz.
        for (auto [reg, value] : {std::pair{7, 0x3E}, {0, 284 & 0xFF}, {1, 284 >> 8}, {8, 15}}) {
            Machine::WritePort(0xA0, uint8_t(reg));
            Machine::WritePort(0xA1, uint8_t(value));
        }
        auto next = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 120; ++frame) {  // two seconds, paced as the loop paces them
            SoundFrameStart(Machine::state.cycleCounter);
            SoundFrameEnd();
            next += std::chrono::nanoseconds(FrameScheduler::state.ticksPerFrame);
            std::this_thread::sleep_until(next);
        }
        SoundShutdown();
        platform::qt::Finalise();  // closes the device: the file is complete
        std::ifstream file(path, std::ios::binary);
        std::vector<int16_t> samples;
        for (int16_t s; file.read(reinterpret_cast<char*>(&s), 2);) samples.push_back(s);
        QVERIFY2(samples.size() > 22050, "less than a second of sound reached the device");
        // Rising crossings of the mean level over the middle second; ten periods
        // at a time, the median span (a late frame's jump spoils only a few).
        size_t from = samples.size() / 2 - 11025, to = from + 22050;
        double mean = std::accumulate(samples.begin() + from, samples.begin() + to, 0.0) / 22050;
        std::vector<size_t> rises;
        for (size_t i = from; i < to; ++i)
            if (samples[i - 1] < mean && samples[i] >= mean) rises.push_back(i);
        std::vector<double> spans;
        for (size_t r = 10; r < rises.size(); ++r) spans.push_back(double(rises[r] - rises[r - 10]) / 10);
        QVERIFY(spans.size() > 100);
        std::nth_element(spans.begin(), spans.begin() + spans.size() / 2, spans.end());
        double hertz = 22050.0 / spans[spans.size() / 2];
        QVERIFY2(std::abs(hertz - 440.16) < 2.0, qPrintable(QString("measured %1 Hz").arg(hertz)));
    }
};

std::vector<std::unique_ptr<QObject>> makeSoundTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<SoundTest>());
    return tests;
}

#include "sound_test.moc"
