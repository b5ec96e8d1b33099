// catgen: writes a synthetic catalogue (see catgen.h) to a file or standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tools/catgen/catgen.h"

namespace {

constexpr char kHelp[] =
    "usage: catgen [--seed N] [--size BYTES[K|M|G]] [--lf] [--plant NAME]... [--names FILE]\n"
    "              [-o FILE]\n"
    "\n"
    "Writes a synthetic library catalogue: spaced, compact and headed entries and title-only\n"
    "lines, mixed, with long abstracts (some lines longer than 198 characters), bracketed "
    "uploader\n"
    "ids and names of other entries mentioned in abstracts. The same seed and options give the\n"
    "same bytes.\n"
    "\n"
    "  --seed N      seed of the generator (default 1)\n"
    "  --size BYTES  write at least this much, finishing the last entry (default 1M)\n"
    "  --lf          end lines with LF only (default CR-LF)\n"
    "  --plant NAME  end the catalogue with a spaced entry for NAME, mentioned nowhere else\n"
    "                (repeatable)\n"
    "  --names FILE  write every entry's name and the offset of its first line to FILE\n"
    "  -o FILE       write the catalogue to FILE (default standard output)\n";

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr && file != stdout) {
      std::fclose(file);
    }
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool ParseSize(const char* text, std::uint64_t& size) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text) {
    return false;
  }
  unsigned shift = 0;
  if (*end == 'K' || *end == 'k') {
    shift = 10;
  } else if (*end == 'M' || *end == 'm') {
    shift = 20;
  } else if (*end == 'G' || *end == 'g') {
    shift = 30;
  } else if (*end != '\0') {
    return false;
  }
  size = static_cast<std::uint64_t>(value) << shift;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  catgen::Options options;
  const char* output = nullptr;
  const char* namesPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--seed" && hasValue) {
      options.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--size" && hasValue) {
      if (!ParseSize(argv[++i], options.size)) {
        std::fprintf(stderr, "catgen: bad size '%s'\n", argv[i]);
        return 64;
      }
    } else if (arg == "--lf") {
      options.crlf = false;
    } else if (arg == "--plant" && hasValue) {
      options.planted.emplace_back(argv[++i]);
    } else if (arg == "--names" && hasValue) {
      namesPath = argv[++i];
    } else if (arg == "-o" && hasValue) {
      output = argv[++i];
    } else {
      std::fprintf(stderr, "catgen: unexpected argument '%s'\n%s", argv[i], kHelp);
      return 64;
    }
  }
  const FilePtr out(output != nullptr ? std::fopen(output, "wb") : stdout);
  if (!out) {
    std::fprintf(stderr, "catgen: cannot write %s\n", output);
    return 1;
  }
  FilePtr names;
  if (namesPath != nullptr) {
    names.reset(std::fopen(namesPath, "wb"));
    if (!names) {
      std::fprintf(stderr, "catgen: cannot write %s\n", namesPath);
      return 1;
    }
  }
  bool failed = false;
  catgen::Sink sink;
  sink.write = [&](std::string_view bytes) {
    failed = failed || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size();
  };
  if (names) {
    sink.entry = [&](std::string_view name, std::uint64_t offset) {
      std::fprintf(names.get(), "%.*s %llu\n", static_cast<int>(name.size()), name.data(),
                   static_cast<unsigned long long>(offset));
    };
  }
  catgen::Generate(options, sink);
  if (failed || std::fflush(out.get()) != 0) {
    std::fprintf(stderr, "catgen: write failed\n");
    return 1;
  }
  return 0;
}
