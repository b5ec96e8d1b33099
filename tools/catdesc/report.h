// How catdesc writes what it found for a name: readable text, or one JSON object a line.
#pragma once

#include <string>

#include "assistant/batch_scan.h"
#include "tools/catdesc/encoding.h"

namespace catdesc {

struct OutputStyle {
  bool json = false;
  // Stored bytes as they are (carriage returns and line feeds included) instead of the texts
  // tidied as the host's StripLF tidies them. Text output then also leaves every byte undecoded.
  bool raw = false;
  Encoding encoding = Encoding::Cp437;
};

// The record for `name` (as given by the user), ending with a line feed. Text records end with an
// empty line, so that records are separated by one.
std::string FormatRecord(const std::string& name, const assistant::BatchResult& result,
                         const OutputStyle& style);

// "found", "guessed", "not-found"; "spaced", "compact", "headed", "guess".
const char* StatusName(assistant::BatchStatus status);
const char* LayoutName(catalog::Layout layout);

}  // namespace catdesc
