// The node tree: typed text, date-time reading, attribute entries, building
// and freeing trees.
#include <gtest/gtest.h>

#include <cmath>

#include "support/datetime.h"
#include "support/errors.h"
#include "xml/xml_node.h"
#include "test_support/temp_dir.h"
#include "xml_test_util.h"

namespace kvr {
namespace {

TEST(XmlNodeTest, ConstructorsSetTextAndType) {
    EXPECT_EQ(TxdataNode().DataType(), xtNone);
    EXPECT_EQ(TxdataNode("A").Name(), "A");
    EXPECT_EQ(TxdataNode("A").DataType(), xtNone);

    const TxdataNode text("A", std::string_view(" x "));
    EXPECT_EQ(text.Value(), " x ");
    EXPECT_EQ(text.DataType(), xtString);

    const TxdataNode integer("A", -42);
    EXPECT_EQ(integer.Value(), "-42");
    EXPECT_EQ(integer.DataType(), xtInteger);

    const TxdataNode number("A", 2.5);
    EXPECT_EQ(number.Value(), "2.5");
    EXPECT_EQ(number.DataType(), xtNumber);

    const TxdataNode moment("A", XmlDateTime{EncodeDateTime({2024, 3, 5, 14, 7, 9, 0})});
    EXPECT_EQ(moment.Value(), "2024-03-05 14:07:09");
    EXPECT_EQ(moment.DataType(), xtDateTime);
}

TEST(XmlNodeTest, AsStringTrimsControlCharactersButNotCodePageLetters) {
    TxdataNode node("A");
    node.AddValue("\r\n\t \x01word two\xA0 \n");
    EXPECT_EQ(node.AsString(), "word two\xA0");
    EXPECT_EQ(node.Text(), node.AsString());
}

TEST(XmlNodeTest, AsIntegerAcceptsTrimmedDecimalsOnly) {
    const struct {
        const char* text;
        std::int32_t value;
    } good[] = {{"0", 0}, {" 17\n", 17}, {"-2147483648", INT32_MIN}, {"+5", 5}, {"2147483647", INT32_MAX}};
    for (const auto& c : good) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TxdataNode("A", std::string_view(c.text)).AsInteger(), c.value);
    }
    for (const char* text : {"", "12x", "2147483648", "1.5", "0x10", "1 2"}) {
        SCOPED_TRACE(text);
        TxdataNode node("A", std::string_view(text));
        try {
            node.AsInteger();
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + node.AsString() + "' is not a valid integer value");
        }
    }
}

TEST(XmlNodeTest, AsFloatReadsAndWritesTheSystemNumberFormat) {
    EXPECT_DOUBLE_EQ(TxdataNode("A", std::string_view(" 12.75 ")).AsFloat(), 12.75);
    EXPECT_THROW(TxdataNode("A", std::string_view("12,75")).AsFloat(), EConvertError);
    TxdataNode node("A");
    node.SetAsFloat(1.0 / 3.0);
    EXPECT_EQ(node.Value(), "0.333333333333333");
    node.SetAsFloat(100);
    EXPECT_EQ(node.Value(), "100");
}

TEST(XmlNodeTest, AsDateTimeReadsBothFormsToTheSameMoment) {
    const TDateTime moment = EncodeDateTime({2024, 3, 5, 14, 7, 9, 0});
    const struct {
        const char* text;
        TDateTime value;
    } cases[] = {
        {"2024-03-05 14:07:09", moment},
        {"3/5/2024 14:07:09", moment},
        {"03/05/2024   14:07:09  ", moment},
        {"3/5/2024", EncodeDate(2024, 3, 5)},
        {"3/5/2024 ", EncodeDate(2024, 3, 5)},
        {"13/5/2024 10:00:00", 0},  // month out of range
        {"0/5/2024", 0},
        {"3/32/2024", 0},
        {"3/5/0", 0},
        {"3/5", 0},
        {"3//2024", 0},
        {" 3/5/2024", 0},  // not trimmed: the month is " 3"
        {"3/5/2024x", 0},
        {"2024-03-05", 0},  // the dashed form needs its time
        {"2024-03-05T14:07:09", 0},
        {"0000-03-05 14:07:09", 0},
        {"2024-13-05 14:07:09", 0},
        {"", 0},
        {"yesterday", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(TxdataNode("D", std::string_view(c.text)).AsDateTime(), c.value);
    }
}

TEST(XmlNodeTest, AsDateTimeRaisesForImpossibleDaysAndTimes) {
    for (const char* text : {"2/30/2024", "2/29/2023 10:00:00", "2024-02-30 00:00:00", "3/5/2024 25:00:00",
                             "3/5/2024 10:61:00", "3/5/2024 1x:00:00", "3/5/2024 10:00", "2024-03-05 10:00:6x"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(TxdataNode("D", std::string_view(text)).AsDateTime(), EConvertError);
    }
}

TEST(XmlNodeTest, SettingTextDropsTheMarkersOfEarlierChildren) {
    TxdataNode node("A");
    node.AddChild(std::make_unique<TxdataNode>("B"));
    node.SetAsString("text");
    EXPECT_EQ(node.Count(), 1);
    EXPECT_NE(node.NodeByPath("B"), nullptr);
    EXPECT_EQ(node.Structure(), "text");
    EXPECT_EQ(node.XML(), "<A>text</A>");
}

TEST(XmlNodeTest, AddValueLetsTextFollowChildren) {
    TxdataNode node("A");
    node.AddValue("x");
    node.AddChild(std::make_unique<TxdataNode>("B", std::string_view("1")));
    node.AddValue("y");
    EXPECT_EQ(node.Value(), "xy");
    EXPECT_EQ(node.Structure(), std::string("x\0y", 3));
    EXPECT_EQ(node.XML(), "<A>x<B>1</B>y</A>");
}

TEST(XmlNodeTest, AttributeEntriesKeepTheirSourceText) {
    TxdataNode node("A");
    node.Attrib = {"plain=\"1\"", "single='2'", "spaced=  \"3\"  ", "bare", "empty=\"\"", "amp=\"a&amp;b\"",
                   "quote=\""};
    const struct {
        const char* name;
        const char* value;
    } cases[] = {
        {"plain", "1"}, {"PLAIN", "1"},  {"single", "'2'"}, {"spaced", "3"},        {"bare", ""},
        {"empty", ""},  {"amp", "a&amp;b"}, {"quote", "\""},  {"missing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(node.GetAttribute(c.name), c.value);
    }
}

TEST(XmlNodeTest, SetAttributeReplacesInPlaceRemovesOnEmptyAndAppends) {
    TxdataNode node("A");
    node.SetAttribute("a", "1");
    node.SetAttribute("b", "2");
    node.SetAttribute("A", "3");
    EXPECT_EQ(node.Attrib, (std::vector<std::string>{"A=\"3\"", "b=\"2\""}));
    node.SetAttribute("c", "");
    EXPECT_EQ(node.Attrib.size(), 2u);
    node.SetAttribute("a", "");
    EXPECT_EQ(node.Attrib, (std::vector<std::string>{"b=\"2\""}));
    node.SetAttribute("q", "say \"hi\"");
    EXPECT_EQ(node.Attrib.back(), "q=\"say \"hi\"\"");
    node.RemoveAttribute("B");
    node.RemoveAttribute("nothing");
    EXPECT_EQ(node.Attrib, (std::vector<std::string>{"q=\"say \"hi\"\""}));
}

TEST(XmlNodeTest, ReplaceChildKeepsThePlaceOfTheOldChild) {
    TxdataNode node("A");
    node.AddChild(std::make_unique<TxdataNode>("B"));
    TxdataNode* old = node.AddChild(std::make_unique<TxdataNode>("C"));
    node.AddValue("t");

    auto outsider = std::make_unique<TxdataNode>("X");
    auto replacement = std::make_unique<TxdataNode>("D");
    TxdataNode* fresh = replacement.get();
    EXPECT_EQ(node.ReplaceChild(outsider.get(), replacement, true), 0);
    EXPECT_EQ(replacement.get(), fresh);
    EXPECT_EQ(node.XML(), "<A><B/><C/>t</A>");

    std::unique_ptr<TxdataNode> detached;
    EXPECT_EQ(node.ReplaceChild(old, replacement, false, &detached), 2);
    EXPECT_EQ(replacement, nullptr);
    EXPECT_EQ(detached.get(), old);
    EXPECT_EQ(detached->Parent(), nullptr);
    EXPECT_EQ(fresh->Parent(), &node);
    EXPECT_EQ(node.XML(), "<A><B/><D/>t</A>");
}

TEST(XmlNodeTest, ClearKeepsNameAndAttributes) {
    auto node = test::ReadNode("<A x=\"1\">text<B/><C/></A>");
    node->Clear();
    EXPECT_EQ(node->Name(), "A");
    EXPECT_EQ(node->GetAttribute("x"), "1");
    EXPECT_EQ(node->Count(), 0);
    EXPECT_EQ(node->XML(), "<A x=\"1\"/>");
}

TEST(XmlNodeTest, DocumentIsTheNearestDocumentAncestor) {
    TxdataDocument document("QBXML");
    TxdataNode* rs = document.AddChild(std::make_unique<TxdataNode>("Rs"));
    TxdataNode* ret = rs->AddChild(std::make_unique<TxdataNode>("Ret"));
    EXPECT_EQ(document.Document(), &document);
    EXPECT_EQ(ret->Document(), &document);

    TxdataNode plain("QBXML");
    TxdataNode* child = plain.AddChild(std::make_unique<TxdataNode>("Rs"));
    EXPECT_EQ(plain.Document(), nullptr);
    EXPECT_EQ(child->Document(), nullptr);
}

TEST(XmlNodeTest, SaveToFileWritesTheDeclarationAndCompactText) {
    test::TempDir dir;
    TxdataDocument document("QBXML");
    document.SetValue("QBXMLMsgsRq/Item", "it's", false);
    const std::string path = dir.File("out.xml");
    dir.Write("out.xml", "old content that is longer than the new one ...........................");
    document.SaveToFile(path);
    EXPECT_EQ(test::TempDir::Read(path),
              "<?xml version=\"1.0\" ?>\r\n<QBXML><QBXMLMsgsRq><Item>it's</Item></QBXMLMsgsRq></QBXML>");
}

TEST(XmlNodeTest, DeepTreesAreClearedAndFreedWithoutRecursion) {
    auto root = std::make_unique<TxdataNode>("R");
    auto grow = [&] {
        TxdataNode* tip = root.get();
        for (int i = 0; i < 200'000; ++i) tip = tip->AddChild(std::make_unique<TxdataNode>("N"));
        return tip;
    };
    EXPECT_EQ(grow()->Document(), nullptr);
    root->Clear();
    EXPECT_EQ(root->Count(), 0);
    grow();
    root.reset();
}

}  // namespace
}  // namespace kvr
