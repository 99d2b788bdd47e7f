// The character filters of text entry: PCRE2 patterns matched against a
// whole text of Windows-1252 bytes.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <map>

#include "platform/screen.h"

// Regular expressions (8-bit, no UTF: the game's texts are 1252 bytes).
namespace {
std::map<int, pcre2_code*> gRegexes;
int gNextRegex = 1;
}  // namespace

int PlatCompileRegex(const std::string& pattern) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), 0,
                                   &error, &offset, nullptr);
  if (code == nullptr) return 0;
  int id = gNextRegex++;
  gRegexes[id] = code;
  return id;
}

bool PlatRegexMatch(int regex, const std::string& text) {
  auto it = gRegexes.find(regex);
  if (it == gRegexes.end()) return false;
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(it->second, nullptr);
  if (md == nullptr) return false;
  int rc = pcre2_match(it->second, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, md,
                       nullptr);
  pcre2_match_data_free(md);
  return rc >= 0;
}

void PlatFreeRegex(int regex) {
  auto it = gRegexes.find(regex);
  if (it == gRegexes.end()) return;
  pcre2_code_free(it->second);
  gRegexes.erase(it);
}
