// Compact storage of one row's field values: a null bitmap, a fixed slot per
// field and a tail holding the variable-length texts, in one allocation.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "tables/field_types.h"
#include "tables/field_value.h"

namespace kvr {

using RowId = std::uint32_t;

enum class SlotKind : std::uint8_t { Bool, Int32, Int64, Double, Var };

// Where each field of a table's rows lives inside a record.
class RecordLayout {
public:
    struct Slot {
        std::uint32_t offset;
        SlotKind kind;
        ValueClass valueClass;
    };

    void Build(const std::vector<FieldType>& types);
    int FieldCount() const { return static_cast<int>(slots_.size()); }
    const Slot& SlotOf(int field) const { return slots_[static_cast<std::size_t>(field)]; }
    std::uint32_t BitmapBytes() const { return bitmapBytes_; }
    std::uint32_t FixedBytes() const { return fixedBytes_; }

private:
    std::vector<Slot> slots_;
    std::uint32_t bitmapBytes_ = 0;
    std::uint32_t fixedBytes_ = 0;
};

class TRecord {
public:
    TRecord() = default;
    explicit TRecord(const RecordLayout& layout);  // every field null
    TRecord(const TRecord& other);
    TRecord& operator=(const TRecord& other);
    TRecord(TRecord&&) noexcept = default;
    TRecord& operator=(TRecord&&) noexcept = default;

    bool Empty() const { return !data_; }
    // The record's bytes, for comparisons that read slots directly.
    const std::uint8_t* Raw() const { return data_.get(); }
    bool IsNull(const RecordLayout&, int field) const {
        const auto f = static_cast<std::uint32_t>(field);
        return !data_ || ((data_[f / 8] >> (f % 8)) & 1u);
    }
    std::int64_t GetInt(const RecordLayout& layout, int field) const;
    double GetDouble(const RecordLayout& layout, int field) const;
    bool GetBool(const RecordLayout& layout, int field) const;
    std::string_view GetVar(const RecordLayout& layout, int field) const {
        const auto& slot = layout.SlotOf(field);
        if (IsNull(layout, field) || slot.kind != SlotKind::Var) return {};
        std::uint32_t offset, length;
        std::memcpy(&offset, data_.get() + slot.offset, 4);
        std::memcpy(&length, data_.get() + slot.offset + 4, 4);
        return {reinterpret_cast<const char*>(data_.get() + layout.BitmapBytes() + layout.FixedBytes() + offset), length};
    }
    TFieldValue Get(const RecordLayout& layout, int field) const;

    // A record holding the given values (one per field), built in one allocation.
    static TRecord FromValues(const RecordLayout& layout, const std::vector<TFieldValue>& values);
    // Makes every field null again, keeping the allocation.
    void ClearAll(const RecordLayout& layout);

    void SetNull(const RecordLayout& layout, int field);
    void SetInt(const RecordLayout& layout, int field, std::int64_t value);
    void SetDouble(const RecordLayout& layout, int field, double value);
    void SetBool(const RecordLayout& layout, int field, bool value);
    void SetVar(const RecordLayout& layout, int field, std::string_view bytes);
    // Stores a value of the alternative the field's ValueClass uses; a value of
    // another alternative is converted where that is lossless, else the field is nulled.
    void Set(const RecordLayout& layout, int field, const TFieldValue& value);

    // Drops the bytes of replaced texts, so that a stored row holds only live ones.
    void Compact(const RecordLayout& layout);


    std::uint8_t status = 0;  // 0 unmodified, 1 modified, 2 inserted, 3 deleted

private:
    void MarkNull(const RecordLayout& layout, int field, bool isNull);
    std::unique_ptr<std::uint8_t[]> data_;
    std::uint32_t size_ = 0;      // bytes in use
    std::uint32_t capacity_ = 0;  // bytes allocated; a pending row grows into it
};

}  // namespace kvr
