#include "tools/catgen/catgen.h"

#include <array>
#include <cstdio>

namespace catgen {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // In [low, high].
  unsigned Between(unsigned low, unsigned high) {
    return low + static_cast<unsigned>(Next() % (high - low + 1));
  }
  bool Chance(unsigned percent) { return Between(1, 100) <= percent; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& from) {
    return from[static_cast<std::size_t>(Next() % N)];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 98> kWords = {
    "the",     "a",         "and",      "for",     "with",     "of",       "to",       "in",
    "on",      "by",        "from",     "or",      "all",      "any",      "program",  "utility",
    "game",    "shareware", "freeware", "version", "printer",  "screen",   "mouse",    "keyboard",
    "disk",    "files",     "archive",  "menu",    "colour",   "graphics", "sound",    "music",
    "editor",  "text",      "database", "records", "reports",  "prints",   "shows",    "reads",
    "writes",  "converts",  "tables",   "charts",  "maps",     "letters",  "numbers",  "dates",
    "time",    "clock",     "calendar", "address", "book",     "recipes",  "garden",   "chess",
    "cards",   "puzzle",    "maze",     "space",   "stars",    "planets",  "tides",    "boats",
    "trains",  "aircraft",  "weather",  "modem",   "terminal", "upload",   "download", "library",
    "catalog", "index",     "search",   "sort",    "fast",     "small",    "simple",   "complete",
    "full",    "source",    "included", "needs",   "VGA",      "EGA",      "CGA",      "Hercules",
    "DOS",     "Windows",   "OS/2",     "memory",  "640K",     "hard",     "drive",    "register",
    "author",  "update"};

constexpr std::array<std::string_view, 8> kExtensions = {"ZIP", "ARJ", "LZH", "EXE",
                                                         "TXT", "GIF", "ARC", "PAK"};
constexpr std::array<std::string_view, 12> kPeople = {
    "Nora Quist", "Sam Ostrander",   "Ivo Kettering", "Ruth Penhallow", "Ada Morrow", "Lev Brandt",
    "Mina Osei",  "Tom Fairweather", "Jo Calloway",   "Pia Lindqvist",  "Hal Strand", "Uma Rao"};

class Writer {
 public:
  Writer(const Options& options, const Sink& sink)
      : options_(options), sink_(sink), random_(options.seed), eol_(options.crlf ? "\r\n" : "\n") {}

  std::uint64_t Run() {
    Line("Synthetic File Library - catalogue capture, seed " + std::to_string(options_.seed));
    Line("Each entry lists the file, its size and upload count, then its description.");
    Line("");
    while (written_ + buffer_.size() < options_.size) {
      Entry();
    }
    for (const std::string& name : options_.planted) {
      Spaced(name);
    }
    Flush();
    return written_;
  }

 private:
  void Line(std::string_view text) {
    buffer_.append(text);
    buffer_.append(eol_);
    if (buffer_.size() >= (1u << 20)) {
      Flush();
    }
  }
  void Flush() {
    if (!buffer_.empty()) {
      sink_.write(buffer_);
      written_ += buffer_.size();
      buffer_.clear();
    }
  }
  std::uint64_t Offset() const { return written_ + buffer_.size(); }

  std::string NewName() {
    for (;;) {
      std::string name;
      const unsigned length = random_.Between(5, 8);
      for (unsigned i = 0; i < length; ++i) {
        const unsigned k = random_.Between(0, 35);
        name += static_cast<char>(k < 26 ? 'A' + k : '0' + (k - 26));
      }
      name += '.';
      name += random_.Pick(kExtensions);
      bool planted = false;
      for (const std::string& p : options_.planted) {
        planted = planted || p == name;
      }
      if (!planted) {
        return name;
      }
    }
  }

  std::string Words(unsigned count, bool capitalise) {
    std::string out;
    for (unsigned i = 0; i < count; ++i) {
      if (i > 0) {
        out += ' ';
      }
      std::string word(random_.Pick(kWords));
      if (capitalise && word[0] >= 'a' && word[0] <= 'z') {
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
      }
      out += word;
    }
    return out;
  }

  std::string Date() {
    char text[16];
    std::snprintf(text, sizeof text, "%02u-%02u-%02u", random_.Between(1, 28),
                  random_.Between(1, 12), random_.Between(88, 99));
    return text;
  }

  // Abstract lines: mostly wrapped near 70 columns, now and then one long unwrapped paragraph, now
  // and then a mention of another entry's name.
  void Abstract() {
    const unsigned lines = random_.Between(1, random_.Chance(10) ? 24 : 6);
    for (unsigned i = 0; i < lines; ++i) {
      std::string text =
          Words(random_.Chance(8) ? random_.Between(40, 120) : random_.Between(8, 12), i == 0);
      if (random_.Chance(15) && !recent_.empty()) {
        text +=
            " See also " + recent_[static_cast<std::size_t>(random_.Next() % recent_.size())] + ".";
      }
      if (random_.Chance(5)) {
        Line("");
      }
      Line(text);
    }
  }

  void Remember(const std::string& name) {
    if (recent_.size() < 64) {
      recent_.push_back(name);
    } else {
      recent_[static_cast<std::size_t>(random_.Next() % recent_.size())] = name;
    }
  }

  void Bracketed(const std::string& name, bool spaced) {
    if (sink_.entry) {
      sink_.entry(name, Offset());
    }
    Line(name);
    char size[96];
    std::snprintf(size, sizeof size, "Bytes: %7u  Count: %4u  Uploaded: %s",
                  random_.Between(1000, 2000000), random_.Between(0, 999), Date().c_str());
    Line(size);
    if (spaced) {
      Line("");
    }
    Line("Title:   " + Words(random_.Between(3, 9), true));
    std::string keywords = "Keywords:";
    for (unsigned i = random_.Between(2, 6); i > 0; --i) {
      std::string word(random_.Pick(kWords));
      for (char& c : word) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      }
      keywords += ' ' + word;
    }
    Line(keywords);
    if (spaced) {
      Line("");
    }
    Abstract();
    Line("[" + std::to_string(random_.Between(1, 9999)) + "] Uploaded by " +
         std::string(random_.Pick(kPeople)));
    Line("");
  }
  void Spaced(const std::string& name) { Bracketed(name, true); }

  void Headed(const std::string& name) {
    if (sink_.entry) {
      sink_.entry(name, Offset());
    }
    Line(name);
    Line("   " + std::to_string(random_.Between(1000, 2000000)) + " bytes  " + Date());
    Line(Words(random_.Between(3, 8), true));
    Line("Author: " + std::string(random_.Pick(kPeople)));
    if (random_.Chance(50)) {
      Line("Needs: " + Words(random_.Between(1, 4), false));
    }
    Line("Abstract");
    Abstract();
    Line(std::string(random_.Between(20, 72), '-'));
    Line("");
  }

  void TitleOnly(const std::string& name) {
    if (sink_.entry) {
      sink_.entry(name, Offset());
    }
    char head[64];
    std::snprintf(head, sizeof head, "%-12s %7u  %s  %02u:%02u  ", name.c_str(),
                  random_.Between(1000, 2000000), Date().c_str(), random_.Between(0, 23),
                  random_.Between(0, 59));
    Line(head + Words(random_.Between(3, 10), true));
  }

  void Entry() {
    const std::string name = NewName();
    const unsigned kind = random_.Between(1, 100);
    if (kind <= 35) {
      Spaced(name);
    } else if (kind <= 65) {
      Bracketed(name, false);
    } else if (kind <= 85) {
      Headed(name);
    } else {
      TitleOnly(name);
      if (random_.Chance(30)) {
        Line("");
      }
    }
    Remember(name);
  }

  const Options& options_;
  const Sink& sink_;
  Random random_;
  std::string_view eol_;
  std::string buffer_;
  std::uint64_t written_ = 0;
  std::vector<std::string> recent_;
};

}  // namespace

std::uint64_t Generate(const Options& options, const Sink& sink) {
  return Writer(options, sink).Run();
}

std::string GenerateString(const Options& options) {
  std::string out;
  Generate(options, Sink{[&](std::string_view bytes) { out.append(bytes); }, {}});
  return out;
}

}  // namespace catgen
