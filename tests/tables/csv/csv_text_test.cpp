// The text level of the CSV table file: lines, values, escapes, the 6-bit
// byte code and definition items.
#include "tables/csv_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvr::csv {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    LineReader reader(bytes);
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    return lines;
}

std::vector<std::string> Values(std::string_view line) {
    std::vector<std::string> values;
    ValueReader reader(line);
    while (!reader.AtEnd()) values.push_back(reader.Next());
    return values;
}

TEST(CsvLines, AnyRunOfNulCrLfIsOneLineEnd) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\r\n\n\r\0"s, {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\n\r\nb", {"a", "b"}},
        {"a\0b\rc\nd"s, {"a", "b", "c", "d"}},
        {"\n\"x,\ny\"", {"\"x,", "y\""}},  // a quote does not hold a line together
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Lines(c.bytes), c.lines);
    }
}

TEST(CsvValues, QuotingAndDelimiters) {
    struct Case {
        std::string line;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"\"a\",\"b\",", {"a", "b"}},
        {"a,b", {"a", "b"}},
        {"\"say \"\"hi\"\"\",", {"say \"hi\""}},
        {"\"\"\"\"", {"\""}},
        {"\"\",", {""}},
        {",,", {"", ""}},
        {"\"a,b\",c", {"a,b", "c"}},
        {"ab\"c,d\"e,f", {"abc,de", "f"}},  // quoted and unquoted stretches in one value
        {" a , b ", {" a ", " b "}},        // blanks are kept
        {"\"open,to the end", {"open,to the end"}},
        {"\"a\"\"", {"a\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Values(c.line), c.values);
    }
}

TEST(CsvValues, RemainingCountsTheDelimiterAfterTheLastValue) {
    ValueReader reader("\"1\",,");
    EXPECT_EQ(reader.Remaining(), 5u);
    EXPECT_EQ(reader.Next(), "1");
    EXPECT_EQ(reader.Remaining(), 1u);
    EXPECT_EQ(reader.Next(), "");
    EXPECT_TRUE(reader.AtEnd());
}

TEST(CsvQuote, DoublesQuotes) {
    EXPECT_EQ(Quote(""), "\"\"");
    EXPECT_EQ(Quote("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(Values(Quote("x\"\",y") + ","), std::vector<std::string>{"x\"\",y"});
}

TEST(CsvEscapes, WrittenForms) {
    struct Case {
        std::string text;
        std::string escaped;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"50%", "50%%"},
        {"a\r\nb", "a%c%nb"},
        {"\0"s, "%0"},
        {"%0", "%%0"},
        {"\xE9t\xE9", "\xE9t\xE9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(EscapeText(c.text), c.escaped);
        EXPECT_EQ(UnescapeText(c.escaped), c.text);
    }
}

TEST(CsvEscapes, ReaderLeniency) {
    struct Case {
        std::string escaped;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"abc%", "abc"},       // a trailing escape character is dropped
        {"%", ""},
        {"50%off", "50%off"},  // an unknown pair is kept as it stands
        {"%N%C", "%N%C"},      // the pairs are lower case only
        {"%%%", "%"},
        {"%n%%n", "\n%n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(UnescapeText(c.escaped), c.text);
    }
}

TEST(CsvEscapes, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string escaped = EscapeText(all);
    EXPECT_EQ(escaped.find_first_of("\r\n\0"s), std::string::npos);
    EXPECT_EQ(UnescapeText(escaped), all);
}

TEST(CsvSixBit, KnownOutputs) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"\0"s, "  "},
        {"\xFF", "_#"},
        {"\x01\x02", "!( "},
        {"ABC", "!)T0"},
        {"\xFF\xFF\xFF", "____"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EncodeSixBit(c.bytes), c.text);
        EXPECT_EQ(DecodeSixBit(c.text), c.bytes);
    }
}

TEST(CsvSixBit, LengthsAndRoundTripOfZeroToManyBytes) {
    std::string bytes;
    for (std::size_t n = 0; n <= 300; ++n) {
        SCOPED_TRACE(n);
        const std::string text = EncodeSixBit(bytes);
        ASSERT_EQ(text.size(), (4 * n + 2) / 3);
        for (const char c : text) ASSERT_TRUE(c >= ' ' && c <= '_') << int(c);
        ASSERT_EQ(DecodeSixBit(text), bytes);
        ASSERT_EQ(DecodeSixBit(text).size(), 3 * text.size() / 4);
        bytes += static_cast<char>((n * 167 + 13) & 0xFF);
    }
}

TEST(CsvSixBit, CharactersOutsideTheRangeGiveTheirLowSixBits) {
    // "`" is "_" + 1, so it stands for 64 & 0x3F = 0, like the blank.
    EXPECT_EQ(DecodeSixBit("``"), DecodeSixBit("  "));
    EXPECT_EQ(DecodeSixBit("\x1F\x1F"), DecodeSixBit("__"));
    EXPECT_EQ(DecodeSixBit("x"), "");
}

TEST(CsvDefinitionItems, Splitting) {
    struct Case {
        std::string text;
        std::vector<std::pair<std::string, bool>> items;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"Integer,0,\"Id\",\"\",10,Data,\"\"",
         {{"Integer", false}, {"0", false}, {"Id", true}, {"", true}, {"10", false}, {"Data", false}, {"", true}}},
        {"a, b c", {{"a", false}, {"b", false}, {"c", false}}},
        {"a,,b", {{"a", false}, {"", false}, {"b", false}}},
        {"a,", {{"a", false}, {"", false}}},
        {"\"x,RO\",RO", {{"x,RO", true}, {"RO", false}}},
        {"\"say \"\"hi\"\"\"", {{"say \"hi\"", true}}},
        {"\"open", {{"open", true}}},
        {"\"a\"b", {{"a", true}, {"b", false}}},
        {"  lead", {{"lead", false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::pair<std::string, bool>> items;
        for (const DefinitionItem& item : SplitDefinitionItems(c.text)) items.emplace_back(item.Text, item.Quoted);
        EXPECT_EQ(items, c.items);
    }
}

}  // namespace
}  // namespace kvr::csv
