// Paths and lookups: steps, predicates, SetValue's creation rules, FindNodes,
// ForEach and SortChildren.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/errors.h"
#include "xml/xml_errors.h"
#include "xml/xml_node.h"
#include "xml_test_util.h"

namespace kvr {
namespace {

using test::ReadNode;

class XmlPathTest : public ::testing::Test {
protected:
    std::unique_ptr<TxdataNode> response = ReadNode(test::EmployeeResponse());
};

TEST_F(XmlPathTest, NamePathsFindTheSameNodeInAnyForm) {
    const TxdataNode* expected = response->ChildAt(1)->ChildAt(1);
    ASSERT_EQ(expected->Name(), "EmployeeQueryRs");
    for (const char* path : {"QBXMLMsgsRs/EmployeeQueryRs", "/QBXMLMsgsRs/EmployeeQueryRs",
                             "qbxmlmsgsrs/employeequeryrs", "QBXMLMsgsRs/EmployeeQueryRs/",
                             " QBXMLMsgsRs \t/\r\nEmployeeQueryRs ", "QBXMLMsgsRs:1/:1"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(response->NodeByPath(path), expected);
        EXPECT_TRUE(response->Exists(path));
    }
    EXPECT_EQ(response->NodeByPath(""), response.get());
    EXPECT_EQ(response->NodeByPath("/"), response.get());
    EXPECT_TRUE(response->Exists(""));
    EXPECT_EQ(response->NodeByPath("QBXMLMsgsRs//EmployeeQueryRs"), nullptr);
    EXPECT_FALSE(response->Exists("QBXMLMsgsRs/Missing"));
}

TEST(XmlPathStepTest, NumberedStepsCountByNameOrPosition) {
    const auto node = ReadNode("<r><A>1</A><B>2</B><A>3</A><\xE4>4</\xE4></r>");
    const struct {
        const char* step;
        const char* value;  // null: no node
    } cases[] = {
        {"A", "1"}, {"a", "1"}, {"A:1", "1"}, {"A:2", "3"}, {"a: 2", "3"}, {"A:3", nullptr}, {"A:0", nullptr},
        {"A:-1", nullptr}, {":1", "1"}, {":2", "2"}, {":4", "4"}, {"\xE4", "4"}, {"\xC4", nullptr}, {"C", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const TxdataNode* found = node->ChildByName(c.step);
        if (c.value == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->AsString(), c.value);
        }
        EXPECT_EQ(node->NodeByPath(c.step), found);
    }
}

TEST(XmlPathStepTest, BadNumbersRaise) {
    const auto node = ReadNode("<r><A/><B/><A/></r>");
    const struct {
        const char* step;
        const char* message;
        bool indexError;
    } cases[] = {
        {":4", "List index out of bounds (3)", true},
        {":0", "List index out of bounds (-1)", true},
        {"A:x", "'x' is not a valid integer value", false},
        {"A:", "'' is not a valid integer value", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        try {
            node->NodeByPath(c.step);
            ADD_FAILURE() << "no error";
        } catch (const EListError& e) {
            EXPECT_TRUE(c.indexError);
            EXPECT_EQ(std::string(e.what()), c.message);
        } catch (const EConvertError& e) {
            EXPECT_FALSE(c.indexError);
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_THROW(node->ChildAt(0), EListError);
    EXPECT_THROW(node->Exists("A/:1"), EListError);
}

TEST(XmlPathStepTest, ParentAndStartSteps) {
    const auto node = ReadNode("<r><A><C>c</C></A><B>b</B></r>");
    EXPECT_EQ(node->ValueByPath("A/../B"), "b");
    EXPECT_EQ(node->NodeByPath("A/C/."), node.get());
    EXPECT_EQ(node->ValueByPath("A/./B"), "b");
    EXPECT_EQ(node->NodeByPath(".."), nullptr);
    EXPECT_EQ(node->NodeByPath("../A"), nullptr);
    EXPECT_FALSE(node->Exists("A/../B"));
}

TEST(XmlPathStepTest, PredicatesMatchAnAttributeOrElseAChildElement) {
    const auto node = ReadNode(
        "<r><Rs requestID=\"1\" status='x'><Name>one</Name></Rs>"
        "<Rs requestID=\"2\"><Name>two</Name><Code>7</Code></Rs>"
        "<Rs><Name> three </Name></Rs></r>");
    const struct {
        const char* path;
        const char* name;  // the Name text of the node found; null: none
    } cases[] = {
        {"Rs[@requestID=\"2\"]", "two"},   {"rs [ requestID = 2 ] ", "two"}, {"Rs[@REQUESTID=1]", "one"},
        {"Rs[@requestID=3]", nullptr},     {"Rs[Name=three]", "three"},      {"Rs[Code=\"7\"]", "two"},
        {"Rs[@status='x']", "one"},        {"Rs[@status=x]", nullptr},       {"Rs[@requestID=]", "three"},
        {"Rs[@requestID=\"\"]", "three"},  {"Rs[Name=One]", nullptr},        {"Rs[Name:1=one", "one"},
        {"Other[@requestID=1]", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const TxdataNode* found = node->NodeByPath(c.path);
        if (c.name == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->ValueByPath("Name"), c.name);
        }
    }
    EXPECT_FALSE(node->Exists("Rs[@requestID=2]"));
    EXPECT_EQ(node->ValueByPath("Rs[@requestID=2]/Code"), "7");
}

TEST_F(XmlPathTest, ValueByPathFallsBackToTheAttributeOfTheLastStep) {
    const struct {
        const char* path;
        const char* value;
    } cases[] = {
        {"QBXMLMsgsRs/EmployeeQueryRs/requestID", "1"},
        {"QBXMLMsgsRs/EmployeeQueryRs/STATUSMESSAGE", "Status OK"},
        {"QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet/Name", "O&apos;Brien, Pat"},
        {"QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet:2/Name", "Smith &amp; Sons"},
        {"QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet:2/HiredDate", ""},
        {"QBXMLMsgsRs/Missing/requestID", ""},
        {"QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(response->ValueByPath(c.path), c.value);
    }
    EXPECT_EQ(ReadNode("<a>\r\n   word \n</a>")->ValueByPath(""), "word");
    EXPECT_EQ(ReadNode("<a id=\"5\"/>")->ValueByPath("/id"), "5");
}

TEST(XmlSetValueTest, CreatesMissingElementsAndReplacesText) {
    TxdataNode root("QBXML");
    root.SetValue("Rq/TimeTrackingAdd/TxnDate", "2024-01-02", false);
    root.SetValue("Rq/TimeTrackingAdd/EntityRef/ListID", "80000001", false);
    root.SetValue("Rq/TimeTrackingAdd/TxnDate", "2024-01-03", false);
    root.SetValue("/rq/requestID", "1", true);
    EXPECT_EQ(root.XML(),
              "<QBXML><Rq requestID=\"1\"><TimeTrackingAdd><TxnDate>2024-01-03</TxnDate>"
              "<EntityRef><ListID>80000001</ListID></EntityRef></TimeTrackingAdd></Rq></QBXML>");
    root.SetValue("", "self", false);
    EXPECT_EQ(root.Value(), "self");
}

TEST(XmlSetValueTest, AttributesGoOnTheDeepestNodeReached) {
    TxdataNode root("R");
    root.SetValue("A/B", "", false);
    root.SetValue("onError", "stopOnError", true);
    root.SetValue("A/B", "yes", true);          // the last step exists: the attribute goes on it
    root.SetValue("A/Missing/Deeper", "1", true);  // the walk stops: "Missing" names the attribute of A
    root.SetValue("A/B/../up", "2", true);
    EXPECT_EQ(root.XML(), "<R onError=\"stopOnError\"><A Missing=\"1\" up=\"2\"><B B=\"yes\"/></A></R>");
    root.SetValue("onError", "continueOnError", true);
    root.SetValue("onError", "continueOnError", true);
    EXPECT_EQ(root.Attrib, std::vector<std::string>{"onError=\"continueOnError\""});
    root.SetValue("onError", "", true);
    EXPECT_TRUE(root.Attrib.empty());
}

TEST(XmlSetValueTest, AnEmptyStepThatFindsNothingSetsNothing) {
    TxdataNode root("R");
    root.SetValue("A", "a", false);
    root.SetValue("A//", "x", false);
    EXPECT_EQ(root.XML(), "<R><A>a</A></R>");
}

TEST(XmlInsertTest, AddsUnderAnExistingNodeOnly) {
    TxdataNode root("R");
    root.SetValue("A", "", false);
    auto node = std::make_unique<TxdataNode>("B");
    TxdataNode* b = node.get();
    EXPECT_EQ(root.Insert("Missing", node), nullptr);
    EXPECT_EQ(node.get(), b);
    EXPECT_EQ(root.Insert("a", node), b);
    EXPECT_EQ(b->Parent(), root.NodeByPath("A"));
    EXPECT_EQ(root.XML(), "<R><A><B/></A></R>");
}

TEST_F(XmlPathTest, FindNodesListsTheChildrenOfOneName) {
    EXPECT_EQ(response->FindNodes("QBXMLMsgsRs/Missing/EmployeeRet"), nullptr);
    const auto none = response->FindNodes("QBXMLMsgsRs/EmployeeQueryRs/Other");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Count(), 0);
    const auto found = response->FindNodes("/QBXMLMsgsRs/EmployeeQueryRs/employeeret");
    ASSERT_EQ(found->Count(), 2);
    EXPECT_EQ(found->Strings(0), "EmployeeRet");
    EXPECT_EQ(found->Objects(1)->ValueByPath("ListID"), "80000002-1234567891");
    EXPECT_EQ(response->FindNodes("QBXMLMsgsRs")->Objects(0), response->ChildAt(1));
}

TEST_F(XmlPathTest, ForEachCallsForMatchingChildrenInOrder) {
    std::vector<std::string> seen;
    const TxdataNodeAction collect = [&](TxdataNode* x) { seen.push_back(x->ValueByPath("ListID")); };
    response->ForEach("QBXMLMsgsRs/EmployeeQueryRs", "employeeRET", collect);
    EXPECT_EQ(seen, (std::vector<std::string>{"80000001-1234567890", "80000002-1234567891"}));
    seen.clear();
    response->ForEach("QBXMLMsgsRs/EmployeeQueryRs", "PayrollItemWageRet", collect);
    response->ForEach("QBXMLMsgsRs/PayrollItemWageQueryRs", "EmployeeRet", collect);
    EXPECT_TRUE(seen.empty());
}

TEST(XmlForEachTest, ChildrenAddedOrRemovedByTheCallbackAreNotVisited) {
    auto node = ReadNode("<r><A/><A/></r>");
    int calls = 0;
    node->ForEach("", "A", [&](TxdataNode*) {
        ++calls;
        node->AddChild(std::make_unique<TxdataNode>("A"));
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(node->Count(), 4);
    calls = 0;
    node->ForEach("", "A", [&](TxdataNode*) {
        ++calls;
        node->Clear();
    });
    EXPECT_EQ(calls, 1);
}

std::string SortedNames(TxdataNode& node) {
    std::string names;
    for (int i = 1; i <= node.Count(); ++i) names += node.ChildAt(i)->ValueByPath("N") + ",";
    return names;
}

TEST(XmlSortTest, SortsByTheTextOfAFieldEitherWay) {
    auto node = ReadNode(
        "<r>a<E><N>pear</N></E>b<E><N>Apple</N></E>c<E><N> fig</N></E><E><N>apple</N></E><E><N>\x80</N></E>"
        "<E><N>\xFF</N></E></r>");
    node->SortChildren("n", true);
    // UTF-16 code units: "\x80" is U+20AC and sorts after "\xFF" (U+00FF).
    EXPECT_EQ(SortedNames(*node), "Apple,apple,fig,pear,\xFF,\x80,");
    EXPECT_EQ(node->XML().substr(0, 23), "<r>a<E><N>Apple</N></E>");
    node->SortChildren("N", false);
    EXPECT_EQ(SortedNames(*node), "\x80,\xFF,pear,fig,apple,Apple,");
}

TEST(XmlSortTest, ChildrenWithoutTheFieldCompareEqual) {
    TxdataNode a("E");
    a.SetValue("N", "x", false);
    TxdataNode b("E");
    EXPECT_EQ(a.Compare(&b, "N", true), 0);
    EXPECT_EQ(a.Compare(nullptr, "N", true), 0);
    b.SetValue("N", "y", false);
    EXPECT_EQ(a.Compare(&b, "N", true), -1);
    EXPECT_EQ(a.Compare(&b, "N", false), 1);
    EXPECT_EQ(b.Compare(&a, "N", true), 1);

    auto node = ReadNode("<r><E><N>b</N></E><E/><E><N>a</N></E><E/></r>");
    node->SortChildren("N", true);
    EXPECT_EQ(node->Count(), 4);
}

TEST(XmlSortTest, LargeOrderedAndEqualListsSort) {
    for (const bool equalKeys : {false, true}) {
        SCOPED_TRACE(equalKeys);
        TxdataNode node("r");
        for (int i = 0; i < 20'000; ++i) {
            auto child = std::make_unique<TxdataNode>("E");
            char key[16];
            std::snprintf(key, sizeof key, "%08d", equalKeys ? 1 : 20'000 - i);
            child->SetValue("N", key, false);
            node.AddChild(std::move(child));
        }
        node.SortChildren("N", true);
        for (int i = 2; i <= node.Count(); ++i) {
            ASSERT_LE(node.ChildAt(i - 1)->ChildAt(1)->Value(), node.ChildAt(i)->ChildAt(1)->Value());
        }
    }
}

}  // namespace
}  // namespace kvr
