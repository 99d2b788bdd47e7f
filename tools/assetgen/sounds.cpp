// The game's sounds: additive and filtered-noise synthesis, one function a
// sound, written as 16-bit mono WAV at 22050 Hz. Every sound starts and ends
// at silence (short fades) and is scaled to a peak of its own below full
// scale, the crash the loudest.
#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/wav_codec.h"

namespace assetgen {
namespace {

constexpr int kRate = 22050;
constexpr double kTau = 6.283185307179586;

using Samples = std::vector<double>;

Samples Silence(double seconds) {
  return Samples(static_cast<size_t>(seconds * kRate), 0.0);
}

double Time(size_t i) {
  return static_cast<double>(i) / kRate;
}

// A small xorshift generator: the same noise on every machine.
struct Noise {
  uint32_t state;
  explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
  double Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483648.0 - 1.0;  // -1 .. 1
  }
};

// One-pole filters, enough to shape noise.
void LowPass(Samples& s, double cutoff) {
  const double a = 1.0 - std::exp(-kTau * cutoff / kRate);
  double y = 0;
  for (double& x : s) x = y += a * (x - y);
}

void HighPass(Samples& s, double cutoff) {
  Samples low = s;
  LowPass(low, cutoff);
  for (size_t i = 0; i < s.size(); ++i) s[i] -= low[i];
}

Samples NoiseBand(double seconds, uint32_t seed, double low, double high) {
  Samples s = Silence(seconds);
  Noise noise(seed);
  for (double& x : s) x = noise.Next();
  if (high > 0) {
    LowPass(s, high);
    LowPass(s, high);
  }
  if (low > 0) HighPass(s, low);
  return s;
}

// A raised-cosine ramp from 0 to 1 over `seconds` from `start`.
double Ramp(double t, double start, double seconds) {
  if (t <= start) return 0;
  if (t >= start + seconds) return 1;
  return 0.5 - 0.5 * std::cos(kTau * 0.5 * (t - start) / seconds);
}

// Fades in and out so that neither end clicks.
void Fade(Samples& s, double in, double out) {
  const double length = Time(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Time(i);
    s[i] *= Ramp(t, 0, in) * Ramp(length - t, 0, out);
  }
}

void Normalise(Samples& s, double peak) {
  double most = 0;
  for (double x : s) most = std::max(most, std::fabs(x));
  if (most > 0)
    for (double& x : s) x *= peak / most;
}

// To a loudness (RMS) rather than a peak: the gears sound alike in level
// whatever their harmonics.
void NormaliseRms(Samples& s, double rms) {
  double sum = 0;
  for (double x : s) sum += x * x;
  if (sum > 0)
    for (double& x : s) x *= rms / std::sqrt(sum / static_cast<double>(s.size()));
}

void Mix(Samples& into, const Samples& from, double gain, double at = 0) {
  const size_t offset = static_cast<size_t>(at * kRate);
  for (size_t i = 0; i < from.size() && offset + i < into.size(); ++i) into[offset + i] += gain * from[i];
}

// A tone of harmonics 1..amps.size() with a frequency that may change with
// time, its phase carried from sample to sample so a sweep stays smooth.
template <typename Frequency>
Samples Tone(double seconds, const std::vector<double>& amps, Frequency frequency) {
  Samples s = Silence(seconds);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double f = frequency(Time(i));
    double v = 0;
    for (size_t k = 0; k < amps.size(); ++k)
      if (f * static_cast<double>(k + 1) < kRate * 0.45) v += amps[k] * std::sin(kTau * phase * static_cast<double>(k + 1));
    s[i] = v;
    phase += f / kRate;
    phase -= std::floor(phase);
  }
  return s;
}

// The engine in gear 1 to 6: a phrase of half a second as the car pulls
// away, the revs rising and settling. The higher the gear, the higher the
// note, the more and the stronger its upper harmonics and the rougher its
// firing (each cycle a little louder or softer than the last).
Samples Engine(int gear) {
  const double seconds = 0.5;
  const double base = 48.0 + 15.0 * gear;
  const int harmonics = 4 + 3 * gear;
  const double tilt = 1.75 - 0.2 * gear;
  const double roughness = 0.08 + 0.06 * gear;
  std::vector<double> amps;
  for (int k = 1; k <= harmonics; ++k) amps.push_back(std::pow(k, -tilt));
  auto revs = [base](double t) { return base * (1.0 + 0.22 * Ramp(t, 0.0, 0.25) - 0.06 * Ramp(t, 0.3, 0.2)); };
  Samples s = Silence(seconds);
  Noise noise(1000u + static_cast<uint32_t>(gear));
  double phase = 0, level = 1, target = 1;
  for (size_t i = 0; i < s.size(); ++i) {
    const double f = revs(Time(i));
    double v = 0;
    // Schroeder's phases keep the many harmonics of a high gear from
    // lining up into spikes: the loudness follows the level, not the crest.
    for (size_t k = 0; k < amps.size(); ++k)
      v += amps[k] * std::sin(kTau * (phase * static_cast<double>(k + 1) +
                                       0.5 * static_cast<double>(k * k) / static_cast<double>(amps.size())));
    // The firing: a new loudness each cycle, reached within a millisecond
    // or two so that it roughens the note without clicking.
    level += (target - level) * 0.3;
    s[i] = v * level;
    phase += f / kRate;
    if (phase >= 1) {
      phase -= 1;
      target = 1.0 + roughness * noise.Next();
    }
  }
  Samples rasp = NoiseBand(seconds, 2000u + static_cast<uint32_t>(gear), 200, 900 + 300 * gear);
  Normalise(rasp, 1);
  Mix(s, rasp, 0.04 * gear);
  for (size_t i = 0; i < s.size(); ++i) s[i] *= 0.8 + 0.2 * Ramp(Time(i), 0, 0.2);
  Fade(s, 0.03, 0.15);
  NormaliseRms(s, 0.1);
  return s;
}

// The gearbox: a dull knock as the gear goes in, with the clutch's two
// clicks either side.
Samples GearChange() {
  const double seconds = 0.2;
  Samples s = Tone(seconds, {1.0, 0.3}, [](double t) { return 60.0 + 70.0 * std::exp(-t / 0.03); });
  for (size_t i = 0; i < s.size(); ++i) s[i] *= std::exp(-Time(i) / 0.04);
  Samples tick = NoiseBand(seconds, 31u, 1800, 6000);
  for (size_t i = 0; i < tick.size(); ++i) {
    const double t = Time(i);
    tick[i] *= std::exp(-t / 0.005) + 0.6 * (t >= 0.08 ? std::exp(-(t - 0.08) / 0.005) : 0.0);
  }
  Normalise(tick, 1);
  Mix(s, tick, 0.5);
  Fade(s, 0.002, 0.03);
  Normalise(s, 0.5);
  return s;
}

// Tyres: a high, wavering whine over a hiss.
Samples Squeal(double seconds, uint32_t seed, double from, double to, double wobble) {
  Noise drift(seed);
  double wander = 0;
  Samples s = Tone(seconds, {1.0, 0.35, 0.15}, [&](double t) {
    wander += (drift.Next() - wander) * 0.002;
    const double f = from * std::pow(to / from, t / seconds);
    return f + wobble * std::sin(kTau * 11.0 * t) + 40.0 * wander;
  });
  Samples hiss = NoiseBand(seconds, seed + 1, 1500, 5000);
  Normalise(hiss, 1);
  Mix(s, hiss, 0.25);
  return s;
}

Samples TyreSqueal() {
  Samples s = Squeal(0.6, 41u, 1150, 1000, 60);
  Fade(s, 0.04, 0.2);
  Normalise(s, 0.35);
  return s;
}

// A spin: the squeal falls and swells as the car turns round, then the
// gravel.
Samples SpinOut() {
  const double seconds = 0.95;
  Samples s = Squeal(seconds, 51u, 1350, 600, 40);
  for (size_t i = 0; i < s.size(); ++i) s[i] *= 0.6 + 0.4 * std::sin(kTau * 4.5 * Time(i));
  Samples gravel = NoiseBand(seconds, 53u, 80, 700);
  Normalise(gravel, 1);
  for (size_t i = 0; i < gravel.size(); ++i) gravel[i] *= Ramp(Time(i), 0.3, 0.4);
  Mix(s, gravel, 0.5);
  Fade(s, 0.03, 0.3);
  Normalise(s, 0.45);
  return s;
}

// A crash: the impact's thump and burst, bent metal ringing, then debris.
Samples Crash() {
  const double seconds = 1.2;
  Samples s = NoiseBand(seconds, 61u, 40, 2500);
  Normalise(s, 1);
  for (size_t i = 0; i < s.size(); ++i) s[i] *= std::exp(-Time(i) / 0.3);
  Samples thump = Tone(seconds, {1.0, 0.5}, [](double t) { return 45.0 + 60.0 * std::exp(-t / 0.05); });
  for (size_t i = 0; i < thump.size(); ++i) thump[i] *= std::exp(-Time(i) / 0.12);
  Mix(s, thump, 0.9);
  const double metal[][3] = {{431, 1.0, 0.35}, {1013, 0.7, 0.25}, {1587, 0.5, 0.2}, {2311, 0.35, 0.12}};
  for (const auto& m : metal) {
    Samples ring = Tone(seconds, {1.0}, [&m](double) { return m[0]; });
    for (size_t i = 0; i < ring.size(); ++i) ring[i] *= m[1] * std::exp(-Time(i) / m[2]);
    Mix(s, ring, 0.3);
  }
  Noise when(67u);
  for (int n = 0; n < 14; ++n) {
    const double at = 0.15 + 0.7 * (0.5 + 0.5 * when.Next());
    Samples bit = NoiseBand(0.03, 70u + static_cast<uint32_t>(n), 1200, 7000);
    for (size_t i = 0; i < bit.size(); ++i) bit[i] *= std::exp(-Time(i) / 0.006);
    Mix(s, bit, 0.5 * (1.0 - (at - 0.15) / 0.8), at);
  }
  // Driven hard into a soft limit: a dense, loud body, never a clipped one.
  Normalise(s, 1);
  for (double& x : s) x = std::tanh(2.5 * x);
  Fade(s, 0.002, 0.3);
  Normalise(s, 0.89);
  return s;
}

// A lap by the leader: the timing beep, low then high.
Samples Lap() {
  Samples s = Silence(0.45);
  Samples low = Tone(0.12, {1.0, 0.2}, [](double) { return 880.0; });
  Samples high = Tone(0.22, {1.0, 0.2}, [](double) { return 1320.0; });
  Fade(low, 0.005, 0.02);
  Fade(high, 0.005, 0.08);
  Mix(s, low, 1.0);
  Mix(s, high, 1.0, 0.18);
  Fade(s, 0.003, 0.02);
  Normalise(s, 0.3);
  return s;
}

// The flag: three rising notes of a brassy fanfare, and the crowd cheering
// and clapping under it.
Samples Flag() {
  const double seconds = 2.4;
  Samples s = Silence(seconds);
  std::vector<double> brass;
  for (int k = 1; k <= 8; ++k) brass.push_back(1.0 / k);
  const double notes[][3] = {{523.25, 0.0, 0.16}, {659.25, 0.18, 0.16}, {783.99, 0.36, 0.6}};
  for (const auto& n : notes) {
    Samples note = Tone(n[2], brass, [&n](double t) { return n[0] * (1.0 + 0.004 * std::sin(kTau * 5.5 * t)); });
    Fade(note, 0.015, 0.06);
    Mix(s, note, 0.3, n[1]);
  }
  Samples crowd = NoiseBand(seconds, 81u, 350, 2200);
  Normalise(crowd, 1);
  Samples swell = NoiseBand(seconds, 83u, 0, 3);
  Normalise(swell, 1);
  for (size_t i = 0; i < crowd.size(); ++i)
    crowd[i] *= Ramp(Time(i), 0.15, 0.6) * (0.75 + 0.25 * swell[i]);
  Mix(s, crowd, 0.45);
  Noise when(87u);
  for (int n = 0; n < 60; ++n) {
    const double at = 0.3 + 1.8 * (0.5 + 0.5 * when.Next());
    Samples clap = NoiseBand(0.02, 90u + static_cast<uint32_t>(n), 900, 5000);
    for (size_t i = 0; i < clap.size(); ++i) clap[i] *= std::exp(-Time(i) / 0.004);
    Mix(s, clap, 0.5, at);
  }
  Fade(s, 0.005, 0.5);
  Normalise(s, 0.6);
  return s;
}

// A button: a short, bright tick.
Samples Click() {
  Samples s = Tone(0.035, {1.0, 0.3}, [](double) { return 1800.0; });
  for (size_t i = 0; i < s.size(); ++i) s[i] *= std::exp(-Time(i) / 0.006);
  Fade(s, 0.001, 0.01);
  Normalise(s, 0.4);
  return s;
}

// A player's car must choose its gear: a soft bell.
Samples Chime() {
  Samples s = Tone(0.8, {1.0, 0.0, 0.25, 0.0, 0.08}, [](double) { return 784.0; });
  Samples upper = Tone(0.8, {1.0}, [](double) { return 1176.0; });
  Mix(s, upper, 0.3);
  for (size_t i = 0; i < s.size(); ++i) s[i] *= std::exp(-Time(i) / 0.22);
  Fade(s, 0.008, 0.2);
  Normalise(s, 0.3);
  return s;
}

std::string Wav(const Samples& s) {
  MonoSound sound;
  sound.rate = kRate;
  for (double x : s) sound.samples.push_back(static_cast<int16_t>(std::lround(std::clamp(x, -1.0, 1.0) * 32767.0)));
  return EncodeWav(sound);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> MakeSounds() {
  std::vector<std::pair<std::string, std::string>> sounds;
  for (int gear = 1; gear <= 6; ++gear) sounds.emplace_back("Engine " + std::to_string(gear) + ".wav", Wav(Engine(gear)));
  sounds.emplace_back("Gear Change.wav", Wav(GearChange()));
  sounds.emplace_back("Tyre Squeal.wav", Wav(TyreSqueal()));
  sounds.emplace_back("Spin Out.wav", Wav(SpinOut()));
  sounds.emplace_back("Crash.wav", Wav(Crash()));
  sounds.emplace_back("Lap.wav", Wav(Lap()));
  sounds.emplace_back("Flag.wav", Wav(Flag()));
  sounds.emplace_back("Click.wav", Wav(Click()));
  sounds.emplace_back("Chime.wav", Wav(Chime()));
  return sounds;
}

}  // namespace assetgen
