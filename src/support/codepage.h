// Conversions between the system's 8-bit text (Windows-1252) and Unicode.
// Text inside the system is Windows-1252 in std::string; these run only at the
// edges (files, QuickBooks, the screen, JSON output).
#pragma once

#include <string>
#include <string_view>

namespace kvr {

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252; a character the code page cannot hold, and every
// malformed UTF-8 sequence, becomes "?".
std::string Utf8ToAnsi(std::string_view utf8);

std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view utf16);

// Lossless transforms between the two Unicode forms; malformed input
// (an unpaired surrogate, a bad UTF-8 sequence) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True iff every byte is below 0x80.
bool IsAscii(std::string_view text);

}  // namespace kvr
