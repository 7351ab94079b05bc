// One ordering of a table's rows: the row-order index, a named index or the
// sort index. Row ids are kept in blocks so that inserting a row in key order
// costs a bisection and a short move, never a shift of the whole index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/record.h"
#include "tables/table_defs.h"

namespace kvr {

// A sequence of row ids in blocks of bounded size.
class BlockList {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    RowId at(std::size_t pos) const;
    void insert(std::size_t pos, RowId id);
    void erase(std::size_t pos);
    void clear();
    void assign(const std::vector<RowId>& ids);

    // First position whose id does not satisfy isBefore, for a list
    // partitioned by it (every id satisfying it comes first).
    template <typename Pred>
    std::size_t PartitionPoint(Pred isBefore) const {
        std::size_t lo = 0, hi = blocks_.size();
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (isBefore(blocks_[mid].back())) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        if (lo == blocks_.size()) return count_;
        if (!startsValid_) Reindex();
        const auto& block = blocks_[lo];
        std::size_t first = 0, last = block.size();
        while (first < last) {
            const std::size_t mid = first + (last - first) / 2;
            if (isBefore(block[mid])) {
                first = mid + 1;
            } else {
                last = mid;
            }
        }
        return starts_[lo] + first;
    }

private:
    void Reindex() const;
    std::vector<std::vector<RowId>> blocks_;
    mutable std::vector<std::size_t> starts_;  // first position of each block
    mutable bool startsValid_ = true;
    std::size_t count_ = 0;
};

// What the comparisons read: the table's rows, their layout and the
// row-order sequence numbers.
struct RowStore {
    const std::vector<TRecord>* rows;
    const RecordLayout* layout;
    const std::vector<std::int64_t>* sequence;
};

class RowIndex {
public:
    struct KeyField {
        int field;
        bool descending;
        bool caseInsensitive;
    };

    // The row-order index.
    RowIndex();
    // A named or sort index over the given fields.
    RowIndex(std::string name, std::vector<KeyField> keys, TIndexOptions options);

    const std::string& Name() const { return name_; }
    bool IsRowOrder() const { return rowOrder_; }
    TIndexOptions Options() const { return options_; }
    bool Unique() const { return (options_ & ixUnique) != 0; }
    bool Maintained() const { return (options_ & ixNonMaintained) == 0; }
    const std::vector<KeyField>& Keys() const { return keys_; }
    bool InOrder() const { return inOrder_; }

    std::size_t size() const { return ids_.size(); }
    RowId at(std::size_t pos) const { return ids_.at(pos); }

    // Compares one key field of two records, nulls first, descending reversed.
    static int CompareField(const RowStore& store, const KeyField& key, const TRecord& a, const TRecord& b);

    // Negative, zero or positive as row a's key sorts before, equal to or after
    // b's, on the first keyCount key fields (all when -1); ids do not count.
    int CompareKeys(const RowStore& store, const TRecord& a, const TRecord& b, int keyCount = -1) const;

    // Total order of rows: the key, then the row id (so equal keys keep the
    // order in which the rows were stored).
    bool Before(const RowStore& store, RowId a, RowId b) const;

    // First position whose key is not below key on keyCount fields; first
    // position whose key is above it.
    std::size_t LowerBound(const RowStore& store, const TRecord& key, int keyCount = -1) const;
    std::size_t UpperBound(const RowStore& store, const TRecord& key, int keyCount = -1) const;

    // Position of the row, or size() when the index does not hold it.
    std::size_t PositionOf(const RowStore& store, RowId id) const;

    // Puts a new row at its key position (at the end when the index is not in
    // key order); Remove takes one out.
    void Add(const RowStore& store, RowId id);
    void AddAt(std::size_t pos, RowId id) { ids_.insert(pos, id); }
    void Remove(const RowStore& store, RowId id);
    // Appends without ordering; the index is then out of key order until Rebuild.
    void AppendUnordered(RowId id);
    void MarkOutOfOrder() { inOrder_ = rowOrder_; }
    void Clear();
    // Sorts every stored row into key order. Returns false iff the index is
    // unique and two rows have equal keys (the index is sorted all the same).
    bool Rebuild(const RowStore& store, std::size_t rowCount);

private:
    std::string name_;
    std::vector<KeyField> keys_;
    TIndexOptions options_ = 0;
    bool rowOrder_ = false;
    bool inOrder_ = true;
    BlockList ids_;
};

}  // namespace kvr
