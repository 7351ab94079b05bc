// Lines, quoted values, escapes, the 6-bit byte code and definition items of
// the CSV table file.
#include "tables/csv_text.h"

#include <cstdint>

#include "tables/csv_format_layout.h"

namespace kvr::csv {

namespace {

bool IsLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }

// Blanks and control characters separate the unquoted items of a definition.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

bool LineReader::Next(std::string_view& line) {
    while (pos_ < bytes_.size() && IsLineEnd(bytes_[pos_])) ++pos_;
    if (pos_ >= bytes_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < bytes_.size() && !IsLineEnd(bytes_[pos_])) ++pos_;
    line = bytes_.substr(start, pos_ - start);
    return true;
}

std::string ValueReader::Next() {
    static constexpr char kQuoteOnly[] = {kQuote, '\0'};
    static constexpr char kUnquotedStops[] = {kQuote, kFieldDelimiter, kRecordDelimiter, '\0'};
    std::string value;
    bool quoted = false;
    while (pos_ < line_.size()) {
        // Plain stretches are copied whole; only quotes and delimiters are looked at one by one.
        std::size_t stop = line_.find_first_of(quoted ? kQuoteOnly : kUnquotedStops, pos_);
        if (stop == std::string_view::npos) stop = line_.size();
        value.append(line_.substr(pos_, stop - pos_));
        pos_ = stop;
        if (pos_ >= line_.size()) break;
        const char c = line_[pos_++];
        if (c != kQuote) break;  // a delimiter outside quoted mode
        if (quoted && pos_ < line_.size() && line_[pos_] == kQuote) {
            value += kQuote;
            ++pos_;
        } else {
            quoted = !quoted;
        }
    }
    return value;
}

std::string Quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += kQuote;
    for (const char c : text) {
        if (c == kQuote) out += kQuote;
        out += c;
    }
    out += kQuote;
    return out;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\0': out += kEscape; out += kEscapedNul; break;
            case '\n': out += kEscape; out += kEscapedLineFeed; break;
            case '\r': out += kEscape; out += kEscapedCarriageReturn; break;
            case kEscape: out += kEscape; out += kEscape; break;
            default: out += c;
        }
    }
    return out;
}

std::string UnescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != kEscape) {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) break;
        const char next = text[++i];
        switch (next) {
            case kEscapedNul: out += '\0'; break;
            case kEscapedLineFeed: out += '\n'; break;
            case kEscapedCarriageReturn: out += '\r'; break;
            case kEscape: out += kEscape; break;
            default: out += kEscape; out += next;
        }
    }
    return out;
}

std::string EncodeSixBit(std::string_view bytes) {
    std::string out;
    out.reserve((4 * bytes.size() + 2) / 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char b : bytes) {
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << count;
        count += 8;
        while (count >= 6) {
            out += static_cast<char>(kSixBitOffset + (bits & 0x3F));
            bits >>= 6;
            count -= 6;
        }
    }
    if (count > 0) out += static_cast<char>(kSixBitOffset + (bits & 0x3F));
    return out;
}

std::string DecodeSixBit(std::string_view text) {
    std::string out;
    out.reserve(3 * text.size() / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const auto group = static_cast<std::uint32_t>(static_cast<unsigned char>(c) - kSixBitOffset) & 0x3F;
        bits |= group << count;
        count += 6;
        if (count >= 8) {
            out += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    return out;
}

std::vector<DefinitionItem> SplitDefinitionItems(std::string_view text) {
    std::vector<DefinitionItem> items;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
    };
    skipBlanks();
    while (pos < text.size()) {
        DefinitionItem item;
        if (text[pos] == kQuote) {
            item.Quoted = true;
            ++pos;
            while (pos < text.size()) {
                const char c = text[pos++];
                if (c != kQuote) {
                    item.Text += c;
                } else if (pos < text.size() && text[pos] == kQuote) {
                    item.Text += kQuote;
                    ++pos;
                } else {
                    break;
                }
            }
        } else {
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != kFieldDelimiter) {
                item.Text += text[pos++];
            }
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (pos < text.size() && text[pos] == kFieldDelimiter) {
            ++pos;
            if (pos >= text.size()) items.emplace_back();
            skipBlanks();
        }
    }
    return items;
}

}  // namespace kvr::csv
