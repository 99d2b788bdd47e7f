// The game's sound at start-up and at the keys, on SDL's dummy audio
// driver: broken sound files skipped with a line each, the volume setting
// read as the nearest valid value (0 opens no device), "m" muting at any
// screen but a text entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/screens.h"
#include "game/sounds.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "platform/wav_codec.h"
#include "screen_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
void SetVolumeLine(const fs::path& dir, const std::string& line) {
  std::string ini = testing_support::ReadBytes(dir / "The Velotrax.ini");
  ini = ini.substr(0, ini.find("SoundVolume")) + line + "\r\n";
  testing_support::WriteBytes(dir / "The Velotrax.ini", ini);
}
}  // namespace

TEST(Sound, BrokenFilesAreSkippedAndTheVolumeReadsAsTheNearestValid) {
  fs::path dir = testing_support::CopyGameFolder("sound");
  ASSERT_TRUE(fs::exists(dir / "Sounds" / "Crash.wav"));
  const std::string crash = testing_support::ReadBytes(dir / "Sounds" / "Crash.wav");
  testing_support::WriteBytes(dir / "Sounds" / "Crash.wav", crash.substr(0, crash.size() / 2));
  const char hostile[] = "RIFF\xff\xff\xff\xffWAVEfmt \x10\0\0\0\x01\0\x09\0";  // a chunk longer than the file
  testing_support::WriteBytes(dir / "Sounds" / "Lap.wav", std::string(hostile, sizeof hostile - 1));
  fs::remove(dir / "Sounds" / "Flag.wav");
  SetVolumeLine(dir, "SoundVolume = 250");
  testing::internal::CaptureStderr();
  testing_support::StartGameHeadless(1024, 768, dir);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(PlatSoundIsOpen()) << said;
  EXPECT_EQ(SoundVolume(), 100);
  for (const char* name : {"Crash.wav", "Lap.wav", "Flag.wav"})
    EXPECT_NE(said.find(std::string("skips the sound ") + PlatPathText(dir / "Sounds" / name)), std::string::npos)
        << name << " in: " << said;
  size_t lines = 0;
  for (char c : said) lines += c == '\n';
  EXPECT_EQ(lines, 3u) << said;
  // What is left still plays; a volume of 0 closes the device.
  PlatPlaySound(0, 0, -100, 100);
  EXPECT_TRUE(PlatSoundsPlaying());
  SetSoundVolume(0);
  EXPECT_FALSE(PlatSoundIsOpen());
  testing_support::StopGameHeadless();

  SetVolumeLine(dir, "SoundVolume = 0");
  testing::internal::CaptureStderr();
  testing_support::StartGameHeadless(1024, 768, dir);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no device, nothing loaded, nothing said";
  EXPECT_FALSE(PlatSoundIsOpen());
  testing_support::StopGameHeadless();
  fs::remove_all(dir);
}

// "m" is taken once per poll by whichever screen reads the keys, in either
// case; a text entry reads it as a letter and mutes nothing.
TEST(Sound, TheMuteKeyTogglesOnceAndLeavesTextEntriesTheirLetters) {
  fs::path dir = testing_support::CopyGameFolder("mute");
  testing_support::StartGameHeadless(1024, 768, dir);
  const bool before = SoundMuted();
  PlatPushTypedKey(50, "m");
  PlatPushTypedKey(30, "a");
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedCharacters(), "a");
  EXPECT_EQ(PlatTypedCharacters(), "a");
  EXPECT_EQ(PlatTypedText(), "ma");
  EXPECT_NE(SoundMuted(), before);
  // The key strip says so.
  const std::string strip = gElements.KeyStripLabels[1]->text;
  EXPECT_EQ(strip.find("unmute") != std::string::npos, SoundMuted()) << strip;
  PlatPushTypedKey(50, "M");
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedText(), "M");
  EXPECT_NE(SoundMuted(), before) << "a text entry's letter mutes nothing";
  EXPECT_EQ(PlatTypedCharacters(), "");
  EXPECT_EQ(SoundMuted(), before);
  EXPECT_NE(gElements.KeyStripLabels[1]->text, strip);
  testing_support::StopGameHeadless();
  fs::remove_all(dir);
}

// A WAV in 8-bit stereo is mixed down to one channel around silence, and
// what the mixer is handed is the same sound, plainly written.
TEST(Sound, EightBitStereoMixesDownAndSurvivesTheRoundTrip) {
  std::string wav = testing_support::ReadBytes(fs::path(VELOTRAX_SOURCE_DIR) / "tests/fuzz/corpus/wav/stereo8");
  MonoSound sound;
  std::string why;
  ASSERT_TRUE(DecodeWav(wav.data(), wav.size(), sound, why)) << why;
  EXPECT_EQ(sound.rate, 11025);
  ASSERT_EQ(sound.samples.size(), 100u);
  EXPECT_EQ(sound.samples[0], (0 + 72 * 256) / 2);   // (128 - 128) and (200 - 128)
  EXPECT_EQ(sound.samples[1], (-68 * 256 + 0) / 2);  // (60 - 128) and (128 - 128)
  const std::string plain = EncodeWav(sound);
  MonoSound again;
  ASSERT_TRUE(DecodeWav(plain.data(), plain.size(), again, why)) << why;
  EXPECT_EQ(again.samples, sound.samples);
}
