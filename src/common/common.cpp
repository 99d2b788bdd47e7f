#include "common/common.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
// Per thread: the balance report runs races side by side, each throwing.
thread_local bool gFatalThrows = false;
FatalReporter gFatalReporter = nullptr;

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined codes, which we
// map straight through to the C1 control points as Windows does.
const char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns false for a malformed one.
bool DecodeUtf8(const std::string& text, size_t& i, char32_t& c) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char b = byte(i);
  int extra;
  if (b < 0x80) {
    c = b;
    extra = 0;
  } else if ((b & 0xE0) == 0xC0) {
    c = b & 0x1F;
    extra = 1;
  } else if ((b & 0xF0) == 0xE0) {
    c = b & 0x0F;
    extra = 2;
  } else if ((b & 0xF8) == 0xF0) {
    c = b & 0x07;
    extra = 3;
  } else {
    return false;
  }
  if (i + extra >= text.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    unsigned char n = byte(i + k);
    if ((n & 0xC0) != 0x80) return false;
    c = (c << 6) | (n & 0x3F);
  }
  static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  i += extra + 1;
  return true;
}

const char* SignalName(int sig) {
  switch (sig) {
    case SIGSEGV: return "invalid memory access (SIGSEGV)";
    case SIGFPE: return "arithmetic fault (SIGFPE)";
#ifdef SIGBUS
    case SIGBUS: return "bus error (SIGBUS)";
#endif
    case SIGILL: return "illegal instruction (SIGILL)";
    case SIGABRT: return "program aborted (SIGABRT)";
    default: return "run-time fault";
  }
}

extern "C" void OnFault(int sig) {
  // Only async-signal-safe calls here: the process is already broken.
  // The fault's description, CR LF, where it happened; the line of a
  // machine-level fault is not known, so it reads 0.
  static char text[160];
  size_t n = 0;
  for (const char* part : {"Fatal Error: ", SignalName(sig), "\r\nThe Velotrax @ 0\n"}) {
    size_t len = strlen(part);
    if (n + len >= sizeof text) break;
    memcpy(text + n, part, len);
    n += len;
  }
  ssize_t ignored = write(2, text, n);
  (void)ignored;
  _exit(1);
}
}  // namespace

std::string FatalMessage(const std::string& text, const std::string& module,
                         const std::string& procedure, int line) {
  return text + "\r\n" + module + " in " + procedure + " @ " + std::to_string(line);
}

void Fatal(const std::string& text, const std::string& module, const std::string& procedure,
           int line) {
  std::string message = FatalMessage(text, module, procedure, line);
  if (gFatalThrows) throw FatalError(message);
  std::string utf8 = Cp1252ToUtf8(message);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
  // The desktop shows it in a box and closes its window; without one
  // (the tools) stderr is all there is.
  if (gFatalReporter != nullptr) gFatalReporter(message);
  std::exit(1);
}

void SetFatalReporter(FatalReporter reporter) { gFatalReporter = reporter; }

void SetFatalThrows(bool throws) { gFatalThrows = throws; }
bool FatalThrows() { return gFatalThrows; }

void InstallFaultHandler() {
#ifdef SIGBUS
  for (int sig : {SIGSEGV, SIGFPE, SIGBUS, SIGILL, SIGABRT}) std::signal(sig, OnFault);
#else
  for (int sig : {SIGSEGV, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, OnFault);  // Windows
#endif
}

long long LenientInt64(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  const long long kLimit = 1LL << 40;  // far beyond 32 bits; stop growing there
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
    ++i;
  }
  return negative ? -value : value;
}

int LenientInt(const std::string& text) {
  long long v = LenientInt64(text);
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483648LL) return -2147483647 - 1;
  return static_cast<int>(v);
}

std::string Cp1252ToUtf8(const std::string& cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (unsigned char b : cp1252) {
    if (b >= 0x80 && b < 0xA0) {
      AppendUtf8(out, kHigh[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::string Utf8ToCp1252(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t c;
    if (!DecodeUtf8(utf8, i, c)) {
      out += '?';
      ++i;
      continue;
    }
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k) {
      if (kHigh[k] == c) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    char32_t c;
    if (!DecodeUtf8(text, i, c)) return false;
  }
  return true;
}

std::string LowerAscii(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

std::string TrimSpaces(const std::string& text) {
  size_t a = text.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = text.find_last_not_of(' ');
  return text.substr(a, b - a + 1);
}

std::string Decimal(long long value) { return std::to_string(value); }

std::vector<std::string> TildeFields(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end = list.find('~'); end != std::string::npos; end = list.find('~', start)) {
    out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string WithCrLfLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) out += "\r\n";
  return out;
}

std::string FitName(const std::string& name, int room) {
  if (room <= 0) return "";
  if (static_cast<int>(name.size()) <= room) return name;
  return name.substr(0, static_cast<size_t>(room - 1)) + '\x85';
}
