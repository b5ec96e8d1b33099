#include "tools/catdesc/report.h"

#include <cstdio>
#include <string_view>

#include "stand_in/strip_lf.h"

namespace catdesc {
namespace {

using assistant::BatchResult;
using assistant::BatchStatus;

// U+FFFD, shown in readable text for a control character that could upset a terminal.
constexpr char kReplacement[] = "\xEF\xBF\xBD";

// A stored text as the output shows it, before decoding: tidied unless raw output was asked for.
std::string Tidied(const std::string& stored, const OutputStyle& style) {
  if (style.raw) {
    return stored;
  }
  std::string text = stored;
  stand_in::StripLineEnds(text.data());
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

// Readable text: decoded, and with control characters other than the tab replaced, so that a
// catalogue cannot move the cursor or change colours. Raw output leaves the bytes alone.
std::string Readable(const std::string& stored, const OutputStyle& style) {
  std::string text = Tidied(stored, style);
  if (style.raw) {
    return text;
  }
  std::string decoded;
  AppendUtf8(decoded, text, style.encoding);
  std::string out;
  for (const char c : decoded) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
      out += kReplacement;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  out.push_back('"');
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

// A catalogue text as a JSON string: tidied unless raw, always decoded.
void AppendJsonText(std::string& out, const std::string& stored, const OutputStyle& style) {
  std::string decoded;
  AppendUtf8(decoded, Tidied(stored, style), style.encoding);
  AppendJsonString(out, decoded);
}

std::string Json(const std::string& name, const BatchResult& result, const OutputStyle& style) {
  std::string out = R"({"name":)";
  // A name is the user's text: kept when it is UTF-8 already, else read like the catalogue.
  if (IsUtf8(name)) {
    AppendJsonString(out, name);
  } else {
    std::string decoded;
    AppendUtf8(decoded, name, style.encoding);
    AppendJsonString(out, decoded);
  }
  out += R"(,"status":")";
  out += StatusName(result.status);
  out += '"';
  if (result.status == BatchStatus::NotFound) {
    out += R"(,"layout":null,"offset":null,"title":null,"keywords":null,"abstract":null)";
  } else {
    out += R"(,"layout":")";
    out += LayoutName(result.layout);
    out += R"(","offset":)" + std::to_string(result.entryStart) + R"(,"title":)";
    AppendJsonText(out, result.title, style);
    out += R"(,"keywords":)";
    AppendJsonText(out, result.keywords, style);
    out += R"(,"abstract":)";
    AppendJsonText(out, result.abstract, style);
  }
  out += R"(,"unknown_formats":[)";
  for (std::size_t i = 0; i < result.unknownFormats.size(); ++i) {
    out += (i == 0 ? "" : ",") + std::to_string(result.unknownFormats[i]);
  }
  out += R"(],"passed_over":[)";
  for (std::size_t i = 0; i < result.passedOver.size(); ++i) {
    out += (i == 0 ? R"({"offset":)" : R"(,{"offset":)") +
           std::to_string(result.passedOver[i].start) + R"(,"title":)";
    AppendJsonText(out, result.passedOver[i].title, style);
    out += '}';
  }
  out += "]}\n";
  return out;
}

std::string Text(const std::string& name, const BatchResult& result, const OutputStyle& style) {
  std::string out = "name: " + name + "\nstatus: " + StatusName(result.status) + "\n";
  if (result.status != BatchStatus::NotFound) {
    out += std::string("layout: ") + LayoutName(result.layout) + "\n";
    out += "offset: " + std::to_string(result.entryStart) + "\n";
    out += "title: " + Readable(result.title, style) + "\n";
    out += "keywords: " + Readable(result.keywords, style) + "\n";
    out += "abstract: " + Readable(result.abstract, style) + "\n";
  }
  for (const std::uint64_t start : result.unknownFormats) {
    out += "unknown format: " + std::to_string(start) + "\n";
  }
  for (const assistant::PassedGuess& guess : result.passedOver) {
    out +=
        "passed over: " + std::to_string(guess.start) + " " + Readable(guess.title, style) + "\n";
  }
  out += "\n";
  return out;
}

}  // namespace

const char* StatusName(BatchStatus status) {
  switch (status) {
    case BatchStatus::Found:
      return "found";
    case BatchStatus::Guessed:
      return "guessed";
    case BatchStatus::NotFound:
      break;
  }
  return "not-found";
}

const char* LayoutName(catalog::Layout layout) {
  switch (layout) {
    case catalog::Layout::Spaced:
      return "spaced";
    case catalog::Layout::Compact:
      return "compact";
    case catalog::Layout::Headed:
      return "headed";
    case catalog::Layout::Guess:
      break;
  }
  return "guess";
}

std::string FormatRecord(const std::string& name, const BatchResult& result,
                         const OutputStyle& style) {
  return style.json ? Json(name, result, style) : Text(name, result, style);
}

}  // namespace catdesc
