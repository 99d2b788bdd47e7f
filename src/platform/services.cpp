// Files, folders, settings files, the clock and the dice: the services that
// need no window.
#ifdef _WIN32
#include <windows.h>
#include <io.h>
#include <process.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <system_error>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "common/common.h"
#include "platform/services.h"

namespace fs = std::filesystem;

namespace {
// What marks the temporary file of an atomic write, before the writer's id.
const char* const kTempMark = ".tmp-";
const char* const kBom = "\xEF\xBB\xBF";

// Disk names are UTF-8 on every system: fs::path takes and gives them as
// UTF-8 through char8_t (on Windows it holds UTF-16, on Linux the bytes).
fs::path Utf8Path(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string DiskText(const fs::path& diskPath) {
  const std::u8string u8 = diskPath.u8string();
  return std::string(u8.begin(), u8.end());
}

long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(::GetCurrentProcessId());
#else
  return static_cast<long>(::getpid());
#endif
}

// Whether a process of that id still runs (it may own a temporary file).
bool ProcessRuns(long id) {
  if (id == ProcessId()) return true;
#ifdef _WIN32
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return running;
#else
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
#endif
}

// Why the last write failed, for the player.
std::string gLastWriteError;

#ifdef _WIN32
// Names the game shows with "?" for letters beyond its code page, and
// names holding ? * : < > | ", cannot be files on Windows.
const char* const kBadWindowsName =
    "the name holds a character Windows does not allow in file names (such as ?)";
#endif

std::string ErrnoReason(int error) {
  switch (error) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "the disk is full";
    case EACCES:
    case EPERM:
    case EROFS:
      return "the folder is read-only or access is denied";
    case ENAMETOOLONG:
      return "the name is too long";
    case ENOENT:
    case ENOTDIR:
      return "the folder does not exist";
    case EISDIR:
      return "a folder of that name is in the way";
    case EEXIST:
      return "a file of that name is in the way";
#ifdef _WIN32
    case EINVAL:
      return kBadWindowsName;
#endif
    default:
      return std::strerror(error);
  }
}

// The same for a file system call's error, whatever system gave it.
std::string ReasonOf(const std::error_code& ec) {
  const std::error_condition condition = ec.default_error_condition();
  if (condition.category() == std::generic_category()) return ErrnoReason(condition.value());
  return ec.message();
}

#ifdef _WIN32
std::string WindowsReason(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return "the folder is read-only or access is denied";
    case ERROR_FILENAME_EXCED_RANGE:
      return "the name is too long";
    case ERROR_INVALID_NAME:
      return kBadWindowsName;
    case ERROR_PATH_NOT_FOUND:
      return "the folder does not exist";
    default:
      return "Windows error " + std::to_string(error);
  }
}

// Without the long-path prefix, Windows takes paths of fewer than 260
// characters; the game says so rather than reporting a missing folder.
constexpr size_t kWindowsLongestPath = 259;
#endif
}  // namespace

std::string PlatPathText(const fs::path& gamePath) {
#ifdef _WIN32
  // A game path is made from Windows-1252 bytes, which fs::path takes one
  // to one as the first 256 code points; nothing else reaches one.
  std::string text;
  for (wchar_t c : gamePath.native()) text += c < 0x100 ? static_cast<char>(c) : '?';
  return text;
#else
  return gamePath.string();
#endif
}

std::string PlatLastWriteError() {
  return gLastWriteError;
}

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
    if (Utf8ToCp1252(DiskText(name)) == shown && (best.empty() || name < best)) best = name;
  }
  return best;
}
}  // namespace

fs::path PlatGamePath(const fs::path& diskPath) {
  return fs::path(Utf8ToCp1252(DiskText(diskPath)));
}

fs::path PlatGamePath(const std::string& diskName) {
  return PlatGamePath(Utf8Path(diskName));
}

fs::path PlatDiskPath(const fs::path& gamePath) {
  const std::string game = PlatPathText(gamePath);
  auto shown = gShownNames.find(game);
  if (shown != gShownNames.end()) return shown->second;
  fs::path disk = Utf8Path(Cp1252ToUtf8(game));
  std::error_code ec;
  // "?" stands for what the code page could not show: such a component is
  // the entry that reads as it, when no file has that very name.
  if (game.find('?') == std::string::npos || fs::exists(disk, ec)) return disk;
  fs::path out;
  for (const fs::path& part : gamePath) {
    const std::string name = PlatPathText(part);
    fs::path direct = out / Utf8Path(Cp1252ToUtf8(name));
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
#ifdef __EMSCRIPTEN__
  // Emscripten's libc++ has no file_clock::to_sys; its file clock counts
  // from the Unix epoch, as the system clock does.
  std::time_t when = std::chrono::system_clock::to_time_t(std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(written.time_since_epoch())));
#else
  std::time_t when = std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(written));
#endif
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
    const std::string diskName = DiskText(entry.path().filename());
    std::string name = Utf8ToCp1252(diskName);
    if (Cp1252ToUtf8(name) != diskName) {
      // The code page cannot show it: keep the real name behind what is shown,
      // and never show two files alike.
      fs::path plain(name);
      for (int k = 2; taken.count(name) != 0; ++k)
        name = PlatPathText(plain.stem()) + " (" + Decimal(k) + ")" + PlatPathText(plain.extension());
      gShownNames[PlatPathText(gameFolder / name)] = entry.path();
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

namespace {
PlatWriteKeeper gWriteKeeper = nullptr;

// Hands a removal or a new folder to the keeper (the browser's IndexedDB)
// at once. One it could not keep does not fail here: what was asked is done
// in the game's own files, and the next write says why none are kept.
void KeepChange() {
  std::string why;
  if (gWriteKeeper != nullptr) gWriteKeeper(why);
}
}  // namespace

bool PlatRemoveFile(const fs::path& gameFile) {
  std::error_code ec;
  const bool removed = fs::remove(PlatDiskPath(gameFile), ec);
  if (removed) KeepChange();
  return !ec;
}

bool PlatCreateFolder(const fs::path& gameFolder) {
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (fs::create_directory(folder, ec) && !ec) {
    KeepChange();
    return true;
  }
  gLastWriteError = ec ? ReasonOf(ec) : "a file of that name is in the way";
  return false;
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

void PlatSetWriteKeeper(PlatWriteKeeper keeper) {
  gWriteKeeper = keeper;
}

bool PlatWriteFileAtomic(const fs::path& gameFile, const std::string& bytes) {
  const fs::path file = PlatDiskPath(gameFile);
  gLastWriteError = "the name is not a file's";
  if (file.filename().empty()) return false;
  fs::path dir = file.parent_path();
  std::error_code ec;
  gLastWriteError = "the folder does not exist";
  if (!dir.empty() && !fs::is_directory(dir, ec)) return false;
  gLastWriteError = "a folder of that name is in the way";
  if (fs::is_directory(file, ec)) return false;
  fs::path temp = file;
  temp += kTempMark + std::to_string(ProcessId());
#ifdef _WIN32
  if (fs::absolute(temp, ec).native().size() > kWindowsLongestPath) {
    gLastWriteError = "the path is longer than Windows allows (259 characters)";
    return false;
  }
  FILE* f = ::_wfopen(temp.c_str(), L"wb");
#else
  FILE* f = std::fopen(temp.c_str(), "wb");
#endif
  if (f == nullptr) {
    gLastWriteError = ErrnoReason(errno);
    return false;
  }
  int error = 0;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (!ok) error = errno;
  if (std::fflush(f) != 0 && ok) ok = false, error = errno;
#ifdef _WIN32
  if (::_commit(::_fileno(f)) != 0 && ok) ok = false, error = errno;
#else
  if (::fsync(::fileno(f)) != 0 && ok) ok = false, error = errno;
#endif
  if (std::fclose(f) != 0 && ok) ok = false, error = errno;
  if (!ok) {
    gLastWriteError = ErrnoReason(error);
    fs::remove(temp, ec);
    return false;
  }
#ifdef _WIN32
  // Replaces the old file in one step, as rename does on Linux.
  if (!::MoveFileExW(temp.c_str(), file.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    gLastWriteError = WindowsReason(::GetLastError());
    fs::remove(temp, ec);
    return false;
  }
#else
  fs::rename(temp, file, ec);
  if (ec) {
    gLastWriteError = ReasonOf(ec);
    fs::remove(temp, ec);
    return false;
  }
#endif
  if (gWriteKeeper != nullptr && !gWriteKeeper(gLastWriteError)) return false;
  gLastWriteError.clear();
  return true;
}

std::vector<std::string> PlatArguments(int argc, char** argv) {
  std::vector<std::string> out;
#ifdef _WIN32
  (void)argv;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 1; i < count; ++i) out.push_back(DiskText(fs::path(wide[i])));
    ::LocalFree(wide);
    return out;
  }
#endif
  for (int i = 1; i < argc; ++i) out.push_back(argv[i]);
  return out;
}

#ifdef __EMSCRIPTEN__
EM_JS(void, ProgramFolderText, (char* out, int size), {
  var folder = (typeof process === "object" && typeof __dirname === "string") ? __dirname : "/usr/games";
  stringToUTF8(folder, out, size);
});
#endif

fs::path PlatProgramFolder() {
  std::error_code ec;
#ifdef _WIN32
  std::wstring exe(32768, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return PlatGamePath(fs::current_path(ec));
  exe.resize(n);
  return PlatGamePath(fs::path(exe).parent_path());
#elif defined(__EMSCRIPTEN__)
  // In the page, the program "lives" in /usr/games beside the preloaded
  // /usr/share/the-velotrax; under Node, in the folder of its script.
  char folder[4096];
  ProgramFolderText(folder, sizeof folder);
  return PlatGamePath(fs::path(folder));
#else
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return PlatGamePath(fs::current_path(ec));
  return PlatGamePath(exe.parent_path());
#endif
}

int PlatRemoveStaleTemporaries(const fs::path& gameFolder) {
  const fs::path folder = PlatDiskPath(gameFolder);
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  std::vector<fs::path> stale;
  for (const auto& entry : it) {
    const std::string name = DiskText(entry.path().filename());
    size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos) continue;
    const std::string pid = name.substr(mark + std::string(kTempMark).size());
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
      continue;
    // A writer still running may be about to rename it.
    if (ProcessRuns(std::stol(pid))) continue;
    stale.push_back(entry.path());
  }
  int removed = 0;
  for (const fs::path& file : stale) removed += fs::remove(file, ec) ? 1 : 0;
  if (removed > 0) KeepChange();
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

// A die between minimum and maximum from the 64-bit Mersenne Twister, as
// GCC's std::uniform_int_distribution<int> draws it (Lemire's nearly
// divisionless reduction), spelt out: the browser's standard library draws
// its own way, and every build must roll the same dice from the same seed.
int Roll(std::mt19937_64& gen, int minimum, int maximum) {
  using Wide = unsigned __int128;
  const uint64_t range = static_cast<uint64_t>(maximum) - static_cast<uint64_t>(minimum) + 1;
  Wide product = static_cast<Wide>(gen()) * range;
  uint64_t low = static_cast<uint64_t>(product);
  if (low < range) {
    const uint64_t threshold = -range % range;
    while (low < threshold) {
      product = static_cast<Wide>(gen()) * range;
      low = static_cast<uint64_t>(product);
    }
  }
  return static_cast<int>(static_cast<uint64_t>(product >> 64) + static_cast<uint64_t>(minimum));
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
  return Roll(Generator(), minimum, maximum);
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
