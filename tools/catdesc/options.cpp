#include "tools/catdesc/options.h"

#include <string_view>

namespace catdesc {

const char kHelpText[] =
    "usage: catdesc [options] CATALOG NAME...\n"
    "       catdesc [options] --names FILE CATALOG [NAME...]\n"
    "\n"
    "Describes files from a library catalogue: for each NAME, the title, keywords and abstract\n"
    "of its entry, exactly as the catalogue assistant would find them, without any dialog.\n"
    "All names are looked up in one pass over the catalogue.\n"
    "\n"
    "options:\n"
    "  --names FILE       read more names from FILE, one a line ('-': standard input);\n"
    "                     empty lines are skipped, a carriage return before the line feed is\n"
    "                     dropped\n"
    "  --guess=MODE       what to do when a line mentions a name but holds no entry and a title\n"
    "                     is guessed from it:\n"
    "                       ask     show the assistant's question and read y or n\n"
    "                       accept  take the guessed title as the result\n"
    "                       skip    search on (the guess is reported as passed over)\n"
    "                     default: ask when standard input and standard error are terminals\n"
    "                     (and names do not come from standard input), skip otherwise\n"
    "  --json             one JSON object a line instead of text\n"
    "  --raw              stored bytes instead of tidied texts: carriage returns and line\n"
    "                     feeds kept; in text output no byte is decoded either\n"
    "  --encoding=NAME    code page of the catalogue: cp437 (default), cp1252 or latin1\n"
    "  --help             this text\n"
    "  --                 everything after it is a name (or the catalogue)\n"
    "\n"
    "Names are matched as the assistant matches them: ignoring the case of a to z, anywhere in\n"
    "a line, a line longer than 198 characters read as several. Names that differ only in case\n"
    "are one search, reported under each name.\n"
    "\n"
    "Text output: a record a name, fields 'name:', 'status:' (found, guessed, not-found), and\n"
    "when described 'layout:' (spaced, compact, headed, guess), 'offset:' (byte offset of the\n"
    "entry's first line), 'title:', 'keywords:', 'abstract:'; then 'unknown format: OFFSET' for\n"
    "each mention in no known format and 'passed over: OFFSET TITLE' for each guess searched\n"
    "past; an empty line ends the record. JSON output has the keys name, status, layout,\n"
    "offset, title, keywords, abstract, unknown_formats and passed_over (offset and title).\n"
    "\n"
    "A progress bar is shown on standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 every name described, 1 some name not described, 2 usage error or a file\n"
    "that cannot be read.\n";

namespace {

bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, std::string_view option,
               std::string& value, std::string& error) {
  const std::string& argument = arguments[i];
  if (argument.size() > option.size() && argument[option.size()] == '=') {
    value = argument.substr(option.size() + 1);
    return true;
  }
  if (i + 1 >= arguments.size()) {
    error = std::string(option) + " needs a value";
    return false;
  }
  value = arguments[++i];
  return true;
}

bool Is(const std::string& argument, std::string_view option) {
  return argument == option || (argument.size() > option.size() && argument.starts_with(option) &&
                                argument[option.size()] == '=');
}

}  // namespace

Parsed ParseArguments(const std::vector<std::string>& arguments, Options& options,
                      std::string& error) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      positional.push_back(argument);
      continue;
    }
    std::string value;
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      return Parsed::Help;
    } else if (argument == "--json") {
      options.style.json = true;
    } else if (argument == "--raw") {
      options.style.raw = true;
    } else if (Is(argument, "--names")) {
      if (!TakeValue(arguments, i, "--names", value, error)) {
        return Parsed::Error;
      }
      options.nameFiles.push_back(value);
    } else if (Is(argument, "--guess")) {
      if (!TakeValue(arguments, i, "--guess", value, error)) {
        return Parsed::Error;
      }
      if (value == "ask") {
        options.guess = GuessMode::Ask;
      } else if (value == "accept") {
        options.guess = GuessMode::Accept;
      } else if (value == "skip") {
        options.guess = GuessMode::Skip;
      } else {
        error = "--guess takes ask, accept or skip, not '" + value + "'";
        return Parsed::Error;
      }
    } else if (Is(argument, "--encoding")) {
      if (!TakeValue(arguments, i, "--encoding", value, error)) {
        return Parsed::Error;
      }
      const std::optional<Encoding> encoding = EncodingNamed(value);
      if (!encoding) {
        error = "--encoding takes cp437, cp1252 or latin1, not '" + value + "'";
        return Parsed::Error;
      }
      options.style.encoding = *encoding;
    } else {
      error = "unknown option '" + argument + "'";
      return Parsed::Error;
    }
  }
  if (positional.empty()) {
    error = "no catalogue given";
    return Parsed::Error;
  }
  options.catalogue = positional.front();
  options.names.assign(positional.begin() + 1, positional.end());
  if (options.names.empty() && options.nameFiles.empty()) {
    error = "no names given";
    return Parsed::Error;
  }
  return Parsed::Run;
}

}  // namespace catdesc
