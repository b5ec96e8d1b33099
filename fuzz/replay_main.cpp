// Runs a fuzz target once on each file named on the command line, or on each file inside a named
// folder, for builds without libFuzzer: the kept corpus and every regression input then run in
// the ordinary and sanitizer test suites.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  bytes.clear();
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// The files to replay: `path` itself, or the regular files directly inside it, in name order.
std::vector<std::string> Inputs(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return {};
  }
  if (!S_ISDIR(info.st_mode)) {
    return {path};
  }
  std::vector<std::string> files;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string full = path + "/" + entry->d_name;
      if (entry->d_name[0] != '.' && ::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        files.push_back(full);
      }
    }
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  std::vector<std::uint8_t> bytes;
  for (int i = 1; i < argc; ++i) {
    const std::vector<std::string> files = Inputs(argv[i]);
    if (files.empty()) {
      std::fprintf(stderr, "replay: nothing to replay in %s\n", argv[i]);
      return 2;
    }
    for (const std::string& file : files) {
      if (!ReadWhole(file, bytes)) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return 2;
      }
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 2;
}
