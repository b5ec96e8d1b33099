// A catalogue file written for one test and removed after it.
#pragma once

#if defined(_WIN32)
#include <filesystem>
#include <random>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
 public:
#if defined(_WIN32)
  // Windows has no mkdtemp: a random name, tried until one is new.
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() / ("catassist-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate.string();
      }
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
#else
  TempDir() : TempDir(TmpRoot()) {}
  // A folder under `root` instead of the usual temporary folder.
  explicit TempDir(const char* root) {
    std::string pattern = std::string(root) + "/catassist-XXXXXX";
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempDir() {
    if (!path_.empty()) {
      const std::string command = "rm -rf '" + path_ + "'";
      [[maybe_unused]] const int ignored = std::system(command.c_str());
    }
  }
#endif
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const {
    return path_;
  }

  // Writes `bytes` to `name` inside the folder and returns the full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string full = path_ + "/" + name;
    if (std::FILE* file = std::fopen(full.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    return full;
  }

 private:
#if !defined(_WIN32)
  static const char* TmpRoot() {
    const char* root = std::getenv("TMPDIR");
    return root != nullptr && root[0] != '\0' ? root : "/tmp";
  }
#endif
  std::string path_;
};

// Joins lines with the given line end after each.
inline std::string Lines(std::initializer_list<std::string_view> lines,
                         std::string_view end = "\r\n") {
  std::string out;
  for (const std::string_view line : lines) {
    out.append(line);
    out.append(end);
  }
  return out;
}

}  // namespace testing_support
