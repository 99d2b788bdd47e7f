// Shared by every layer, the platform included, and including nothing of
// theirs: the fatal error convention, the clamps, the lenient number reading
// and the code-page conversions.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// Thrown instead of ending the program when tests ask for it, carrying the
// whole message (text, CR LF, module, " in ", procedure, " @ ", line).
struct FatalError : std::runtime_error {
  explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

// Forms text + "\r\n" + module + " in " + procedure + " @ " + line, shows it in
// a message box titled "Fatal Error" (through the reporter the platform sets),
// writes it to stderr and ends the program with exit status 1. Never returns.
[[noreturn]] void Fatal(const std::string& text, const std::string& module,
                        const std::string& procedure, int line);
#define FATAL(text, module, procedure) Fatal((text), (module), (procedure), __LINE__)

// The full message Fatal would show, without raising it.
std::string FatalMessage(const std::string& text, const std::string& module,
                         const std::string& procedure, int line);

// What the desktop adds to a fatal error once stderr has it: the platform
// shows the message box titled "Fatal Error" and closes the window. Unset
// (the tools), the message goes to stderr only.
using FatalReporter = void (*)(const std::string& message);
void SetFatalReporter(FatalReporter reporter);

// Tests switch Fatal to throwing FatalError.
void SetFatalThrows(bool throws);
bool FatalThrows();

// Run-time faults (SIGSEGV, SIGFPE, SIGBUS, SIGILL, SIGABRT) reported in the
// fatal form on stderr, then exit status 1.
void InstallFaultHandler();

inline int Min(int a, int b) { return a < b ? a : b; }
inline int Max(int a, int b) { return a > b ? a : b; }

// Leading blanks and tabs skipped, optional sign, decimal digits up to the
// first other character; no digits reads 0. Clamped to 32 bits.
int LenientInt(const std::string& text);
long long LenientInt64(const std::string& text);

// The game keeps every text as Windows-1252 bytes; these convert at the edges.
// Characters Windows-1252 cannot hold become "?".
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& cp1252);
// True when the text is valid UTF-8.
bool IsValidUtf8(const std::string& text);

std::string LowerAscii(std::string text);
std::string TrimSpaces(const std::string& text);  // spaces only, both ends
std::string Decimal(long long value);
// A name cut to at most `room` characters for a column, its last kept
// character replaced by "\x85" (the ellipsis) when anything was cut; a mark
// written after it then always shows whole.
std::string FitName(const std::string& name, int room);
// The fields of a list whose every field ends in "~" ("a~b~": a, b); text
// after the last "~" is not a field.
std::vector<std::string> TildeFields(const std::string& list);
// A text file's lines as the game reads them, each ended by CR LF: a lone LF
// (a file saved by an editor that writes LF alone) ends a line too, and the
// last line gets its CR LF if it has none.
std::string WithCrLfLines(const std::string& text);
