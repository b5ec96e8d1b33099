// read_probe: how fast the scan's block search runs over a catalogue fed by read() in blocks of
// several sizes, and over a read-only mapping of the whole file. The benchmark uses it to weigh the
// two ways of reading; the module itself only ever reads (see README, "Fast scan").
//
// usage: read_probe FILE NAME [RUNS] [NAMES-FILE]
// With NAMES-FILE (a name a line, first word), also the search for all those names at once
// against the same search set up for NAME alone, both fed by 256 KiB read() blocks.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/mention_search.h"

namespace {

using Clock = std::chrono::steady_clock;

// Passes over the whole of [data, data + size) the way the scan does: search, and where the search
// stops at a mention or a block's last piece, step over one piece as ReadLine would.
std::uint64_t Sweep(const catalog::MentionSearch& search, const unsigned char* data,
                    std::size_t size) {
  std::uint64_t stops = 0;
  std::size_t at = 0;
  while (at < size) {
    at += search.NextMentionOrBoundary(data + at, size - at);
    if (at < size) {
      ++stops;
      at += std::min<std::size_t>(catalog::kPieceLength, size - at);
    }
  }
  return stops;
}

double ReadBlocks(int fd, const catalog::MentionSearch& search, std::size_t blockSize) {
  const std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize]);
  const auto begin = Clock::now();
  std::uint64_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, block.get(), blockSize, static_cast<off_t>(offset));
    if (got <= 0) {
      break;
    }
    Sweep(search, block.get(), static_cast<std::size_t>(got));
    offset += static_cast<std::uint64_t>(got);
  }
  return std::chrono::duration<double>(Clock::now() - begin).count();
}

double Mapped(int fd, std::size_t size, const catalog::MentionSearch& search) {
  const auto begin = Clock::now();
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (map == MAP_FAILED) {
    return -1;
  }
  ::madvise(map, size, MADV_SEQUENTIAL);
  constexpr std::size_t kStride = std::size_t{1} << 20;
  const auto* bytes = static_cast<const unsigned char*>(map);
  for (std::size_t at = 0; at < size; at += kStride) {
    Sweep(search, bytes + at, std::min(kStride, size - at));
  }
  ::munmap(map, size);
  return std::chrono::duration<double>(Clock::now() - begin).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: read_probe FILE NAME [RUNS] [NAMES-FILE]\n", stderr);
    return 64;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  const catalog::MentionSearch search(argv[2]);
  const auto size = static_cast<std::size_t>(info.st_size);
  std::printf("%-26s %10s %10s\n", "way of reading", "median s", "GB/s");
  const auto report = [&](const char* what, std::vector<double> times) {
    const double median = Median(std::move(times));
    std::printf("%-26s %10.3f %10.2f\n", what, median, static_cast<double>(size) / median / 1e9);
  };
  for (const std::size_t kib : {64u, 128u, 256u, 512u, 1024u, 4096u}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
      times.push_back(ReadBlocks(fd, search, std::size_t{kib} << 10));
    }
    char label[32];
    std::snprintf(label, sizeof label, "read() %zu KiB blocks", kib);
    report(label, times);
  }
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    times.push_back(Mapped(fd, size, search));
  }
  report("mmap whole file", times);
  if (argc > 4) {
    std::vector<std::string> names;
    if (std::FILE* list = std::fopen(argv[4], "r")) {
      char word[256];
      while (std::fscanf(list, "%255s%*[^\n]", word) == 1) {
        names.emplace_back(word);
      }
      std::fclose(list);
    }
    constexpr std::size_t kBlock = std::size_t{256} << 10;
    const catalog::MentionSearch one(std::vector<std::string>{argv[2]});
    const catalog::MentionSearch all(names);
    for (const auto& [what, many] : {std::pair{"names at once: NAME only", &one},
                                     std::pair{"names at once: NAMES-FILE", &all}}) {
      times.clear();
      for (int i = 0; i < runs; ++i) {
        times.push_back(ReadBlocks(fd, *many, kBlock));
      }
      char label[64];
      std::snprintf(label, sizeof label, "%s", what);
      report(label, times);
    }
    std::printf("(%zu names in the list)\n", names.size());
  }
  ::close(fd);
  return 0;
}
