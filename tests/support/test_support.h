// Shared test fixtures: the headless platform, temporary folders and the
// folder where tests leave screenshots for a reviewer.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {
std::filesystem::path SourceDir();
std::filesystem::path BuildGameDir();
// build/screenshots (created on demand).
std::filesystem::path ArtifactDir();
// A fresh empty folder under the system temp folder, removed by the caller.
std::filesystem::path MakeTempDir(const std::string& tag);
// A copy of the shipped game/ folder in a fresh temp folder.
std::filesystem::path CopyGameFolder(const std::string& tag);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);
}  // namespace testing_support
