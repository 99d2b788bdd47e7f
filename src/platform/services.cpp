// Files, folders, settings files, the clock and the dice: the services that
// need no window.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <system_error>
#include <thread>

#include "common/common.h"
#include "platform/services.h"

namespace fs = std::filesystem;

namespace {
// What marks the temporary file of an atomic write, before the writer's id.
const char* const kTempMark = ".tmp-";
const char* const kBom = "\xEF\xBB\xBF";
}  // namespace

// ---------------------------------------------------------------------------
// Paths. The game names files in Windows-1252, the disk in UTF-8 (or in
// whatever bytes a file was given); every path is converted here.
namespace {
// Listed entries whose disk name the code page cannot show: the game path
// shown for each, and the file behind it.
std::map<std::string, fs::path> gShownNames;

// The entry of a folder whose name reads as `shown` in the game, first by
// disk name; empty when there is none.
fs::path FindShownEntry(const fs::path& diskFolder, const std::string& shown) {
  std::error_code ec;
  fs::directory_iterator it(diskFolder.empty() ? fs::path(".") : diskFolder, ec);
  if (ec) return {};
  fs::path best;
  for (const auto& entry : it) {
    fs::path name = entry.path().filename();
    if (Utf8ToCp1252(name.string()) == shown && (best.empty() || name < best)) best = name;
  }
  return best;
}
}  // namespace

fs::path PlatGamePath(const fs::path& diskPath) {
  return fs::path(Utf8ToCp1252(diskPath.string()));
}

fs::path PlatDiskPath(const fs::path& gamePath) {
  const std::string game = gamePath.string();
  auto shown = gShownNames.find(game);
  if (shown != gShownNames.end()) return shown->second;
  fs::path disk(Cp1252ToUtf8(game));
  std::error_code ec;
  // "?" stands for what the code page could not show: such a component is
  // the entry that reads as it, when no file has that very name.
  if (game.find('?') == std::string::npos || fs::exists(disk, ec)) return disk;
  fs::path out;
  for (const fs::path& part : gamePath) {
    const std::string name = part.string();
    fs::path direct = out / Cp1252ToUtf8(name);
    if (name.find('?') != std::string::npos && !fs::exists(direct, ec)) {
      fs::path found = FindShownEntry(out, name);
      if (!found.empty()) direct = out / found;
    }
    out = direct;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Files and folders.
int64_t PlatFileSize(const fs::path& gameFile) {
  const fs::path file = PlatDiskPath(gameFile);
  std::error_code ec;
  auto status = fs::status(file, ec);
  if (ec || !fs::exists(status)) return kFileMissing;
  if (fs::is_directory(status)) return kFileIsFolder;
  auto size = fs::file_size(file, ec);
  if (ec) return kFileMissing;
  return static_cast<int64_t>(size);
}

bool PlatFileTimeText(const fs::path& gameFile, std::string& text) {
  std::error_code ec;
  auto written = fs::last_write_time(PlatDiskPath(gameFile), ec);
  if (ec) return false;
  std::time_t when = std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(written));
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &when) != 0) return false;
#else
  if (localtime_r(&when, &local) == nullptr) return false;
#endif
  char buffer[32];
  if (std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M", &local) == 0) return false;
  text = buffer;
  return true;
}

namespace {
// "*" and "?" wildcards, letters compared without case, as desktop file
// dialogs do.
bool MatchPattern(const std::string& pattern, const std::string& name) {
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
}  // namespace

bool PlatListFolder(const fs::path& gameFolder, const std::string& pattern,
                    std::vector<PlatFolderEntry>& out) {
  out.clear();
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  fs::directory_iterator it(folder, ec);
  if (ec) return false;
  // By disk name, so that names shown alike are told apart the same way on
  // every machine.
  std::vector<fs::directory_entry> entries(fs::begin(it), fs::end(it));
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  std::set<std::string> taken;
  for (const auto& entry : entries) {
    const std::string diskName = entry.path().filename().string();
    std::string name = Utf8ToCp1252(diskName);
    if (Cp1252ToUtf8(name) != diskName) {
      // The code page cannot show it: keep the real name behind what is shown,
      // and never show two files alike.
      fs::path plain(name);
      for (int k = 2; taken.count(name) != 0; ++k)
        name = plain.stem().string() + " (" + Decimal(k) + ")" + plain.extension().string();
      gShownNames[(gameFolder / name).string()] = entry.path();
    }
    taken.insert(name);
    if (!pattern.empty() && !MatchPattern(pattern, name)) continue;
    PlatFolderEntry e;
    e.name = name;
    e.isFolder = entry.is_directory(ec);
    out.push_back(e);
  }
  // The file system's own order differs between machines; the game's lists
  // must not.
  std::sort(out.begin(), out.end(),
            [](const PlatFolderEntry& a, const PlatFolderEntry& b) { return a.name < b.name; });
  return true;
}

bool PlatCreateFolder(const fs::path& gameFolder) {
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  return fs::create_directory(folder, ec) && !ec;
}

bool PlatIsFolder(const fs::path& gameFolder) {
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  return fs::is_directory(folder, ec);
}

bool PlatReadFile(const fs::path& gameFile, std::string& bytes, size_t largest) {
  const fs::path file = PlatDiskPath(gameFile);
  bytes.clear();
  std::error_code ec;
  if (fs::is_directory(file, ec)) return false;
  const uintmax_t size = fs::file_size(file, ec);
  if (!ec && size > largest) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  // In blocks, and never past the limit, whatever size the file claimed
  // (it may be growing, or not a plain file at all).
  std::string read;
  if (!ec) read.reserve(static_cast<size_t>(size));
  char block[1 << 16];
  while (in) {
    in.read(block, sizeof block);
    read.append(block, static_cast<size_t>(in.gcount()));
    if (read.size() > largest) return false;
  }
  if (in.bad()) return false;
  bytes = std::move(read);
  return true;
}

bool PlatWriteFileAtomic(const fs::path& gameFile, const std::string& bytes) {
  const fs::path file = PlatDiskPath(gameFile);
  if (file.filename().empty()) return false;
  fs::path dir = file.parent_path();
  std::error_code ec;
  if (!dir.empty() && !fs::is_directory(dir, ec)) return false;
  if (fs::is_directory(file, ec)) return false;
  fs::path temp = file;
  temp += kTempMark + std::to_string(::getpid());
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (::fsync(::fileno(f)) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    fs::remove(temp, ec);
    return false;
  }
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

fs::path PlatProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return PlatGamePath(fs::current_path(ec));
  return PlatGamePath(exe.parent_path());
}

int PlatRemoveStaleTemporaries(const fs::path& gameFolder) {
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  std::vector<fs::path> stale;
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos) continue;
    const std::string pid = name.substr(mark + std::string(kTempMark).size());
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
      continue;
    // A writer still running may be about to rename it.
    const long id = std::stol(pid);
    if (id == ::getpid() || (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM)) continue;
    stale.push_back(entry.path());
  }
  int removed = 0;
  for (const fs::path& file : stale) removed += fs::remove(file, ec) ? 1 : 0;
  return removed;
}

// ---------------------------------------------------------------------------
// Settings files.
namespace {
// Splits "key = value"; false for comments, sections and lines without "=".
bool ParseSettingLine(const std::string& line, std::string& key, std::string& value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  auto trim = [](const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
  };
  key = trim(line.substr(0, eq));
  value = trim(line.substr(eq + 1));
  if (key.empty() || key[0] == ';' || key[0] == '[') return false;
  return true;
}

bool IsSectionLine(const std::string& line) {
  size_t a = line.find_first_not_of(" \t");
  return a != std::string::npos && line[a] == '[' && line.find(']', a) != std::string::npos;
}

bool IsCommentLine(const std::string& line) {
  size_t a = line.find_first_not_of(" \t");
  return a != std::string::npos && line[a] == ';';
}

// Index of the line holding the key before the first section, or -1. The
// first occurrence wins when a key is written twice.
int FindSetting(const PlatSettings& s, const std::string& key) {
  std::string want = LowerAscii(key);
  for (size_t i = 0; i < s.lines.size(); ++i) {
    const std::string& line = s.lines[i];
    if (IsSectionLine(line)) return -1;
    if (IsCommentLine(line)) continue;
    std::string k, v;
    if (ParseSettingLine(line, k, v) && LowerAscii(k) == want) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

bool PlatOpenSettings(PlatSettings& settings, const fs::path& file) {
  settings = PlatSettings{};
  std::string bytes;
  if (!PlatReadFile(file, bytes)) return false;
  // UTF-8 with a byte-order mark, or the ANSI code page. The lines stay as
  // they are, so that writing a value back changes nothing else; the values
  // the game reads are converted as they are read.
  if (bytes.size() >= 3 && bytes.compare(0, 3, kBom) == 0) {
    settings.bom = true;
    bytes.erase(0, 3);
  }
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    std::string line =
        bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string lineEnd = end == std::string::npos ? "" : "\n";
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      lineEnd.insert(0, "\r");
    }
    settings.lines.push_back(line);
    settings.ends.push_back(lineEnd);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  settings.file = file;
  settings.open = true;
  return true;
}

int PlatReadSettingInt(const PlatSettings& settings, const std::string& key, int fallback) {
  int i = FindSetting(settings, key);
  if (i < 0) return fallback;
  std::string k, v;
  ParseSettingLine(settings.lines[i], k, v);
  return LenientInt(v);
}

std::string PlatReadSettingText(const PlatSettings& settings, const std::string& key,
                                const std::string& fallback) {
  int i = FindSetting(settings, key);
  if (i < 0) return fallback;
  std::string k, v;
  ParseSettingLine(settings.lines[i], k, v);
  return settings.bom ? Utf8ToCp1252(v) : v;
}

void PlatWriteSettingInt(PlatSettings& settings, const std::string& key, int value) {
  std::string line = key + " = " + std::to_string(value);
  int i = FindSetting(settings, key);
  if (i >= 0) {
    std::string k, v;
    ParseSettingLine(settings.lines[i], k, v);
    settings.lines[i] = k + " = " + std::to_string(value);
  } else {
    // New keys go before the first section, where they will be read.
    size_t at = 0;
    while (at < settings.lines.size() && !IsSectionLine(settings.lines[at])) ++at;
    while (at > 0 && settings.lines[at - 1].empty()) --at;
    if (at == settings.lines.size() && at > 0 && settings.ends[at - 1].empty())
      settings.ends[at - 1] = "\r\n";
    settings.lines.insert(settings.lines.begin() + static_cast<long>(at), line);
    settings.ends.insert(settings.ends.begin() + static_cast<long>(at), "\r\n");
  }
  settings.changed = true;
}

bool PlatCloseSettings(PlatSettings& settings) {
  bool ok = true;
  if (settings.open && settings.changed) {
    std::string text = settings.bom ? kBom : "";
    for (size_t i = 0; i < settings.lines.size(); ++i) text += settings.lines[i] + settings.ends[i];
    ok = PlatWriteFileAtomic(settings.file, text);
  }
  settings = PlatSettings{};
  return ok;
}

// ---------------------------------------------------------------------------
// Clock and dice.
namespace {
bool gDrivenClock = false;
int64_t gDrivenMs = 0;

std::mt19937_64& Generator() {
  static std::mt19937_64 gen([] {
    auto t = std::chrono::steady_clock::now().time_since_epoch().count();
    auto id = std::hash<std::thread::id>{}(std::this_thread::get_id());
    return static_cast<uint64_t>(t) ^ (static_cast<uint64_t>(id) << 1);
  }());
  return gen;
}

std::vector<int> gScript;
size_t gScriptPos = 0;
uint64_t gRandomCalls = 0;
}  // namespace

int64_t PlatElapsedMilliseconds() {
  if (gDrivenClock) return gDrivenMs;
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PlatSetDrivenClock(int64_t milliseconds) {
  gDrivenClock = true;
  gDrivenMs = milliseconds;
}
void PlatAdvanceDrivenClock(int64_t milliseconds) {
  gDrivenMs += milliseconds;
}
void PlatUseRealClock() {
  gDrivenClock = false;
}

int PlatRandom(int maximum, int minimum) {
  if (maximum < minimum) std::swap(maximum, minimum);
  ++gRandomCalls;
  if (!gScript.empty() && minimum == 1 && maximum == 100) {
    int v = gScript[gScriptPos];
    gScriptPos = (gScriptPos + 1) % gScript.size();
    return std::clamp(v, minimum, maximum);
  }
  std::uniform_int_distribution<int> dist(minimum, maximum);
  return dist(Generator());
}

void PlatSeedRandom(uint64_t seed) {
  Generator().seed(seed);
}

void PlatScriptRandom(const std::vector<int>& rolls) {
  gScript = rolls;
  gScriptPos = 0;
}

uint64_t PlatRandomCalls() {
  return gRandomCalls;
}
