// The stand-in host library's tidying of output texts, shared by its Linux and Windows builds and
// by the command-line describer: trailing carriage returns and line feeds go, and every remaining
// CR-LF, CR or LF becomes one space.
#pragma once

#include <cstring>

namespace stand_in {

inline void StripLineEnds(char* text) {
  std::size_t end = std::strlen(text);
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) {
    --end;
  }
  std::size_t to = 0;
  for (std::size_t from = 0; from < end; ++from) {
    const char c = text[from];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && from + 1 < end && text[from + 1] == '\n') {
        ++from;
      }
      text[to++] = ' ';
    } else {
      text[to++] = c;
    }
  }
  text[to] = '\0';
}

}  // namespace stand_in
