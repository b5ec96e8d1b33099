// Catalogue bytes as Unicode text. Catalogues are 8-bit text from DOS and early Windows libraries;
// bytes below 0x80 are ASCII in all of them, the rest depend on the code page they were written in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace catdesc {

enum class Encoding { Cp437, Cp1252, Latin1 };

// "cp437", "cp1252" or "latin1", ignoring case; nullopt for anything else.
std::optional<Encoding> EncodingNamed(std::string_view name);

// Appends `bytes` to `out` as UTF-8, each byte of 0x80 and above decoded by `encoding`. Every byte
// becomes exactly one character; bytes that the code page leaves undefined become the control
// character of the same number, as Windows decodes them.
void AppendUtf8(std::string& out, std::string_view bytes, Encoding encoding);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view text);

}  // namespace catdesc
