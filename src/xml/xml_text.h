// Character rules shared by the XML reader, writers and lookups: what counts
// as a blank, trimming, and names compared without regard to ASCII case.
#pragma once

#include <string>
#include <string_view>

namespace kvr {

// Every byte at or below the space character, control characters included.
// Bytes of 0x80 and above are letters of the code page, never blanks.
inline bool IsXmlBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view TrimXmlBlanks(std::string_view text);

// The text without one pair of enclosing double quotes, when it has them.
std::string_view WithoutEnclosingQuotes(std::string_view text);

// Equal when the texts differ at most in the case of the letters A to Z.
// Inline because lookups call it once per child they pass; names mostly
// differ in length or match exactly.
bool SameXmlNameIgnoringCase(std::string_view a, std::string_view b);
inline bool SameXmlName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a == b || SameXmlNameIgnoringCase(a, b));
}

// True iff the text holds a byte above the space character.
bool HasVisibleChar(std::string_view text);

// The conversion error of a text that is not a whole number:
// "'12x' is not a valid integer value".
[[noreturn]] void RaiseNotAnInteger(std::string_view text);

}  // namespace kvr
