// Makes the station's short sounds into the installation folder given as argv[1]:
//   Sound\cap.wav       the photo: a soft two-blade camera shutter, about a quarter second
//   Sound\save.wav      the save: a bright three-note chime rising to the octave, under a second
//   Sound\beginlot.wav  the start of the lottery draw: a brass fanfare rising through the C major
//                       chord to a held chord, a little over two seconds
// 16-bit mono PCM at 44100 Hz, synthesised here so that the content needs no recordings.
#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<double>;  // -1 .. 1

// A small repeatable noise source, so every build makes the same files.
class Noise {
  public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
    }

  private:
    std::uint32_t state_ = 0x2545F491u;
};

int SampleCount(double seconds) {
    return static_cast<int>(seconds * kRate);
}

// One shutter blade: a burst of noise through a simple resonant band filter, fading fast.
void AddClick(Samples& out, double at_s, double length_s, double centre_hz, double gain, Noise& noise) {
    const double w = 2.0 * kPi * centre_hz / kRate;
    const double r = 0.96;
    double y1 = 0.0;
    double y2 = 0.0;
    const int start = SampleCount(at_s);
    const int count = SampleCount(length_s);
    for (int i = 0; i < count && start + i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / count;
        const double envelope = std::exp(-7.0 * t) * std::min(1.0, i / 40.0);
        const double y = noise.Next() * (1.0 - r) + 2.0 * r * std::cos(w) * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        out[start + i] += y * envelope * gain * 6.0;
    }
}

// A bell-like tone: the fundamental with two soft partials, a quick attack and a long decay.
void AddBell(Samples& out, double at_s, double length_s, double hz, double gain) {
    const int start = SampleCount(at_s);
    const int count = SampleCount(length_s);
    for (int i = 0; i < count && start + i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double envelope = std::min(1.0, i / 220.0) * std::exp(-4.2 * t / length_s);
        const double tone = std::sin(2.0 * kPi * hz * t) + 0.35 * std::sin(2.0 * kPi * hz * 2.0 * t) +
                            0.12 * std::sin(2.0 * kPi * hz * 3.01 * t) * std::exp(-6.0 * t);
        out[start + i] += tone * envelope * gain;
    }
}

// A brass-like note: the full row of harmonics, the upper ones opening a little after the lower
// ones as in a horn, a light vibrato once the note is held, and a short release at the end.
void AddBrass(Samples& out, double at_s, double length_s, double hz, double gain) {
    const int start = SampleCount(at_s);
    const int count = SampleCount(length_s);
    const int release = std::min(SampleCount(0.09), count / 3);
    constexpr int kHarmonics = 12;
    double phase = 0.0;
    for (int i = 0; i < count && start + i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.035);
        const double settle = 0.82 + 0.18 * std::exp(-t / 0.08);
        const double tail = i >= count - release ? static_cast<double>(count - i) / release : 1.0;
        const double envelope = attack * settle * tail;
        // The vibrato bends the frequency, so the phase is summed sample by sample.
        const double depth = 0.004 * std::clamp((t - 0.25) / 0.3, 0.0, 1.0);
        phase += 2.0 * kPi * hz * (1.0 + depth * std::sin(2.0 * kPi * 5.5 * t)) / kRate;
        double tone = 0.0;
        for (int n = 1; n <= kHarmonics && hz * n < kRate / 2.2; ++n) {
            const double opening = std::pow(attack, 1.0 + 0.35 * (n - 1));
            // Above a few kHz the bell of the horn lets less through, which keeps the tone round.
            const double bell = 1.0 / (1.0 + std::pow(hz * n / 3200.0, 2.0));
            tone += opening * bell * std::sin(n * phase) / std::pow(n, 1.1);
        }
        out[start + i] += tone * envelope * gain;
    }
}

// Scales the loudest sample to `peak` and fades the last milliseconds to silence.
void Finish(Samples& samples, double peak) {
    double loudest = 0.0;
    for (double s : samples) {
        loudest = std::max(loudest, std::abs(s));
    }
    const double scale = loudest > 0.0 ? peak / loudest : 0.0;
    const int fade = std::min<int>(SampleCount(0.01), static_cast<int>(samples.size()));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] *= scale;
        const int left = static_cast<int>(samples.size() - i);
        if (left < fade) {
            samples[i] *= static_cast<double>(left) / fade;
        }
    }
}

Samples Shutter() {
    Samples samples(SampleCount(0.26), 0.0);
    Noise noise;
    AddClick(samples, 0.000, 0.060, 2400.0, 1.0, noise);
    AddClick(samples, 0.004, 0.050, 5200.0, 0.5, noise);
    AddClick(samples, 0.130, 0.090, 1800.0, 0.8, noise);
    AddClick(samples, 0.134, 0.070, 4300.0, 0.4, noise);
    Finish(samples, 0.7);
    return samples;
}

Samples Chime() {
    Samples samples(SampleCount(0.95), 0.0);
    AddBell(samples, 0.00, 0.55, 1046.50, 0.8);  // C6
    AddBell(samples, 0.11, 0.55, 1318.51, 0.7);  // E6
    AddBell(samples, 0.22, 0.73, 2093.00, 0.6);  // C7
    Finish(samples, 0.6);
    return samples;
}

// The draw starts: a quick rise G4 C5 E5 G5, the G5 once more, and the chord C5 E5 G5 C6 over C4 held.
Samples Fanfare() {
    Samples samples(SampleCount(2.2), 0.0);
    AddBrass(samples, 0.00, 0.13, 392.00, 1.3);  // G4
    AddBrass(samples, 0.14, 0.13, 523.25, 1.3);  // C5
    AddBrass(samples, 0.28, 0.13, 659.25, 1.3);  // E5
    AddBrass(samples, 0.42, 0.16, 783.99, 1.3);  // G5
    AddBrass(samples, 0.62, 0.16, 783.99, 1.3);  // G5
    const double chord = 0.82;
    const double held = 2.2 - chord;
    AddBrass(samples, chord, held, 261.63, 0.45);  // C4
    AddBrass(samples, chord, held, 523.25, 0.55);  // C5
    AddBrass(samples, chord, held, 659.25, 0.5);   // E5
    AddBrass(samples, chord, held, 783.99, 0.5);   // G5
    AddBrass(samples, chord, held, 1046.50, 0.4);  // C6
    // The held chord swells a little and then dies away.
    const int from = SampleCount(chord);
    for (int i = from; i < static_cast<int>(samples.size()); ++i) {
        const double t = static_cast<double>(i - from) / kRate;
        samples[i] *=
            (1.0 + 0.25 * std::sin(kPi * std::min(1.0, t / 0.5))) * std::exp(-0.9 * std::max(0.0, t - 0.4));
    }
    Finish(samples, 0.75);
    return samples;
}

void PutLe(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

bool WriteWave(const Samples& samples, const QString& path) {
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    QByteArray bytes;
    bytes.append("RIFF");
    PutLe(bytes, 36 + data_bytes, 4);
    bytes.append("WAVEfmt ");
    PutLe(bytes, 16, 4);
    PutLe(bytes, 1, 2);  // PCM
    PutLe(bytes, 1, 2);  // mono
    PutLe(bytes, kRate, 4);
    PutLe(bytes, kRate * 2, 4);
    PutLe(bytes, 2, 2);
    PutLe(bytes, 16, 2);
    bytes.append("data");
    PutLe(bytes, data_bytes, 4);
    for (double s : samples) {
        const auto value = static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0));
        PutLe(bytes, static_cast<std::uint16_t>(value), 2);
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "sound_art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sound_art <installation folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = WriteWave(Shutter(), root + "/Sound/cap.wav");
    ok &= WriteWave(Chime(), root + "/Sound/save.wav");
    ok &= WriteWave(Fanfare(), root + "/Sound/beginlot.wav");
    return ok ? 0 : 1;
}
