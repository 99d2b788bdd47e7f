#include "race/data_file.h"

#include "common/common.h"
#include "race/define.h"
#include "platform/services.h"

namespace {
const char* kModule = "Data File mod";
}

std::string LoadText(const std::filesystem::path& path) {
  std::string shown = PlatPathText(path);
  if (PlatFileSize(path) == kFileMissing) {
    FATAL("could not find file: " + shown, kModule, "LoadText");
  }
  std::string content;
  if (!PlatReadFile(path, content, kLargestDataFile)) {
    FATAL("could not read file: " + shown, kModule, "LoadText");
  }
  if (TrimSpaces(content).empty()) return "";
  return WithCrLfLines(content);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

int CountLines(const std::string& text) {
  int n = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
  return n;
}

std::string LineField(const std::string& text, int i) {
  if (i < 1) return "";
  size_t start = 0;
  for (int k = 1; k < i; ++k) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) return "";
    start = end + 2;
  }
  size_t end = text.find("\r\n", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string CommaField(const std::string& line, int i) {
  if (i < 1) return "";
  size_t start = 0;
  for (int k = 1; k < i; ++k) {
    size_t comma = line.find(',', start);
    if (comma == std::string::npos) return "";
    start = comma + 1;
  }
  size_t comma = line.find(',', start);
  return line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
}

std::string CleanText(const std::string& text) {
  std::string tabless = text;
  for (char& c : tabless) {
    if (c == '\t') c = ' ';
  }
  std::string result;
  for (const std::string& raw : SplitLines(tabless)) {
    std::string line = TrimSpaces(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.find_first_not_of(',') == std::string::npos) continue;
    result += line + "\r\n";
  }
  return result;
}

void SaveText(const std::filesystem::path& path, const std::string& text) {
  std::string shown = PlatPathText(path);
  size_t slash = shown.find_last_of("\\/");
  std::string last = slash == std::string::npos ? shown : shown.substr(slash + 1);
  // The name without its extension; a dot counts as one only when it is
  // neither the first nor the last character and no blank follows it.
  std::string stem = last;
  size_t dot = last.rfind('.');
  if (dot != std::string::npos && dot != 0 && dot + 1 < last.size() &&
      last.find(' ', dot) == std::string::npos) {
    stem = last.substr(0, dot);
  }
  if (stem.empty()) FATAL("missing file name: " + shown, kModule, "SaveText");
  for (unsigned char c : last) {
    if (c < 32 || c == '"' || c == '*' || c == '/' || c == ':' || c == '<' || c == '>' ||
        c == '?' || c == '\\' || c == '|') {
      FATAL("invalid file name: " + shown, kModule, "SaveText");
    }
  }
  if (!PlatWriteFileAtomic(path, text)) FATAL("could not create file: " + shown, kModule, "SaveText");
}

std::string RightAlign2(long long value) {
  std::string text = Decimal(value);
  if (text.size() < 2) return std::string(2 - text.size(), ' ') + text;
  return text.substr(0, 2);
}
