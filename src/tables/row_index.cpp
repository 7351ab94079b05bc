// Index storage in blocks, key comparison and bisection.
#include "tables/row_index.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "support/collation.h"

namespace kvr {

namespace {

constexpr std::size_t kBlockTarget = 512;
constexpr std::size_t kBlockMax = 2 * kBlockTarget;

template <typename T>
int ThreeWay(T a, T b) {
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
        startsValid_ = false;
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
    if (block.size() > kBlockMax) {
        std::vector<RowId> upper(block.begin() + kBlockTarget, block.end());
        block.resize(kBlockTarget);
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
    }
    ++count_;
    startsValid_ = false;
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

std::vector<RowId> BlockList::ToVector() const {
    std::vector<RowId> ids;
    ids.reserve(count_);
    for (const auto& block : blocks_) ids.insert(ids.end(), block.begin(), block.end());
    return ids;
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
        switch (layout.SlotOf(key.field).valueClass) {
            case ValueClass::Integer:
            case ValueClass::LargeInt:
            case ValueClass::Currency:
                result = ThreeWay(a.GetInt(layout, key.field), b.GetInt(layout, key.field));
                break;
            case ValueClass::Float:
            case ValueClass::DateTime:
                result = ThreeWay(a.GetDouble(layout, key.field), b.GetDouble(layout, key.field));
                break;
            case ValueClass::Boolean:
                result = ThreeWay(a.GetBool(layout, key.field), b.GetBool(layout, key.field));
                break;
            case ValueClass::Text:
                result = CollateText(a.GetVar(layout, key.field), b.GetVar(layout, key.field), key.caseInsensitive);
                break;
            default: {
                const auto x = a.GetVar(layout, key.field);
                const auto y = b.GetVar(layout, key.field);
                result = x.compare(y);
                result = result < 0 ? -1 : (result > 0 ? 1 : 0);
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
    std::size_t lo = 0, hi = ids_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareKeys(store, (*store.rows)[ids_.at(mid)], key, keyCount) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::size_t RowIndex::UpperBound(const RowStore& store, const TRecord& key, int keyCount) const {
    std::size_t lo = 0, hi = ids_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareKeys(store, (*store.rows)[ids_.at(mid)], key, keyCount) <= 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::size_t RowIndex::PositionOf(const RowStore& store, RowId id) const {
    if (!inOrder_) {
        for (std::size_t pos = 0; pos < ids_.size(); ++pos) {
            if (ids_.at(pos) == id) return pos;
        }
        return ids_.size();
    }
    std::size_t lo = 0, hi = ids_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (Before(store, ids_.at(mid), id)) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < ids_.size() && ids_.at(lo) == id ? lo : ids_.size();
}

void RowIndex::Add(const RowStore& store, RowId id) {
    if (!inOrder_) {
        ids_.insert(ids_.size(), id);
        return;
    }
    std::size_t lo = 0, hi = ids_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (Before(store, ids_.at(mid), id)) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    ids_.insert(lo, id);
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

bool RowIndex::Rebuild(const RowStore& store, std::size_t rowCount) {
    std::vector<RowId> ids(rowCount);
    std::iota(ids.begin(), ids.end(), RowId{0});
    std::sort(ids.begin(), ids.end(), [&](RowId a, RowId b) { return Before(store, a, b); });
    bool unique = true;
    if (Unique() && !rowOrder_) {
        for (std::size_t i = 1; i < ids.size() && unique; ++i) {
            unique = CompareKeys(store, (*store.rows)[ids[i - 1]], (*store.rows)[ids[i]]) != 0;
        }
    }
    ids_.assign(ids);
    inOrder_ = true;
    return unique;
}

}  // namespace kvr
