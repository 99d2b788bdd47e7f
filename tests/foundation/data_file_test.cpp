// The text tables: byte-exact Windows-1252, CR LF lines, atomic saves.
#include <gtest/gtest.h>

#include "common/common.h"
#include "race/data_file.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testing_support::MakeTempDir;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

class DataFile : public ::testing::Test {
 protected:
  void SetUp() override { dir = MakeTempDir("data"); }
  void TearDown() override { fs::remove_all(dir); }
  std::string Load(const std::string& content) {
    WriteBytes(dir / "t.csv", content);
    return LoadText(dir / "t.csv");
  }
  fs::path dir;
};

TEST_F(DataFile, LoadTextEndsEveryTextWithCrLf) {
  EXPECT_EQ(Load(""), "");
  EXPECT_EQ(Load("    "), "");
  EXPECT_EQ(Load("a"), "a\r\n");
  EXPECT_EQ(Load("a\r\nb\r\n"), "a\r\nb\r\n");
  EXPECT_EQ(Load(" \r\n"), " \r\n");  // blank lines stay: only spaces count as empty
  // A file saved with LF alone, or with both, has the same lines for every caller.
  std::string lf = Load("a\nb\r\nc");
  EXPECT_EQ(lf, "a\r\nb\r\nc\r\n");
  EXPECT_EQ(CountLines(lf), 3);
  EXPECT_EQ(LineField(lf, 1), "a");
}

TEST_F(DataFile, HighBytesRoundTripExactly) {
  std::string all;
  for (int c = 128; c < 256; ++c) all += static_cast<char>(c);
  SaveText(dir / "high.txt", all + "\r\n");
  EXPECT_EQ(ReadBytes(dir / "high.txt"), all + "\r\n");
  EXPECT_EQ(LoadText(dir / "high.txt"), all + "\r\n");
}

TEST_F(DataFile, LoadTextFailuresAreFatal) {
  try {
    LoadText(dir / "missing.csv");
    FAIL();
  } catch (const FatalError& e) {
    std::string m = e.what();
    EXPECT_EQ(m.rfind("could not find file: " + (dir / "missing.csv").string() +
                          "\r\nData File mod in LoadText @ ", 0),
              0u)
        << m;
  }
  fs::create_directory(dir / "folder");
  try {
    LoadText(dir / "folder");
    FAIL();
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("could not read file: ", 0), 0u) << e.what();
  }
}

TEST_F(DataFile, CleanTextKeepsOnlyDataLines) {
  EXPECT_EQ(CleanText("; comment\r\n\r\n,,,\r\n  data,1  \r\n"), "data,1\r\n");
  EXPECT_EQ(CleanText(", ,\r\n"), ", ,\r\n");
  EXPECT_EQ(CleanText("   ; indented comment\r\nx;y\r\n"), "x;y\r\n");
  EXPECT_EQ(CleanText("\ta\tb\t\r\n"), "a b\r\n");
  EXPECT_EQ(CleanText("no line end"), "");
  EXPECT_EQ(CleanText(""), "");
}

TEST_F(DataFile, FieldsFollowTheTableConventions) {
  std::string text = "a,b,,d\r\n,x\r\n";
  EXPECT_EQ(CountLines(text), 2);
  EXPECT_EQ(CommaField(LineField(text, 1), 3), "");
  EXPECT_EQ(CommaField(LineField(text, 1), 4), "d");
  EXPECT_EQ(CommaField(LineField(text, 1), 9), "");
  EXPECT_EQ(CommaField(LineField(text, 2), 1), "");
  EXPECT_EQ(LineField(text, 3), "");
}

TEST_F(DataFile, SaveTextChecksTheNameAndReplacesTheFile) {
  auto fatalText = [&](const std::string& path) {
    try {
      SaveText(path, "x");
    } catch (const FatalError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(fatalText((dir.string() + "/")).rfind("missing file name: ", 0), 0u);
  EXPECT_EQ(fatalText("").rfind("missing file name: ", 0), 0u);
  EXPECT_EQ(fatalText((dir / "what?.txt").string()).rfind("invalid file name: ", 0), 0u);
  EXPECT_EQ(fatalText((dir / "a|b").string()).rfind("invalid file name: ", 0), 0u);
  EXPECT_EQ(fatalText((dir / "nofolder" / "x.txt").string()).rfind("could not create file: ", 0), 0u);

  SaveText(dir / ".txt", "dot");  // a dot and an extension only is a name
  EXPECT_EQ(ReadBytes(dir / ".txt"), "dot");
  SaveText(dir / "empty.txt", "");
  EXPECT_TRUE(fs::exists(dir / "empty.txt"));
  EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
  SaveText(dir / "t.txt", "long old content\r\n");
  SaveText(dir / "t.txt", "new");
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "new");
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 3);
}
