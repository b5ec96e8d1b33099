// catdesc's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/catdesc/report.h"

namespace catdesc {

// Who answers the title-guess question: the user on the terminal, or a fixed answer.
enum class GuessMode { Ask, Accept, Skip };

struct Options {
  std::string catalogue;
  std::vector<std::string> names;      // from the command line, in order
  std::vector<std::string> nameFiles;  // --names, in order; "-" is standard input
  std::optional<GuessMode> guess;      // nullopt: chosen by whether we run on a terminal
  OutputStyle style;
};

enum class Parsed { Run, Help, Error };

// Reads the arguments after the program's name. On Error, `error` holds a one-line reason.
Parsed ParseArguments(const std::vector<std::string>& arguments, Options& options,
                      std::string& error);

extern const char kHelpText[];

}  // namespace catdesc
