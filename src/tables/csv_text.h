// The text level of the CSV table file: lines, quoted values, the escapes of
// text values, the 6-bit text code of byte values and the items of a
// definition text. Everything here works on bounded views and is linear in
// the input, whatever bytes it is given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::csv {

// Splits file bytes into lines. A line ends at any byte 0x00, 0x0A or 0x0D,
// and a run of such bytes is a single line end, so no line is ever empty.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
    // The next line, or false at the end of the bytes.
    bool Next(std::string_view& line);

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Takes the values of one line from left to right. A quote character
// switches quoted mode on; inside it a doubled quote stands for one and a
// single one switches it off. A delimiter outside quoted mode ends the value
// and is consumed with it. A quote left open runs to the end of the line.
class ValueReader {
public:
    explicit ValueReader(std::string_view line) : line_(line) {}
    bool AtEnd() const { return pos_ >= line_.size(); }
    // Characters of the line not yet taken, delimiters included.
    std::size_t Remaining() const { return line_.size() - pos_; }
    // The next value without its quoting; empty at the end of the line.
    std::string Next();

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

// The text between quote characters, every quote inside it doubled.
std::string Quote(std::string_view text);

// Text values: NUL, line feed and carriage return become two-character
// escapes and the escape character is doubled, so a value never breaks its line.
std::string EscapeText(std::string_view text);
// The inverse. An escape character before any other character is kept
// together with that character; one at the very end is dropped.
std::string UnescapeText(std::string_view text);

// Byte values: the bits of the bytes, least significant first, in groups of
// six, each written as a character from the blank to "_". n bytes give
// (4n + 2) / 3 characters.
std::string EncodeSixBit(std::string_view bytes);
// The inverse: m characters give 3m / 4 bytes. A character outside the
// range contributes the low six bits of its distance from the blank.
std::string DecodeSixBit(std::string_view text);

// One item of a definition text, and whether it was written quoted (option
// words are never quoted, so a quoted "RO" is a value, not a flag).
struct DefinitionItem {
    std::string Text;
    bool Quoted = false;
};

// Splits the part of a definition text after its "=" into items: items are
// separated by commas or blanks, an item may be quoted (a doubled quote
// inside stands for one), and a comma at the very end adds an empty item.
std::vector<DefinitionItem> SplitDefinitionItems(std::string_view text);

}  // namespace kvr::csv
