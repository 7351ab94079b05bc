// Windows-1252 <-> Unicode tables and the UTF-8/UTF-16 codecs behind them.
#include "support/codepage.h"

#include <array>
#include <cstdint>

namespace kvr {

namespace {

// Unicode code points of bytes 0x80..0x9F; the rest of the code page is Latin-1.
// The five holes keep their own value so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;
// What the decoders give for a malformed sequence; the Unicode writers put
// U+FFFD in its place and the code page writer "?".
constexpr char32_t kInvalid = 0xFFFFFFFF;

char32_t AnsiToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

char CodePointToAnsi(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one UTF-8 sequence at pos and advances pos past it. A malformed
// sequence yields kInvalid and advances past its longest valid prefix (at least
// one byte), so one bad sequence gives one replacement and a following good
// character is never swallowed. Overlong forms, surrogates and values above
// U+10FFFF are malformed.
char32_t DecodeUtf8(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int length;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        ++pos;
        return kInvalid;
    }
    ++pos;
    for (int i = 1; i < length; ++i) {
        if (pos >= s.size()) return kInvalid;
        const auto b = static_cast<unsigned char>(s[pos]);
        const unsigned char first = i == 1 ? lo : 0x80;
        const unsigned char last = i == 1 ? hi : 0xBF;
        if (b < first || b > last) return kInvalid;
        cp = (cp << 6) | (b & 0x3F);
        ++pos;
    }
    return cp;
}

// Decodes one UTF-16 unit or pair at pos; an unpaired surrogate yields kInvalid.
char32_t DecodeUtf16(std::u16string_view s, std::size_t& pos) {
    const char16_t u = s[pos++];
    if (u < 0xD800 || u > 0xDFFF) return u;
    if (u >= 0xDC00 || pos >= s.size()) return kInvalid;
    const char16_t low = s[pos];
    if (low < 0xDC00 || low > 0xDFFF) return kInvalid;
    ++pos;
    return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp == kInvalid) cp = kReplacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp == kInvalid) cp = kReplacement;
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendAnsi(std::string& out, char32_t cp) { out.push_back(cp == kInvalid ? '?' : CodePointToAnsi(cp)); }

// Decodes every character of input and appends each to the result.
template <typename Out, typename In, typename Decode, typename Encode>
Out Transcode(In input, Decode decode, Encode encode) {
    Out out;
    out.reserve(input.size());
    std::size_t pos = 0;
    while (pos < input.size()) encode(out, decode(input, pos));
    return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) AppendUtf8(out, AnsiToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8) { return Transcode<std::string>(utf8, DecodeUtf8, AppendAnsi); }

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (char c : ansi) out.push_back(static_cast<char16_t>(AnsiToCodePoint(static_cast<unsigned char>(c))));
    return out;
}

std::string Utf16ToAnsi(std::u16string_view utf16) { return Transcode<std::string>(utf16, DecodeUtf16, AppendAnsi); }

std::u16string Utf8ToUtf16(std::string_view utf8) { return Transcode<std::u16string>(utf8, DecodeUtf8, AppendUtf16); }

std::string Utf16ToUtf8(std::u16string_view utf16) { return Transcode<std::string>(utf16, DecodeUtf16, AppendUtf8); }

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace kvr
