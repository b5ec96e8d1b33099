// catdesc: describes many files from one library catalogue, in one pass, with no dialog.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assistant/batch_scan.h"
#include "assistant/messages.h"
#include "catalog/catalog_reader.h"
#include "host/platform.h"
#include "tools/catdesc/options.h"
#include "tools/catdesc/report.h"

namespace {

using catdesc::GuessMode;

constexpr int kExitAllDescribed = 0;
constexpr int kExitSomeNotDescribed = 1;
constexpr int kExitTrouble = 2;

constexpr int kBarWidth = 30;
constexpr double kMebibyte = 1024.0 * 1024.0;

void Complain(const std::string& message) {
  std::fprintf(stderr, "catdesc: %s\n", message.c_str());
}

// Why `path` cannot be opened as a catalogue, in the system's words where it has some.
std::string OpenFailure(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return std::strerror(errno);
  }
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  const int error = errno;
  ::close(fd);
  if (!known) {
    return std::strerror(error);
  }
  if (S_ISDIR(info.st_mode)) {
    return std::strerror(EISDIR);
  }
  if (!S_ISREG(info.st_mode)) {
    return "not a regular file";
  }
  return "cannot be read";
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// Adds a line of a names file: without the carriage return of a CR-LF file, cut at a zero byte
// (a name is a zero-terminated text for the scan), and only when something is left.
void AddName(std::string line, std::vector<std::string>& names) {
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  line.resize(std::strlen(line.c_str()));
  if (!line.empty()) {
    names.push_back(std::move(line));
  }
}

// Appends the names of `path` (or standard input for "-"), one a line. False with `error` set
// when the file cannot be opened or read.
bool ReadNames(const std::string& path, std::vector<std::string>& names, std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> owned;
  std::FILE* file = stdin;
  if (path != "-") {
    owned.reset(std::fopen(path.c_str(), "rb"));
    if (!owned) {
      error = "cannot open names file '" + path + "': " + std::strerror(errno);
      return false;
    }
    file = owned.get();
  }
  std::string name;
  errno = 0;
  for (int c = std::getc(file); c != EOF; c = std::getc(file)) {
    if (c != '\n') {
      name.push_back(static_cast<char>(c));
      continue;
    }
    AddName(name, names);
    name.clear();
  }
  AddName(name, names);
  if (std::ferror(file) != 0) {
    const int reason = errno;
    error = "cannot read names from '" + path + "': " + std::strerror(reason != 0 ? reason : EIO);
    return false;
  }
  return true;
}

// The question, the progress bar, and who answers.
class TerminalObserver final : public assistant::BatchObserver {
 public:
  TerminalObserver(GuessMode mode, bool progressBar, const std::vector<std::string>& names)
      : mode_(mode), progressBar_(progressBar), names_(names) {}
  TerminalObserver(const TerminalObserver&) = delete;
  TerminalObserver& operator=(const TerminalObserver&) = delete;
  TerminalObserver(TerminalObserver&&) = delete;
  TerminalObserver& operator=(TerminalObserver&&) = delete;
  ~TerminalObserver() { ClearBar(); }

  bool ContinueSearching(std::size_t name, const char* guessedTitle, std::uint64_t start) override {
    switch (mode_) {
      case GuessMode::Accept:
        return false;
      case GuessMode::Skip:
        return true;
      case GuessMode::Ask:
        break;
    }
    ClearBar();
    std::fprintf(stderr, "\ncatdesc: %s, mentioned in the line at byte %llu\n",
                 names_[name].c_str(), static_cast<unsigned long long>(start));
    char text[host::kFormatCapacity];
    host::FormatText(text, assistant::kGuessQuestionFormat, guessedTitle);
    return host::ShowMessage(nullptr, text, assistant::kGuessQuestionCaption,
                             host::kMbYesNo | host::kMbIconQuestion) == host::kIdYes;
  }

  void Progress(std::uint64_t done, std::uint64_t total) override {
    if (!progressBar_) {
      return;
    }
    const int percent = total == 0 ? 100 : static_cast<int>(std::min(done, total) * 100 / total);
    if (percent == drawnPercent_) {
      return;
    }
    drawnPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stderr, "\rcatdesc: [%.*s%*s] %3d%% %.1f of %.1f MiB", filled,
                 "##############################", kBarWidth - filled, "", percent,
                 static_cast<double>(done) / kMebibyte, static_cast<double>(total) / kMebibyte);
    std::fflush(stderr);
    barShown_ = true;
  }

  void ClearBar() {
    if (barShown_) {
      std::fprintf(stderr, "\r%*s\r", 80, "");
      std::fflush(stderr);
      barShown_ = false;
      drawnPercent_ = -1;
    }
  }

 private:
  GuessMode mode_;
  bool progressBar_;
  const std::vector<std::string>& names_;
  int drawnPercent_ = -1;
  bool barShown_ = false;
};

int Run(const catdesc::Options& given) {
  catdesc::Options options = given;
  bool namesFromInput = false;
  for (const std::string& path : options.nameFiles) {
    std::string error;
    namesFromInput = namesFromInput || path == "-";
    if (!ReadNames(path, options.names, error)) {
      Complain(error);
      return kExitTrouble;
    }
  }
  if (options.names.empty()) {
    Complain("no names given");
    return kExitTrouble;
  }
  const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1;
  GuessMode mode = terminal && !namesFromInput ? GuessMode::Ask : GuessMode::Skip;
  if (options.guess) {
    mode = *options.guess;
  }
  if (mode == GuessMode::Ask && namesFromInput) {
    Complain("--guess=ask reads answers from standard input, which holds the names");
    return kExitTrouble;
  }

  catalog::CatalogReader pass;
  catalog::CatalogReader parse;
  if (!pass.Open(options.catalogue.c_str()) || !parse.Open(options.catalogue.c_str())) {
    Complain("cannot open catalogue '" + options.catalogue +
             "': " + OpenFailure(options.catalogue));
    return kExitTrouble;
  }
  std::vector<assistant::BatchResult> results;
  {
    TerminalObserver observer(mode, ::isatty(STDERR_FILENO) == 1, options.names);
    results = assistant::ScanCatalogForNames(observer, pass, parse, options.names);
  }
  bool all = true;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const std::string record = catdesc::FormatRecord(options.names[i], results[i], options.style);
    std::fwrite(record.data(), 1, record.size(), stdout);
    all = all && results[i].status != assistant::BatchStatus::NotFound;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    Complain(std::string("cannot write the output: ") + std::strerror(errno));
    return kExitTrouble;
  }
  return all ? kExitAllDescribed : kExitSomeNotDescribed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  catdesc::Options options;
  std::string error;
  switch (catdesc::ParseArguments(arguments, options, error)) {
    case catdesc::Parsed::Help:
      std::fputs(catdesc::kHelpText, stdout);
      return std::fflush(stdout) == 0 ? kExitAllDescribed : kExitTrouble;
    case catdesc::Parsed::Error:
      Complain(error + " (see catdesc --help)");
      return kExitTrouble;
    case catdesc::Parsed::Run:
      break;
  }
  return Run(options);
}
