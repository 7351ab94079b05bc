// The compact and the indented writers: layout, escapes, and reading back
// what the indented writer produced.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/datetime.h"
#include "xml/xml_node.h"
#include "xml_test_util.h"

namespace kvr {
namespace {

using test::ReadNode;

std::unique_ptr<TxdataNode> EmployeeQueryRequest() {
    auto root = std::make_unique<TxdataNode>("QBXML");
    auto messages = std::make_unique<TxdataNode>("QBXMLMsgsRq");
    messages->SetValue("onError", "stopOnError", true);
    messages->SetValue("EmployeeQueryRq", "", false);
    messages->SetValue("EmployeeQueryRq/requestID", "1", true);
    messages->SetValue("EmployeeQueryRq/MaxReturned", "9999", false);
    root->AddChild(std::move(messages));
    return root;
}

TEST(XmlWriterTest, TheEmployeeQueryGivesItsNineLines) {
    const std::vector<std::string> expected = {
        "<QBXML>",
        "  <QBXMLMsgsRq onError=\"stopOnError\">",
        "    <EmployeeQueryRq requestID=\"1\">",
        "      <MaxReturned>",
        "        9999",
        "      </MaxReturned>",
        "    </EmployeeQueryRq>",
        "  </QBXMLMsgsRq>",
        "</QBXML>",
    };
    const auto request = EmployeeQueryRequest();
    std::vector<std::string> lines = {"previous", "content"};
    request->FormatXml(&lines);
    EXPECT_EQ(lines, expected);
    request->FormatXml(nullptr);
    EXPECT_EQ(request->XML(),
              "<QBXML><QBXMLMsgsRq onError=\"stopOnError\"><EmployeeQueryRq requestID=\"1\">"
              "<MaxReturned>9999</MaxReturned></EmployeeQueryRq></QBXMLMsgsRq></QBXML>");
}

TEST(XmlWriterTest, TheThirdLineOfAPostingResponseHoldsItsStatus) {
    const auto response = ReadNode(
        "<?xml version=\"1.0\" ?>\n<QBXML>\n<QBXMLMsgsRs>\n"
        "<TimeTrackingAddRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">\n"
        "<TimeTrackingRet><TxnID>1-2</TxnID></TimeTrackingRet>\n</TimeTrackingAddRs>\n</QBXMLMsgsRs>\n</QBXML>\n");
    const auto lines = response->FormatXml();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2],
              "    <TimeTrackingAddRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" "
              "statusMessage=\"Status OK\">");
}

TEST(XmlWriterTest, EscapesDifferOnlyInTheApostrophe) {
    const struct {
        const char* read;
        const char* compact;
        std::vector<std::string> lines;
    } cases[] = {
        {"<a>&amp;</a>", "<a>&amp;amp;</a>", {"<a>", "  &amp;amp;", "</a>"}},
        {"<a>O'Brien \"Pat\" <x>", "<a>O'Brien &quot;Pat&quot; <x/></a>",
         {"<a>", "  O&apos;Brien &quot;Pat&quot; ", "  <x/>", "</a>"}},
        {"<a>1 &gt; 0</a>", "<a>1 &amp;gt; 0</a>", {"<a>", "  1 &amp;gt; 0", "</a>"}},
        {"<a q=\"it's &amp; &quot;\"/>", "<a q=\"it's &amp; &quot;\"/>", {"<a q=\"it's &amp; &quot;\"/>"}},
        {"<a x=\"1\" y=\"2\"></a>", "<a x=\"1\" y=\"2\"/>", {"<a x=\"1\" y=\"2\"/>"}},
        {"<pre>a<b</pre>", "<pre>a&lt;b</pre>", {"<pre>", "  a&lt;b", "</pre>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        const auto node = ReadNode(c.read);
        EXPECT_EQ(node->XML(), c.compact);
        EXPECT_EQ(node->FormatXml(), c.lines);
    }
}

TEST(XmlWriterTest, TextIsWrittenUntrimmedAndBlankRunsGiveNoLine) {
    const auto node = ReadNode("<a>  lead\nsecond  <b> </b>\t<c>x</c>tail</a>");
    EXPECT_EQ(node->FormatXml(), (std::vector<std::string>{"<a>", "    lead\nsecond  ", "  <b/>", "  <c>",
                                                            "    x", "  </c>", "  tail", "</a>"}));
    EXPECT_EQ(node->XmlValue(), "  lead\nsecond  <b/><c>x</c>tail");
}

TEST(XmlWriterTest, ChildrenWithoutMarkersAreNotWritten) {
    auto node = ReadNode("<a><b/>text<c/></a>");
    node->SetAsString("replaced");
    EXPECT_EQ(node->XML(), "<a>replaced</a>");
    EXPECT_EQ(node->FormatXml(), (std::vector<std::string>{"<a>", "  replaced", "</a>"}));
    EXPECT_NE(node->NodeByPath("c"), nullptr);
}

TEST(XmlWriterTest, AU0000ReadAsTextStandsForNoChild) {
    const auto node = ReadNode(std::string("<a>x\0y<b/>z\0</a>", 16));
    ASSERT_EQ(node->Count(), 1);
    EXPECT_EQ(node->XML(), "<a>x<b/>yz</a>");
    EXPECT_EQ(node->FormatXml(), (std::vector<std::string>{"<a>", "  x", "  <b/>", "  yz", "</a>"}));
}

TEST(XmlWriterTest, DateTimeTextIsWrittenInTheDashedForm) {
    TxdataNode node("TxnDate");
    node.SetAsDateTime(EncodeDateTime({2024, 1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(node.XML(), "<TxnDate>2024-01-02 03:04:05</TxnDate>");
}

TEST(XmlWriterTest, EmptyNodes) {
    EXPECT_EQ(TxdataNode().XML(), "</>");
    EXPECT_EQ(TxdataNode("a").XmlValue(), "");
    EXPECT_EQ(TxdataNode("a").FormatXml(), std::vector<std::string>{"<a/>"});
}

// Names, attribute entries and trimmed texts of two trees, in document order.
std::vector<std::string> Outline(const TxdataNode& root) {
    std::vector<std::string> items;
    std::vector<const TxdataNode*> pending{&root};
    while (!pending.empty()) {
        const TxdataNode* node = pending.back();
        pending.pop_back();
        std::string item = node->Name() + "|" + node->AsString();
        for (const auto& entry : node->Attrib) item += "|" + entry;
        items.push_back(item);
        for (int i = node->Count(); i >= 1; --i) pending.push_back(node->ChildAt(i));
    }
    return items;
}

TEST(XmlWriterTest, ReadingTheIndentedLinesGivesTheSameTree) {
    const std::string text =
        "<QBXML><QBXMLMsgsRs><EmployeeQueryRs requestID=\"1\" statusCode=\"0\">"
        "<EmployeeRet><ListID>8000-1</ListID><Name>  Pat   Lee </Name><Empty/><Flag on=\"yes\"/></EmployeeRet>"
        "<EmployeeRet><ListID>8000-2</ListID><Address><Line1>1 Main</Line1><City>Oslo</City></Address>"
        "</EmployeeRet></EmployeeQueryRs></QBXMLMsgsRs></QBXML>";
    const auto original = ReadNode(text);
    for (const char* separator : {"\n", "\r\n"}) {
        SCOPED_TRACE(separator);
        const auto again = ReadNode(test::Join(original->FormatXml(), separator));
        EXPECT_EQ(Outline(*again), Outline(*original));
    }
}

}  // namespace
}  // namespace kvr
