// Lifetimes of nodes that share the node pool's slabs: nodes that outlive
// the tree they were read into, trees handed to another thread, nodes of a
// thread that has ended. AddressSanitizer sees a slab given back too early.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "xml/xml_node.h"
#include "xml_test_util.h"

namespace kvr {
namespace {

// Enough records to fill many slabs.
std::string Records(int count) {
    std::string text = "<List>";
    for (int i = 0; i < count; ++i) {
        text += "<Rec id=\"" + std::to_string(i) + "\"><Name>name number " + std::to_string(i) + "</Name></Rec>";
    }
    return text + "</List>";
}

void ExpectRecord(const TxdataNode& record, int i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(record.Name(), "Rec");
    EXPECT_EQ(record.GetAttribute("id"), std::to_string(i));
    EXPECT_EQ(record.ValueByPath("Name"), "name number " + std::to_string(i));
}

TEST(NodePoolTest, DetachedNodesOutliveTheirTree) {
    constexpr int kRecords = 3000;
    std::vector<std::unique_ptr<TxdataNode>> kept;
    {
        auto tree = test::ReadNode(Records(kRecords));
        ASSERT_EQ(tree->Count(), kRecords);
        // Every 500th record taken out, the rest freed with the tree.
        for (int i = 0; i < kRecords; i += 500) {
            std::unique_ptr<TxdataNode> stub = std::make_unique<TxdataNode>("Stub");
            std::unique_ptr<TxdataNode> old;
            ASSERT_EQ(tree->ReplaceChild(tree->ChildAt(i + 1), stub, false, &old), i + 1);
            kept.push_back(std::move(old));
        }
    }
    ASSERT_EQ(kept.size(), 6u);
    for (std::size_t k = 0; k < kept.size(); ++k) {
        EXPECT_EQ(kept[k]->Parent(), nullptr);
        ExpectRecord(*kept[k], static_cast<int>(k) * 500);
    }
    // Freed last to first, so the slab each one is in goes with it.
    while (!kept.empty()) kept.pop_back();
}

TEST(NodePoolTest, TreeReadOnOneThreadIsUsedAndFreedOnAnother) {
    constexpr int kRecords = 2000;
    std::unique_ptr<TxdataNode> tree;
    std::thread reader([&] { tree = test::ReadNode(Records(kRecords)); });
    reader.join();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->Count(), kRecords);
    for (int i = 0; i < kRecords; i += 250) ExpectRecord(*tree->ChildAt(i + 1), i);
    // This thread builds its own nodes meanwhile; both kinds are freed here.
    tree->AddChild(std::make_unique<TxdataNode>("Extra", std::string_view("x")));
    EXPECT_EQ(tree->ValueByPath("Extra"), "x");
    tree.reset();
}

TEST(NodePoolTest, TreesOfSeveralThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRecords = 1000;
    std::vector<std::unique_ptr<TxdataNode>> trees(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&trees, t] {
            // Each thread reads, frees and reads again, so slabs are taken and
            // given back while the others do the same.
            test::ReadNode(Records(kRecords)).reset();
            trees[static_cast<std::size_t>(t)] = test::ReadNode(Records(kRecords));
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const auto& tree : trees) {
        ASSERT_EQ(tree->Count(), kRecords);
        ExpectRecord(*tree->ChildAt(kRecords), kRecords - 1);
    }
}

}  // namespace
}  // namespace kvr
