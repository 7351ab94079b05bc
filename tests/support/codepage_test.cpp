#include "support/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace kvr {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(CodePage, EveryByteSurvivesUtf8AndUtf16) {
    const std::string bytes = AllBytes();
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
    EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(bytes)), bytes);
    EXPECT_EQ(Utf16ToUtf8(AnsiToUtf16(bytes)), AnsiToUtf8(bytes));
    EXPECT_EQ(Utf8ToUtf16(AnsiToUtf8(bytes)), AnsiToUtf16(bytes));
}

TEST(CodePage, HighBytesMapToTheirCharacters) {
    struct Case {
        unsigned char byte;
        char16_t unicode;
        const char* utf8;
    };
    const Case cases[] = {
        {0x41, u'A', "A"},           {0x80, 0x20AC, "\xE2\x82\xAC"}, {0x81, 0x0081, "\xC2\x81"},
        {0x8A, 0x0160, "\xC5\xA0"},  {0x8D, 0x008D, "\xC2\x8D"},     {0x8F, 0x008F, "\xC2\x8F"},
        {0x90, 0x0090, "\xC2\x90"},  {0x92, 0x2019, "\xE2\x80\x99"}, {0x99, 0x2122, "\xE2\x84\xA2"},
        {0x9D, 0x009D, "\xC2\x9D"},  {0x9F, 0x0178, "\xC5\xB8"},     {0xA0, 0x00A0, "\xC2\xA0"},
        {0xE9, 0x00E9, "\xC3\xA9"},  {0xFF, 0x00FF, "\xC3\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        const std::string ansi(1, static_cast<char>(c.byte));
        EXPECT_EQ(AnsiToUtf16(ansi), std::u16string(1, c.unicode));
        EXPECT_EQ(AnsiToUtf8(ansi), c.utf8);
        EXPECT_EQ(Utf8ToAnsi(c.utf8), ansi);
    }
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    struct Case {
        std::u16string utf16;
        std::string ansi;
    };
    const Case cases[] = {
        {u"\u0100", "?"},                 // Latin-1 neighbour not in the code page
        {u"\u0080", "?"},                 // C1 control that 0x80 does not stand for
        {u"a\u4E2Db", "a?b"},
        {u"\U0001F600", "?"},             // a surrogate pair is one character
        {u"x\U0001F600\u20AC", "x?\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"z", "?z"},  // unpaired high surrogate
        {u"z" + std::u16string(1, char16_t(0xDC00)), "z?"},  // unpaired low surrogate
        {std::u16string(1, char16_t(0xD800)), "?"},          // high surrogate at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ansi);
        EXPECT_EQ(Utf16ToAnsi(c.utf16), c.ansi);
        EXPECT_EQ(Utf8ToAnsi(Utf16ToUtf8(c.utf16)), c.ansi);
    }
}

TEST(CodePage, MalformedUtf8GivesOneQuestionMarkPerBadSequence) {
    struct Case {
        std::string utf8;
        std::string ansi;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"\x80", "?", u"\uFFFD"},                        // lone continuation byte
        {"\xC3", "?", u"\uFFFD"},                        // cut at the end
        {"\xC3" "A", "?A", u"\uFFFDA"},                  // the next character is kept
        {"\xC0\xAF", "??", u"\uFFFD\uFFFD"},             // overlong, C0 never starts a sequence
        {"\xE0\x80\xAF", "???", u"\uFFFD\uFFFD\uFFFD"},  // overlong three-byte form
        {"\xED\xA0\x80", "???", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xF4\x90\x80\x80", "????", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xE2\x82", "?", u"\uFFFD"},                    // cut three-byte sequence
        {"\xE2\x82" "x", "?x", u"\uFFFDx"},
        {"\xF0\x9F\x98", "?", u"\uFFFD"},
        {"\xFF\xFE", "??", u"\uFFFD\uFFFD"},
        {"\xF0\x9F\x98\x80", "?", u"\U0001F600"},        // valid but outside the code page
        {"\xC3\xA9\xE2\x82\xAC", "\xE9\x80", u"\u00E9\u20AC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ansi);
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(CodePage, UnicodeFormsConvertLosslessly) {
    const std::string utf8 = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBF";
    const std::u16string utf16 = u"A\u00E9\u4E2D\U0001F600\uFFFF";
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDFFF))), "\xEF\xBF\xBD");
}

TEST(CodePage, EmptyTextStaysEmpty) {
    EXPECT_EQ(AnsiToUtf8(""), "");
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(AnsiToUtf16(""), u"");
    EXPECT_EQ(Utf16ToAnsi(u""), "");
}

TEST(CodePage, IsAsciiLooksAtEveryByte) {
    EXPECT_TRUE(IsAscii(""));
    EXPECT_TRUE(IsAscii(std::string("a\0\x7F", 3)));
    EXPECT_FALSE(IsAscii("abc\x80"));
    EXPECT_FALSE(IsAscii("\xFF"));
}

}  // namespace
}  // namespace kvr
