// The text-file reader the requesters and the help viewer each call under
// their own module name, so their messages name the module that failed.
#pragma once

#include <filesystem>
#include <string>

// The whole file as 8-bit text, ending in CR LF. Fatal (in module, procedure
// "LoadText") when the file is missing, unreadable or empty.
std::string LoadDialogText(const std::filesystem::path& file, const char* module);
