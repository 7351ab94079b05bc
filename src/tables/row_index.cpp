// Index storage in blocks, key comparison and bisection.
#include "tables/row_index.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "support/collation.h"

namespace kvr {

namespace {

constexpr std::size_t kBlockTarget = 512;
constexpr std::size_t kBlockMax = 2 * kBlockTarget;

template <typename T>
int ThreeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Not-a-number sorts after every number, so that the order stays total.
int ThreeWay(double a, double b) {
    const bool nanA = a != a, nanB = b != b;
    if (nanA || nanB) return nanA == nanB ? 0 : (nanA ? 1 : -1);
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

// ---- BlockList

void BlockList::Reindex() const {
    starts_.resize(blocks_.size());
    std::size_t start = 0;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        starts_[b] = start;
        start += blocks_[b].size();
    }
    startsValid_ = true;
}

RowId BlockList::at(std::size_t pos) const {
    if (!startsValid_) Reindex();
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
    const auto b = static_cast<std::size_t>(it - starts_.begin()) - 1;
    return blocks_[b][pos - starts_[b]];
}

void BlockList::insert(std::size_t pos, RowId id) {
    if (blocks_.empty()) {
        blocks_.emplace_back();
        starts_.assign(1, 0);
        startsValid_ = true;
    }
    if (!startsValid_) Reindex();
    std::size_t b;
    if (pos >= count_) {
        b = blocks_.size() - 1;
        pos = count_;
    } else {
        b = static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), pos) - starts_.begin()) - 1;
    }
    auto& block = blocks_[b];
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(pos - starts_[b]), id);
    for (std::size_t later = b + 1; later < starts_.size(); ++later) ++starts_[later];
    if (block.size() > kBlockMax) {
        std::vector<RowId> upper(block.begin() + kBlockTarget, block.end());
        block.resize(kBlockTarget);
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
        starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(b) + 1, starts_[b] + kBlockTarget);
    }
    ++count_;
}

void BlockList::erase(std::size_t pos) {
    if (!startsValid_) Reindex();
    const auto b = static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), pos) - starts_.begin()) - 1;
    auto& block = blocks_[b];
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(pos - starts_[b]));
    if (block.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    --count_;
    startsValid_ = false;
}

void BlockList::clear() {
    blocks_.clear();
    starts_.clear();
    count_ = 0;
    startsValid_ = true;
}

void BlockList::assign(const std::vector<RowId>& ids) {
    clear();
    for (std::size_t i = 0; i < ids.size(); i += kBlockTarget) {
        const std::size_t end = std::min(ids.size(), i + kBlockTarget);
        blocks_.emplace_back(ids.begin() + static_cast<std::ptrdiff_t>(i), ids.begin() + static_cast<std::ptrdiff_t>(end));
    }
    count_ = ids.size();
    startsValid_ = false;
}

// ---- RowIndex

RowIndex::RowIndex() : rowOrder_(true) {}

RowIndex::RowIndex(std::string name, std::vector<KeyField> keys, TIndexOptions options)
    : name_(std::move(name)), keys_(std::move(keys)), options_(options) {}

int RowIndex::CompareField(const RowStore& store, const KeyField& key, const TRecord& a, const TRecord& b) {
    const RecordLayout& layout = *store.layout;
    const bool nullA = a.IsNull(layout, key.field);
    const bool nullB = b.IsNull(layout, key.field);
    int result;
    if (nullA || nullB) {
        result = nullA == nullB ? 0 : (nullA ? -1 : 1);
    } else {
        // Read the slots in place: this runs a dozen times for every key search.
        const RecordLayout::Slot& slot = layout.SlotOf(key.field);
        const std::uint8_t* x = a.Raw() + slot.offset;
        const std::uint8_t* y = b.Raw() + slot.offset;
        switch (slot.kind) {
            case SlotKind::Int32: {
                std::int32_t u, v;
                std::memcpy(&u, x, 4);
                std::memcpy(&v, y, 4);
                result = ThreeWay(u, v);
                break;
            }
            case SlotKind::Int64: {
                std::int64_t u, v;
                std::memcpy(&u, x, 8);
                std::memcpy(&v, y, 8);
                result = ThreeWay(u, v);
                break;
            }
            case SlotKind::Double: {
                double u, v;
                std::memcpy(&u, x, 8);
                std::memcpy(&v, y, 8);
                result = ThreeWay(u, v);
                break;
            }
            case SlotKind::Bool: result = ThreeWay(*x != 0, *y != 0); break;
            default: {
                const std::string_view u = a.GetVar(layout, key.field);
                const std::string_view v = b.GetVar(layout, key.field);
                if (slot.valueClass == ValueClass::Text) {
                    result = CollateText(u, v, key.caseInsensitive);
                } else {
                    const int order = u.compare(v);
                    result = (order > 0) - (order < 0);
                }
                break;
            }
        }
    }
    return key.descending ? -result : result;
}

int RowIndex::CompareKeys(const RowStore& store, const TRecord& a, const TRecord& b, int keyCount) const {
    const std::size_t n = keyCount < 0 ? keys_.size() : std::min(keys_.size(), static_cast<std::size_t>(keyCount));
    for (std::size_t k = 0; k < n; ++k) {
        const int result = CompareField(store, keys_[k], a, b);
        if (result != 0) return result;
    }
    return 0;
}

bool RowIndex::Before(const RowStore& store, RowId a, RowId b) const {
    int result;
    if (rowOrder_) {
        result = ThreeWay((*store.sequence)[a], (*store.sequence)[b]);
    } else {
        result = CompareKeys(store, (*store.rows)[a], (*store.rows)[b]);
    }
    return result != 0 ? result < 0 : a < b;
}

std::size_t RowIndex::LowerBound(const RowStore& store, const TRecord& key, int keyCount) const {
    return ids_.PartitionPoint([&](RowId id) { return CompareKeys(store, (*store.rows)[id], key, keyCount) < 0; });
}

std::size_t RowIndex::UpperBound(const RowStore& store, const TRecord& key, int keyCount) const {
    return ids_.PartitionPoint([&](RowId id) { return CompareKeys(store, (*store.rows)[id], key, keyCount) <= 0; });
}

std::size_t RowIndex::PositionOf(const RowStore& store, RowId id) const {
    if (!inOrder_) {
        for (std::size_t pos = 0; pos < ids_.size(); ++pos) {
            if (ids_.at(pos) == id) return pos;
        }
        return ids_.size();
    }
    const std::size_t pos = ids_.PartitionPoint([&](RowId other) { return Before(store, other, id); });
    return pos < ids_.size() && ids_.at(pos) == id ? pos : ids_.size();
}

void RowIndex::Add(const RowStore& store, RowId id) {
    if (!inOrder_) {
        ids_.insert(ids_.size(), id);
        return;
    }
    ids_.insert(ids_.PartitionPoint([&](RowId other) { return Before(store, other, id); }), id);
}

void RowIndex::Remove(const RowStore& store, RowId id) {
    const std::size_t pos = PositionOf(store, id);
    if (pos < ids_.size()) ids_.erase(pos);
}

void RowIndex::AppendUnordered(RowId id) {
    ids_.insert(ids_.size(), id);
    if (!rowOrder_) inOrder_ = false;
}

void RowIndex::Clear() {
    ids_.clear();
    inOrder_ = true;
}

namespace {

constexpr std::int64_t kNullKey = std::numeric_limits<std::int64_t>::min();

// Numbers in an order-preserving integer form; -0 and +0 are one key and
// not-a-number sorts after every number, as the comparison does.
std::int64_t OrderedBits(double value) {
    if (value != value) return std::numeric_limits<std::int64_t>::max();
    if (value == 0) value = 0;
    std::int64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return std::max(bits < 0 ? bits ^ std::numeric_limits<std::int64_t>::max() : bits, kNullKey + 1);
}

// Replaces each text of a key column by its rank among the column's distinct
// texts in collation order, so that the sort compares integers only.
void RankTexts(const std::vector<std::string_view>& texts, const std::vector<bool>& isNull, bool caseInsensitive,
               bool bytes, std::int64_t* column, std::size_t stride) {
    // Each row learns which distinct text it holds in one hashing pass.
    std::unordered_map<std::string_view, std::uint32_t> ids;
    ids.reserve(texts.size());
    std::vector<std::string_view> distinct;
    std::vector<std::uint32_t> rowText(texts.size(), 0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (isNull[i]) continue;
        if (i > 0 && !isNull[i - 1] && texts[i] == texts[i - 1]) {
            rowText[i] = rowText[i - 1];
            continue;
        }
        const auto [entry, added] = ids.emplace(texts[i], static_cast<std::uint32_t>(distinct.size()));
        if (added) distinct.push_back(texts[i]);
        rowText[i] = entry->second;
    }
    // Sort the distinct texts once by their collation keys, which compare as plain bytes.
    std::vector<std::pair<std::string, std::uint32_t>> keyed;
    keyed.reserve(distinct.size());
    for (std::uint32_t d = 0; d < distinct.size(); ++d) {
        keyed.emplace_back(bytes ? std::string(distinct[d]) : CollationKey(distinct[d], caseInsensitive), d);
    }
    std::sort(keyed.begin(), keyed.end());
    // Texts the collation holds equal (letter case, in a case-insensitive index) share a rank.
    std::vector<std::int64_t> rank(distinct.size(), 0);
    std::int64_t next = 0;
    for (std::size_t k = 0; k < keyed.size(); ++k) {
        if (k > 0 && keyed[k - 1].first != keyed[k].first) ++next;
        rank[keyed[k].second] = next;
    }
    for (std::size_t i = 0; i < texts.size(); ++i) column[i * stride] = isNull[i] ? kNullKey : rank[rowText[i]];
}

// Sorts the rows by their key integers, ties by row id, with the keys of a
// row kept together so that the sort reads memory in order.
template <std::size_t Width>
void SortItems(const std::vector<std::int64_t>& keys, std::vector<RowId>& ids) {
    struct Item {
        std::array<std::int64_t, Width> key;
        RowId id;
    };
    std::vector<Item> items(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::copy_n(keys.begin() + static_cast<std::ptrdiff_t>(i * Width), Width, items[i].key.begin());
        items[i].id = static_cast<RowId>(i);
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.key != b.key ? a.key < b.key : a.id < b.id;
    });
    for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = items[i].id;
}

}  // namespace

bool RowIndex::Rebuild(const RowStore& store, std::size_t rowCount) {
    const RecordLayout& layout = *store.layout;
    const std::vector<TRecord>& rows = *store.rows;
    // Every key field of every row becomes one integer that sorts the same way.
    const std::size_t width = rowOrder_ ? 1 : std::max<std::size_t>(keys_.size(), 1);
    std::vector<std::int64_t> keys(rowCount * width, 0);
    if (rowOrder_) {
        for (std::size_t i = 0; i < rowCount; ++i) keys[i] = (*store.sequence)[i];
    }
    for (std::size_t k = 0; k < keys_.size() && !rowOrder_; ++k) {
        const KeyField& key = keys_[k];
        const ValueClass cls = layout.SlotOf(key.field).valueClass;
        std::int64_t* column = keys.data() + k;
        if (cls == ValueClass::Text || cls == ValueClass::Bytes) {
            std::vector<std::string_view> texts(rowCount);
            std::vector<bool> isNull(rowCount);
            for (std::size_t i = 0; i < rowCount; ++i) {
                isNull[i] = rows[i].IsNull(layout, key.field);
                texts[i] = rows[i].GetVar(layout, key.field);
            }
            RankTexts(texts, isNull, key.caseInsensitive, cls == ValueClass::Bytes, column, width);
        } else {
            for (std::size_t i = 0; i < rowCount; ++i) {
                const TRecord& row = rows[i];
                std::int64_t value;
                if (row.IsNull(layout, key.field)) {
                    value = kNullKey;
                } else if (cls == ValueClass::Float || cls == ValueClass::DateTime) {
                    value = OrderedBits(row.GetDouble(layout, key.field));
                } else {
                    value = std::max(row.GetInt(layout, key.field), kNullKey + 1);
                }
                column[i * width] = value;
            }
        }
        if (key.descending) {
            for (std::size_t i = 0; i < rowCount; ++i) column[i * width] = ~column[i * width];
        }
    }
    const auto keyOrder = [&](RowId a, RowId b) {
        const std::int64_t* x = keys.data() + static_cast<std::size_t>(a) * width;
        const std::int64_t* y = keys.data() + static_cast<std::size_t>(b) * width;
        for (std::size_t k = 0; k < width; ++k) {
            if (x[k] != y[k]) return x[k] < y[k] ? -1 : 1;
        }
        return 0;
    };
    std::vector<RowId> ids(rowCount);
    switch (width) {
        case 1: SortItems<1>(keys, ids); break;
        case 2: SortItems<2>(keys, ids); break;
        case 3: SortItems<3>(keys, ids); break;
        case 4: SortItems<4>(keys, ids); break;
        default:
            std::iota(ids.begin(), ids.end(), RowId{0});
            std::sort(ids.begin(), ids.end(), [&](RowId a, RowId b) {
                const int order = keyOrder(a, b);
                return order != 0 ? order < 0 : a < b;
            });
    }
    bool unique = true;
    if (Unique() && !rowOrder_) {
        for (std::size_t i = 1; i < rowCount && unique; ++i) unique = keyOrder(ids[i - 1], ids[i]) != 0;
    }
    ids_.assign(ids);
    inOrder_ = true;
    return unique;
}

}  // namespace kvr
