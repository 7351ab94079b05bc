// The order of children by the text of one of their fields, and the in-place
// quicksort that SortChildren applies with it.
#include <array>
#include <utility>

#include "support/codepage.h"
#include "xml/xml_node.h"

namespace kvr {

namespace {

// The UTF-16 code unit of each Windows-1252 byte; the code page maps every
// byte to one unit of the Basic Multilingual Plane.
const std::array<char16_t, 256>& CodeUnits() {
    static const std::array<char16_t, 256> units = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            const std::u16string unit = AnsiToUtf16(std::string(1, static_cast<char>(b)));
            table[static_cast<std::size_t>(b)] = unit.empty() ? u'\0' : unit.front();
        }
        return table;
    }();
    return units;
}

int CompareByCodeUnits(const std::string& a, const std::string& b) {
    const auto& units = CodeUnits();
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t ua = units[static_cast<unsigned char>(a[i])];
        const char16_t ub = units[static_cast<unsigned char>(b[i])];
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int TxdataNode::Compare(const TxdataNode* Other, std::string_view AField, bool Asc) const {
    if (Other == nullptr) return 0;
    const TxdataNode* mine = ChildByName(AField);
    const TxdataNode* theirs = Other->ChildByName(AField);
    if (mine == nullptr || theirs == nullptr) return 0;
    const int result = CompareByCodeUnits(mine->AsString(), theirs->AsString());
    return Asc ? result : -result;
}

// Hoare's scheme with the middle child as pivot. The smaller remainder is
// sorted first and the larger one by the loop, so the stack stays
// logarithmic while the order of exchanges is that of the plain recursion.
void TxdataNode::SortChildren(std::string_view AField, bool Asc) {
    if (List.size() < 2) return;
    struct Range {
        std::ptrdiff_t left, right;
    };
    std::vector<Range> ranges{{0, static_cast<std::ptrdiff_t>(List.size()) - 1}};
    while (!ranges.empty()) {
        const Range range = ranges.back();
        ranges.pop_back();
        std::ptrdiff_t i = range.left;
        std::ptrdiff_t j = range.right;
        const TxdataNode* pivot = List[static_cast<std::size_t>((range.left + range.right) / 2)].get();
        do {
            while (i < range.right && List[static_cast<std::size_t>(i)]->Compare(pivot, AField, Asc) < 0) ++i;
            while (j > range.left && List[static_cast<std::size_t>(j)]->Compare(pivot, AField, Asc) > 0) --j;
            if (i <= j) {
                std::swap(List[static_cast<std::size_t>(i)], List[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        const bool leftFirst = (j - range.left) < (range.right - i);
        if (leftFirst) {
            if (i < range.right) ranges.push_back({i, range.right});
            if (range.left < j) ranges.push_back({range.left, j});
        } else {
            if (range.left < j) ranges.push_back({range.left, j});
            if (i < range.right) ranges.push_back({i, range.right});
        }
    }
}

}  // namespace kvr
