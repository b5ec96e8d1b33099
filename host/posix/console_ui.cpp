// The window system on a terminal: message boxes and the open-file dialog are printed on standard
// error and answered on standard input, so that a person can use them and a script can drive them.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/platform.h"

namespace host {
namespace {

// Reads one answer line without its line end. False at the end of input.
bool ReadAnswer(std::string& answer) {
  answer.clear();
  int c = 0;
  bool any = false;
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') {
      break;
    }
    answer.push_back(static_cast<char>(c));
  }
  while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
    answer.pop_back();
  }
  return any;
}

// Prints a message text; a carriage return, a line feed or the pair of them breaks the line.
void PrintText(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      std::fputc('\n', stderr);
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      std::fputc(text[i], stderr);
    }
  }
  std::fputc('\n', stderr);
}

const char* IconMark(unsigned style) {
  switch (style & 0xF0U) {
    case kMbIconHand:
      return "(x) ";
    case kMbIconQuestion:
      return "(?) ";
    case kMbIconExclamation:
      return "(!) ";
    default:
      return "";
  }
}

// Asks a yes/no question until it gets y or n. The end of input answers no.
bool AskYesNo(const char* prompt) {
  std::string answer;
  for (;;) {
    std::fprintf(stderr, "%s [y/n] ", prompt);
    std::fflush(stderr);
    if (!ReadAnswer(answer)) {
      std::fputc('\n', stderr);
      return false;
    }
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") {
      return true;
    }
    if (answer == "n" || answer == "N" || answer == "no" || answer == "No") {
      return false;
    }
  }
}

char Fold(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Wildcard match ignoring case, as the window system matches file names: '*' any run, '?' one
// character, and "*.*" everything, names without a dot included.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") {
    return true;
  }
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

struct Filter {
  std::string_view description;
  std::string_view pattern;
};

std::vector<Filter> ParseFilters(const char* list) {
  std::vector<Filter> filters;
  while (list != nullptr && *list != '\0') {
    const std::string_view description(list);
    list += description.size() + 1;
    const std::string_view pattern(list);
    list += pattern.size() + 1;
    filters.push_back({description, pattern});
  }
  return filters;
}

std::string JoinPath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (path.empty() || path.back() != '/') {
    path += '/';
  }
  path += name;
  return path;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// The regular files of `directory` whose names match `pattern`, sorted.
std::vector<std::string> ListMatching(const std::string& directory, std::string_view pattern) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) {
      continue;
    }
    struct stat info {};
    const std::string full = JoinPath(directory, name);
    if (::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Windows finds files whatever the case of the typed name; on a case-sensitive file system the
// same name is looked up case-insensitively when no file has exactly that name.
std::string ResolveCase(const std::string& path) {
  if (Exists(path)) {
    return path;
  }
  const std::string directory = DirectoryOf(path);
  const std::string name = path.substr(path.rfind('/') + 1);
  std::string found;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) {
    return path;
  }
  while (const dirent* item = ::readdir(dir)) {
    if (CompareTextIgnoreCase(item->d_name, name.c_str()) == 0) {
      if (!found.empty()) {
        found.clear();  // more than one: take none
        break;
      }
      found = item->d_name;
    }
  }
  ::closedir(dir);
  return found.empty() ? path : JoinPath(directory, found);
}

std::string AbsoluteDirectory(const char* directory) {
  if (directory != nullptr && directory[0] != '\0' && IsDirectory(directory)) {
    return directory;
  }
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) : std::string(".");
}

}  // namespace

int ShowMessage(Window /*owner*/, const char* text, const char* caption, unsigned style) {
  std::fprintf(stderr, "\n== %s%s ==\n", IconMark(style), caption);
  PrintText(text);
  if ((style & 0x0FU) == kMbYesNo) {
    return AskYesNo("Yes or No?") ? kIdYes : kIdNo;
  }
  std::fprintf(stderr, "[OK: press Enter] ");
  std::fflush(stderr);
  std::string answer;
  if (!ReadAnswer(answer)) {
    std::fputc('\n', stderr);
  }
  return kIdOk;
}

bool RunOpenFileDialog(Window /*owner*/, OpenFileData& data) {
  data.error = 0;
  const std::vector<Filter> filters = ParseFilters(data.filter);
  std::size_t selected =
      data.filterIndex >= 1 && data.filterIndex <= filters.size() ? data.filterIndex - 1 : 0;
  std::string directory = AbsoluteDirectory(data.initialDirectory);
  std::string pattern =
      filters.empty() ? std::string("*.*") : std::string(filters[selected].pattern);
  const std::string_view extension = data.defaultExtension != nullptr ? data.defaultExtension : "";

  for (;;) {
    std::fprintf(stderr, "\n== %s ==\nLook in: %s\nFiles of type:\n",
                 data.title != nullptr ? data.title : "Open", directory.c_str());
    for (std::size_t i = 0; i < filters.size(); ++i) {
      std::fprintf(stderr, "  %c %zu. %.*s\n", i == selected ? '>' : ' ', i + 1,
                   static_cast<int>(filters[i].description.size()), filters[i].description.data());
    }
    const std::vector<std::string> names = ListMatching(directory, pattern);
    std::fprintf(stderr, "Files matching %s:%s\n", pattern.c_str(), names.empty() ? " none" : "");
    for (const std::string& name : names) {
      std::fprintf(stderr, "    %s\n", name.c_str());
    }
    std::fprintf(stderr, "File name (a pattern such as *.TXT lists other files; Enter cancels): ");
    std::fflush(stderr);

    std::string answer;
    if (!ReadAnswer(answer) || answer.empty()) {
      return false;  // cancelled
    }
    if (answer.find_first_of("*?") != std::string::npos) {
      pattern = answer;
      continue;
    }
    std::string path = answer[0] == '/' ? answer : JoinPath(directory, answer);
    if (IsDirectory(path)) {
      directory = path;
      continue;
    }
    const std::size_t slash = path.rfind('/');
    if (!extension.empty() && path.find('.', slash + 1) == std::string::npos) {
      path += '.';
      path += extension;
    }
    path = ResolveCase(path);
    if (path.size() >= sizeof data.fileName) {
      data.error = kFnErrBufferTooSmall;
      return false;
    }
    if (!Exists(path)) {
      if (!IsDirectory(DirectoryOf(path))) {
        std::fprintf(stderr, "%s\nPath does not exist.\n", path.c_str());
        continue;
      }
      if ((data.flags & kOfnCreatePrompt) == 0) {
        std::fprintf(stderr, "%s\nFile not found.\n", path.c_str());
        continue;
      }
      std::fprintf(stderr, "%s\nThis file does not exist.\n", path.c_str());
      if (!AskYesNo("Do you want to create it?")) {
        continue;
      }
    }
    std::memcpy(data.fileName, path.c_str(), path.size() + 1);
    return true;
  }
}

}  // namespace host
