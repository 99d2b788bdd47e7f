// Plain-text tables: read a whole file, strip it to its data lines, write it
// back. Texts are Windows-1252 bytes with CR LF line ends, exactly as on disk.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The whole file, ending in CR LF unless it is empty; "" for a file holding
// nothing but spaces. Fatal when the file is missing or unreadable.
std::string LoadText(const std::filesystem::path& path);
// Data lines only (trimmed, no blanks, no ";" comments, no comma-only rows),
// each followed by CR LF.
std::string CleanText(const std::string& text);
// Replaces the file atomically with exactly the text.
void SaveText(const std::filesystem::path& path, const std::string& text);

// Callers' helpers, following the table conventions: the number of CR LF
// pairs, the i-th CR LF-separated line (1-based), the i-th comma field
// (1-based, "" when missing).
int CountLines(const std::string& text);
std::string LineField(const std::string& text, int i);
std::string CommaField(const std::string& line, int i);
// Every CR LF-terminated line, in order (what CountLines/LineField walk).
std::vector<std::string> SplitLines(const std::string& text);

// A number right-aligned in two characters: padded with spaces on the left,
// a longer one cut to its first two characters.
std::string RightAlign2(long long value);
