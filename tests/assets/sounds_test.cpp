// The shipped sounds: what the asset generator makes, and fit to be heard
// (no clipping, silent ends, the crash the loudest, the engine brighter in
// each higher gear).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::SourceDir;

namespace {

// The samples of a 16-bit mono PCM WAV as the generator writes it, -1 .. 1.
std::vector<double> Samples(const std::string& wav) {
  std::vector<double> s;
  if (wav.size() < 44 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 8, "WAVEfmt ") != 0) return s;
  for (size_t i = 44; i + 1 < wav.size(); i += 2) {
    const int v = static_cast<int16_t>(static_cast<uint8_t>(wav[i]) | static_cast<uint8_t>(wav[i + 1]) << 8);
    s.push_back(v / 32768.0);
  }
  return s;
}

double Peak(const std::vector<double>& s) {
  double most = 0;
  for (double x : s) most = std::max(most, std::fabs(x));
  return most;
}

// The loudest tenth of a second.
double LoudestRms(const std::vector<double>& s) {
  const size_t window = 2205;
  double best = 0;
  for (size_t start = 0; start < s.size(); start += window / 4) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = start; i < std::min(s.size(), start + window); ++i, ++n) sum += s[i] * s[i];
    if (n > 0) best = std::max(best, std::sqrt(sum / static_cast<double>(window)));
  }
  return best;
}

// How bright a sound is: the RMS of its slope against the RMS of the sound,
// which grows with the frequencies its power lies at.
double Brightness(const std::vector<double>& s) {
  double slope = 0, level = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    slope += (s[i] - s[i - 1]) * (s[i] - s[i - 1]);
    level += s[i] * s[i];
  }
  return std::sqrt(slope / level);
}

}  // namespace

TEST(ShippedSounds, AreWhatTheGeneratorMakesAndFitToHear) {
  fs::path exe = fs::path(VELOTRAX_BUILD_DIR) / "tools" / "velotrax-assetgen";
  if (!fs::exists(exe)) GTEST_SKIP() << "generator not built (FreeType missing)";
  fs::path dir = testing_support::MakeTempDir("assetgen-sounds");
  std::string cmd = "\"" + exe.string() + "\" \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::map<std::string, std::vector<double>> sounds;
  uintmax_t total = 0;
  for (const auto& e : fs::directory_iterator(dir / "Sounds")) {
    const std::string name = e.path().filename().string();
    const std::string made = ReadBytes(e.path());
    EXPECT_TRUE(made == ReadBytes(SourceDir() / "game" / "Sounds" / name))
        << name << ": run make assets and commit game/Sounds";
    total += made.size();
    sounds[name] = Samples(made);
  }
  for (const auto& e : fs::directory_iterator(SourceDir() / "game" / "Sounds"))
    EXPECT_TRUE(fs::exists(dir / "Sounds" / e.path().filename())) << e.path() << " is not the generator's";
  fs::remove_all(dir);
  ASSERT_EQ(sounds.size(), 14u);
  EXPECT_LT(total, 1024u * 1024u);
  const double crash = Peak(sounds["Crash.wav"]), crashRms = LoudestRms(sounds["Crash.wav"]);
  for (const auto& [name, s] : sounds) {
    ASSERT_GT(s.size(), 100u) << name;
    EXPECT_LT(Peak(s), 0.95) << name << " clips";
    EXPECT_GT(Peak(s), 0.1) << name << " is barely there";
    // Silent ends: a sound cut off or started at a level clicks.
    for (size_t i : {size_t{0}, s.size() - 1}) EXPECT_LT(std::fabs(s[i]), 0.005) << name << " clicks at sample " << i;
    if (name != "Crash.wav") {
      EXPECT_LT(Peak(s), crash) << name;
      EXPECT_LT(LoudestRms(s), crashRms) << name;
    }
  }
  for (int gear = 2; gear <= 6; ++gear) {
    const std::string lower = "Engine " + std::to_string(gear - 1) + ".wav";
    const std::string higher = "Engine " + std::to_string(gear) + ".wav";
    EXPECT_GT(Brightness(sounds[higher]), Brightness(sounds[lower]) * 1.2) << higher;
  }
}
