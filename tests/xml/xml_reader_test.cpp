// The lenient reader: what it accepts, the three errors and their positions,
// and hostile input (cut texts, deep nesting).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "xml/xml_errors.h"
#include "xml/xml_node.h"
#include "xml_test_util.h"

namespace kvr {
namespace {

using test::ReadNode;

TEST(XmlReaderTest, PrologItemsBeforeTheRootAreSkipped) {
    const std::string root = "<QBXML><A x=\"1\">t</A></QBXML>";
    const std::string prologs[] = {
        "",
        "<?xml version=\"1.0\" ?>\r\n",
        "<?xml version=\"1.0\" ?>\n<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 9.0//EN' 'x'>\n<!-- note -->\n",
        "<?qbxml version=\"13.0\"?> \t",
        "<!-- a > b -->",  // ends at the first ">": the rest is text before the root
    };
    for (std::size_t i = 0; i + 1 < std::size(prologs); ++i) {
        SCOPED_TRACE(prologs[i]);
        EXPECT_EQ(ReadNode(prologs[i] + root)->XML(), root);
    }
    TxdataNode node;
    test::ExpectParseError(node, prologs[4] + root, xeTagExpected, 10);
}

TEST(XmlReaderTest, ReadsNamesAttributesAndTextAsWritten) {
    const struct {
        const char* text;
        const char* name;
        std::vector<std::string> attributes;
        std::string value;
    } cases[] = {
        {"<a/>", "a", {}, ""},
        {"<a  x=\"1\"   y=\"2\"/>", "a", {"x=\"1\"", "y=\"2\""}, ""},
        {"<a x=\"1 > 2\">t</a>", "a", {"x=\"1 > 2\""}, "t"},
        {"<a y='2 z = \"a b\">t</a>", "a", {"y='2", "z", "=", "\"a b\""}, "t"},
        {"<a x=&quot;>t</a>", "a", {"x=&quot;"}, "t"},
        {"<ns:a>&amp;&lt;&#65;</ns:a>", "ns:a", {}, "&amp;&lt;&#65;"},
        {"<a>\r\n  two words \r\n</a>", "a", {}, "\r\n  two words \r\n"},
        {"<a>\n <b/>\n <c/>\n</a>", "a", {}, ""},
        {"<a>x<?pi ?>y<!-- c -->z</a>", "a", {}, "xyz"},
        {"<a><!-- x > y --></a>", "a", {}, " y -->"},
        {"<a><!-->x--></a>", "a", {}, ""},
        {"<Abc>t</aBC>", "Abc", {}, "t"},
        {"<a>t</ab>", "a", {}, "t"},  // only as many characters as the name has are compared
        {"<a>t</a >", "a", {}, "t"},
        {"<a>x\1y</a>", "a", {}, "x\1y"},
        {"<a>t", "a", {}, "t"},
        {"<a>t   ", "a", {}, "t   "},
        {"<a/>trailing</b> garbage", "a", {}, ""},
        {"<\xC4rger>\xE9t\xE9</\xC4RGER>", "\xC4rger", {}, "\xE9t\xE9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto node = ReadNode(c.text);
        EXPECT_EQ(node->Name(), c.name);
        EXPECT_EQ(node->Attrib, c.attributes);
        EXPECT_EQ(node->Value(), c.value);
        EXPECT_EQ(node->DataType(), xtNone);
    }
}

TEST(XmlReaderTest, ChildrenGetMarkersWhereTheyStand) {
    const auto node = ReadNode("<a> x <b>1</b><c/> y <!-- c --><d></d></a>");
    ASSERT_EQ(node->Count(), 3);
    EXPECT_EQ(node->Value(), " x  y ");
    EXPECT_EQ(node->Structure(), std::string(" x \0\0 y \0", 9));
    EXPECT_EQ(node->ChildAt(1)->Parent(), node.get());
    EXPECT_EQ(node->ChildAt(1)->Value(), "1");
    EXPECT_EQ(node->ChildAt(3)->Name(), "d");
}

TEST(XmlReaderTest, PreContentIsRawUpToItsEndTagInAnyCase) {
    const auto node = ReadNode("<a><Pre><b>x</b> &amp; </pRe>tail</a>");
    ASSERT_EQ(node->Count(), 1);
    EXPECT_EQ(node->ChildAt(1)->Count(), 0);
    EXPECT_EQ(node->ChildAt(1)->Value(), "<b>x</b> &amp; ");
    EXPECT_EQ(node->Value(), "tail");
    EXPECT_EQ(ReadNode("<pre>unterminated <b>")->Value(), "unterminated <b>");
}

TEST(XmlReaderTest, ElementsLeftOpenAtTheEndAreKept) {
    const auto node = ReadNode("<QBXML><QBXMLMsgsRs><EmployeeQueryRs><EmployeeRet><Name>Pat");
    EXPECT_EQ(node->ValueByPath("QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet/Name"), "Pat");
}

TEST(XmlReaderTest, ShortTextsLeaveTheNodeAsItWas) {
    for (const char* text : {"", "x", "<"}) {
        SCOPED_TRACE(text);
        TxdataNode node("keep", std::string_view("value"));
        node.LoadXml(std::string_view(text));
        EXPECT_EQ(node.XML(), "<keep>value</keep>");
    }
}

TEST(XmlReaderTest, ReadingReplacesWhatTheNodeHeld) {
    TxdataNode node("old", std::string_view("text"));
    node.SetAttribute("stale", "1");
    node.AddChild(std::make_unique<TxdataNode>("child"));
    node.SetXML("<new a=\"2\">t</new>");
    EXPECT_EQ(node.XML(), "<new a=\"2\">t</new>");
}

TEST(XmlReaderTest, UnreadableTextsStopWithCodeAndPosition) {
    const struct {
        std::string text;
        int code;
        std::int64_t position;
    } cases[] = {
        {"<a><b></c></a>", xeCloseTagExpected, 7},
        {"<a> <b></a>", xeCloseTagExpected, 8},
        {"<a><b>t</", xeCloseTagExpected, 8},
        {"</a>", xeOpenTagMissed, 1},
        {"<?xml?>\n  </a>", xeOpenTagMissed, 11},
        {"x<a/>", xeTagExpected, 1},
        {"  x", xeTagExpected, 3},
        {std::string("\0<a/>", 5), xeTagExpected, 1},
        {"<?xml version=\"1.0\" ?>  \r\n ", xeTagExpected, 28},
        {"<!-- never closed", xeTagExpected, 18},
        {"<!DOCTYPE x", xeTagExpected, 12},
        {"<?pi", xeTagExpected, 5},
        {"<a", xeTagExpected, 3},
        {"<a ", xeTagExpected, 4},
        {"<a x=\"1>", xeTagExpected, 9},
        {"<a x", xeTagExpected, 5},
        {"<a><b", xeTagExpected, 6},
        {"<a>t<", xeTagExpected, 6},
        {"<a><!-- open", xeTagExpected, 13},
        {"<a><?pi", xeTagExpected, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TxdataNode node;
        test::ExpectParseError(node, c.text, c.code, c.position);
    }
}

TEST(XmlReaderTest, TextAfterTheRootIsIgnored) {
    EXPECT_EQ(ReadNode("<a><b>x</b></A></ab>")->XML(), "<a><b>x</b></a>");
}

TEST(XmlReaderTest, AfterAnErrorTheCompletedChildrenStay) {
    TxdataNode node;
    test::ExpectParseError(node, "<a k=\"v\">one<b>1</b><c><d>2</d><e></x></c></a>", xeCloseTagExpected, 35);
    EXPECT_EQ(node.Name(), "a");
    EXPECT_EQ(node.GetAttribute("k"), "v");
    EXPECT_EQ(node.Value(), "one");
    ASSERT_EQ(node.Count(), 1);  // c, in which the error occurred, is dropped with d
    EXPECT_EQ(node.XML(), "<a k=\"v\">one<b>1</b></a>");
}

TEST(XmlReaderTest, ErrorMessagesForOtherCodes) {
    EXPECT_EQ(std::string(ExmlParseException(1001, 8).what()), "Close tag expected");
    EXPECT_EQ(std::string(ExmlParseException(1002, 1).what()), "Open tag missed");
    EXPECT_EQ(std::string(ExmlParseException(1003, 1).what()), "Tag expected");
    EXPECT_EQ(std::string(ExmlParseException(1234, 1).what()), "XML parser error #1234");
}

TEST(XmlReaderTest, Utf16TextIsReadThroughTheCodePage) {
    const auto node = std::make_unique<TxdataNode>();
    node->LoadXml(std::u16string_view(u"<a>Caf\u00E9 \u20AC \u4E2D</a>"));
    EXPECT_EQ(node->Value(), "Caf\xE9 \x80 ?");
}

// Every prefix of a valid response, each in a buffer of exactly its length so
// that a read past the end is caught by AddressSanitizer: the reader either
// accepts it or reports one of its errors.
TEST(XmlReaderTest, EveryCutOfAResponseReadsOrFailsCleanly) {
    const std::string full = test::EmployeeResponse() + "<a x=\"1\"/><pre>p</pre><!-- c --><?p?>";
    for (std::size_t length = 0; length <= full.size(); ++length) {
        auto buffer = std::make_unique<char[]>(length);
        std::memcpy(buffer.get(), full.data(), length);
        TxdataNode node;
        try {
            node.LoadXml(std::string_view(buffer.get(), length));
        } catch (const ExmlParseException& e) {
            EXPECT_TRUE(e.ErrorCode == xeTagExpected || e.ErrorCode == xeCloseTagExpected) << length;
            EXPECT_GE(e.Position, 1);
            EXPECT_LE(e.Position, static_cast<std::int64_t>(length) + 1);
        }
    }
}

TEST(XmlReaderTest, FlippedBytesNeverBreakTheReader) {
    const std::string full = test::EmployeeResponse();
    for (std::size_t at = 0; at < full.size(); ++at) {
        for (const char flip : {'<', '>', '/', '"', '\0', '!', '?'}) {
            std::string text = full;
            text[at] = flip;
            TxdataNode node;
            try {
                node.LoadXml(std::string_view(text));
                (void)node.FormatXml();
            } catch (const ExmlParseException& e) {
                EXPECT_GE(e.Position, 1);
                EXPECT_LE(e.Position, static_cast<std::int64_t>(text.size()) + 1);
            }
        }
    }
}

std::string Nested(int depth, std::string_view inner) {
    std::string text;
    text.reserve(static_cast<std::size_t>(depth) * 7 + inner.size());
    for (int i = 0; i < depth; ++i) text.append("<a>");
    text.append(inner);
    for (int i = 0; i < depth; ++i) text.append("</a>");
    return text;
}

TEST(XmlReaderTest, AMillionNestedElementsReadWithoutRecursion) {
    const auto node = ReadNode(Nested(1'000'000, "deep"));
    const TxdataNode* tip = node.get();
    int depth = 1;
    for (; tip->Count() > 0; ++depth) tip = tip->ChildAt(1);
    EXPECT_EQ(depth, 1'000'000);
    EXPECT_EQ(tip->Value(), "deep");
}

TEST(XmlReaderTest, DeepTreesAreWrittenAndWalkedWithoutRecursion) {
    constexpr int depth = 200'000;
    const std::string text = Nested(depth, "deep");
    const auto node = ReadNode(text);
    EXPECT_EQ(node->XML(), text);
    std::string path;
    for (int i = 1; i < depth; ++i) path.append("A/");
    EXPECT_EQ(node->ValueByPath(path), "deep");
    EXPECT_EQ(node->NodeByPath(path + "..")->Count(), 1);
}

TEST(XmlReaderTest, AnErrorDeepDownDropsTheOpenElementsWithoutRecursion) {
    constexpr int depth = 200'000;
    std::string text;
    for (int i = 0; i < depth; ++i) text.append("<a>");
    text.append("</b>");
    TxdataNode node;
    test::ExpectParseError(node, text, xeCloseTagExpected, depth * 3 + 1);
    EXPECT_EQ(node.Count(), 0);
}

}  // namespace
}  // namespace kvr
