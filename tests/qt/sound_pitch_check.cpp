// End to end through the host sound device: a tone set through the machine's
// sound generator ports comes out of SDL (disk driver) at its pitch.
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numeric>
#include <thread>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"
#include "platform/qt/qt_host.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"

namespace {

constexpr uint16_t kAySelect = 0xA0, kAyData = 0xA1;

void writeAy(uint8_t reg, uint8_t value) {
    Machine::WritePort(kAySelect, reg);
    Machine::WritePort(kAyData, value);
}

std::vector<int16_t> readSamples(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The tone's frequency over the middle second of the recording: the mean
// spacing of rising crossings of the mean level, leaving out spacings far from
// the median (a late frame leaves a gap).
double measuredHertz(const std::vector<int16_t>& samples) {
    size_t from = samples.size() / 2 - 11025, to = samples.size() / 2 + 11025;
    double mean = std::accumulate(samples.begin() + from, samples.begin() + to, 0.0) / double(to - from);
    std::vector<double> spacings;
    for (size_t i = from + 1, last = 0; i < to; ++i)
        if (samples[i - 1] < mean && samples[i] >= mean) {
            if (last) spacings.push_back(double(i - last));
            last = i;
        }
    if (spacings.size() < 10) return 0;
    std::vector<double> sorted = spacings;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    double median = sorted[sorted.size() / 2], sum = 0;
    int count = 0;
    for (double v : spacings)
        if (std::abs(v - median) < median * 0.1) {
            sum += v;
            ++count;
        }
    return count ? 22050.0 * count / sum : 0;
}

}  // namespace

class SoundPitchCheck : public QObject {
    Q_OBJECT
private slots:
    void toneAOf440HzComesOutAt440Hz() {
        const char* path = std::getenv("SDL_DISKAUDIOFILE");
        QVERIFY2(path && std::string(std::getenv("SDL_AUDIODRIVER") ?: "") == "disk", "needs SDL's disk audio driver");
        std::remove(path);
        settings = Settings::Defaults();
        settings.clickerOn = 0;
        platform::qt::Initialise();
        Machine::RecomputeTiming();
        FrameScheduler::InitClock();
        QVERIFY(SoundInit());
        psgInit(settings.ayVolumePercent);
        // Period 284: 2 MHz / (16 x 284) = 440.1 Hz; in the generator's fixed
        // point (2890 units a step, 32768 a sample) 22050 x 32768 / (2 x 284 x 2890) = 440.16 Hz.
        writeAy(7, 0x3E);  // tone A only
        writeAy(0, 284 & 0xFF);
        writeAy(1, 284 >> 8);
        writeAy(8, 15);
        const int frames = 120;  // two seconds
        auto period = std::chrono::nanoseconds(FrameScheduler::state.ticksPerFrame);
        auto next = std::chrono::steady_clock::now();
        for (int f = 0; f < frames; ++f) {
            SoundFrameStart(Machine::state.cycleCounter);
            SoundFrameEnd();
            next += period;
            std::this_thread::sleep_until(next);
        }
        SoundShutdown();
        platform::qt::Finalise();  // closes the device: the file is complete

        std::vector<int16_t> samples = readSamples(path);
        QVERIFY2(samples.size() > 22050, "less than a second of sound reached the device");
        double hertz = measuredHertz(samples);
        qInfo("tone measured at %.2f Hz", hertz);
        QVERIFY2(std::abs(hertz - 440.16) < 2.0, qPrintable(QString("measured %1 Hz").arg(hertz)));
    }
};

QTEST_GUILESS_MAIN(SoundPitchCheck)
#include "sound_pitch_check.moc"
