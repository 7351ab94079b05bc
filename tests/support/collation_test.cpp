#include "support/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kvr {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

// Each list is in strictly ascending collation order.
void ExpectAscending(const std::vector<std::string>& texts, bool caseInsensitive) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            SCOPED_TRACE("\"" + texts[i] + "\" vs \"" + texts[j] + "\"");
            const int expected = i < j ? -1 : (i > j ? 1 : 0);
            EXPECT_EQ(Sign(CollateText(texts[i], texts[j], caseInsensitive)), expected);
        }
    }
}

TEST(Collation, OrdersByBaseLetterThenAccentThenCase) {
    ExpectAscending({"a", "A", "\xE1", "\xC1", "b"}, false);              // a A á Á b
    ExpectAscending({"e", "E", "\xE9", "\xC9", "\xE8", "\xEA", "\xEB", "f"}, false);  // é before è before ê before ë
    ExpectAscending({"cote", "cot\xE9", "c\xF4te", "c\xF4t\xE9"}, false);  // the first accent decides
    ExpectAscending({"role", "Role", "r\xF4le", "roles"}, false);         // the base letters decide before accents
    ExpectAscending({"n", "\xF1", "\xD1", "o", "\xF6", "\xD6", "p"}, false);
    ExpectAscending({"s", "\x9A", "\x8A", "t"}, false);                  // š Š
    ExpectAscending({"y", "\xFD", "\xFF", "\x9F", "z", "\x9E", "\x8E"}, false);  // ý ÿ Ÿ z ž Ž
    ExpectAscending({"Muller", "M\xFCller", "Mullers"}, false);
    ExpectAscending({"z", "\xFE", "\xDE"}, false);                       // thorn after z
}

TEST(Collation, ExpandsLigaturesAndSharpS) {
    ExpectAscending({"ss", "SS", "\xDF", "st"}, false);                  // ß sorts as ss
    ExpectAscending({"Strasse", "Stra\xDF" "e", "Strassen"}, false);
    ExpectAscending({"ad", "ae", "\xE6", "\xC6", "af"}, false);           // æ Æ as ae
    ExpectAscending({"od", "oe", "\x9C", "\x8C", "of"}, false);           // œ Œ as oe
    ExpectAscending({"\xE6z", "af"}, false);
}

TEST(Collation, BlanksAndPunctuationBeforeDigitsBeforeLetters) {
    ExpectAscending({"", "\x01", " ", "\xA0", "!", "-", "0", "1", "9", "a", "Z"}, false);
    ExpectAscending({"9", "a"}, false);
    ExpectAscending({" ", "0"}, false);
    ExpectAscending({"Smith John", "Smith-John", "Smith2", "SmithJohn"}, false);
    ExpectAscending({"1", "\xB9", "2", "\xB2", "3", "\xB3", "4"}, false);  // superscripts follow their digit
    ExpectAscending({"10", "2"}, false);                                  // texts, not numbers
}

TEST(Collation, ShorterPrefixFirst) {
    ExpectAscending({"", "a", "ab", "abc"}, false);
    ExpectAscending({"A", "ab"}, false);  // the second letter decides before the case of the first
    ExpectAscending({"\xE1", "ab"}, false);
}

TEST(Collation, CaseSensitiveEqualOnlyForEqualBytes) {
    EXPECT_EQ(CollateText("", "", false), 0);
    EXPECT_EQ(CollateText("Caf\xE9", "Caf\xE9", false), 0);
    EXPECT_LT(CollateText("caf\xE9", "Caf\xE9", false), 0);
    EXPECT_LT(CollateText(std::string("a\0b", 3), std::string("a\x01" "b", 3), false), 0);
    EXPECT_LT(CollateText(std::string("a", 1), std::string("a\0", 2), false), 0);
}

TEST(Collation, CaseInsensitiveEqualExactlyWhenFoldedEqual) {
    struct Case {
        std::string a, b;
        int expected;
    };
    const Case cases[] = {
        {"SMITH", "smith", 0},       {"Caf\xC9", "caf\xE9", 0},  {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", 0},
        {"\xDE", "\xFE", 0},         {"cafe", "caf\xE9", -1},    {"caf\xE9", "CAFE", 1},
        {"ss", "\xDF", -1},          {"SS", "\xDF", -1},         {"a", "B", -1},
        {"B", "a", 1},               {"ab", "AB ", -1},          {"\xD7", "\xF7", -1},  // × and ÷ are no letter pair
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.a + "\" vs \"" + c.b + "\"");
        EXPECT_EQ(Sign(CollateText(c.a, c.b, true)), c.expected);
        EXPECT_EQ(Sign(CollateText(c.b, c.a, true)), -c.expected);
    }
    ExpectAscending({"a", "\xE1", "b"}, true);
}

// The comparison must be a strict weak order for index sorts: every byte pair
// and some longer texts, compared in both modes, must agree with a sort.
TEST(Collation, IsAConsistentTotalOrder) {
    std::vector<std::string> texts;
    for (int a = 0; a < 256; ++a) texts.emplace_back(1, static_cast<char>(a));
    for (const char* t : {"ss", "SS", "\xDF", "ae", "\xE6", "\xC6", "oe", "\x9C", "aa", "AA", "a ", "A-", "e\xE9",
                          "\xE9" "e", "st", "sS", "Ss", "\xDF\xDF", "sss"})
        texts.emplace_back(t);
    for (bool ci : {false, true}) {
        SCOPED_TRACE(ci ? "case-insensitive" : "case-sensitive");
        std::vector<std::string> sorted = texts;
        std::sort(sorted.begin(), sorted.end(),
                  [ci](const std::string& x, const std::string& y) { return CollateText(x, y, ci) < 0; });
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            for (std::size_t j = i; j < sorted.size(); ++j) {
                const int r = CollateText(sorted[i], sorted[j], ci);
                ASSERT_LE(r, 0) << "\"" << sorted[i] << "\" vs \"" << sorted[j] << "\"";
                ASSERT_EQ(Sign(CollateText(sorted[j], sorted[i], ci)), -Sign(r));
                bool same = sorted[i].size() == sorted[j].size();
                for (std::size_t k = 0; same && k < sorted[i].size(); ++k)
                    same = ci ? FoldCase(sorted[i][k]) == FoldCase(sorted[j][k]) : sorted[i][k] == sorted[j][k];
                ASSERT_EQ(r == 0, same) << "\"" << sorted[i] << "\" vs \"" << sorted[j] << "\"";
            }
        }
    }
}

// Index rebuilds sort by the keys, key searches bisect with CollateText: the
// two must agree on every pair, equality included.
TEST(Collation, KeysOrderAsTheComparison) {
    std::vector<std::string> texts = {"", " ", std::string(1, '\0'), std::string("a\0b", 3), "ss", "SS", "\xDF", "\xDF" "a", "ssa", "ae",
                                      "\xE6", "\xC6", "AE", "oe", "\x9C", "e\xE9", "\xE9" "e", "\xC9", "E", "e",
                                      "Smith", "smith", "SMITH", "Sm\xEFth", "O'Brien", "OBrien", "9", "10", "\xB2",
                                      "2", "\xFE", "z", "\xB5", "Zo\xEB", "Zoe", "zoe"};
    for (int a = 0; a < 256; a += 7) texts.emplace_back(1, static_cast<char>(a));
    for (bool ci : {false, true}) {
        for (const std::string& x : texts) {
            for (const std::string& y : texts) {
                SCOPED_TRACE("\"" + x + "\" vs \"" + y + "\"" + (ci ? " (case-insensitive)" : ""));
                const int byKey = Sign(CollationKey(x, ci).compare(CollationKey(y, ci)));
                ASSERT_EQ(byKey, Sign(CollateText(x, y, ci)));
            }
        }
    }
}

TEST(Collation, FoldCase) {
    std::string folded;
    for (int b = 0; b < 256; ++b) folded.push_back(FoldCase(static_cast<char>(b)));
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const bool upper = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7);
        if (upper) {
            EXPECT_EQ(static_cast<unsigned char>(folded[b]), b + 0x20);
        } else if (b != 0x8A && b != 0x8C && b != 0x8E && b != 0x9F) {
            EXPECT_EQ(static_cast<unsigned char>(folded[b]), b);
        }
    }
    EXPECT_EQ(FoldCase('\x8A'), '\x9A');
    EXPECT_EQ(FoldCase('\x8C'), '\x9C');
    EXPECT_EQ(FoldCase('\x8E'), '\x9E');
    EXPECT_EQ(FoldCase('\x9F'), '\xFF');
}

TEST(Collation, SameText) {
    EXPECT_TRUE(SameText("", ""));
    EXPECT_TRUE(SameText("QBEmpIndex3", "qbempindex3"));
    EXPECT_TRUE(SameText("\xC9T\xC9", "\xE9t\xE9"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_FALSE(SameText("caf\xE9", "cafe"));
    EXPECT_FALSE(SameText("\xD7", "\xF7"));
    EXPECT_FALSE(SameText("[", "{"));  // ASCII folding is letters only
}

}  // namespace
}  // namespace kvr
