// Compact row storage.
#include "tables/record.h"

#include <algorithm>
#include <cstring>

namespace kvr {

namespace {

constexpr std::uint32_t kVarSlotBytes = 8;  // offset into the tail, then length

std::uint32_t SlotBytes(SlotKind kind) {
    switch (kind) {
        case SlotKind::Bool: return 1;
        case SlotKind::Int32: return 4;
        case SlotKind::Int64:
        case SlotKind::Double: return 8;
        case SlotKind::Var: return kVarSlotBytes;
    }
    return 8;
}

SlotKind SlotKindFor(FieldType type) {
    switch (ValueClassOf(type)) {
        case ValueClass::Integer: return type == FieldType::LongWord ? SlotKind::Int64 : SlotKind::Int32;
        case ValueClass::LargeInt:
        case ValueClass::Currency: return SlotKind::Int64;
        case ValueClass::Boolean: return SlotKind::Bool;
        case ValueClass::Float:
        case ValueClass::DateTime: return SlotKind::Double;
        case ValueClass::Text:
        case ValueClass::Bytes: return SlotKind::Var;
    }
    return SlotKind::Var;
}

template <typename T>
T Load(const std::uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename T>
void Store(std::uint8_t* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

}  // namespace

void RecordLayout::Build(const std::vector<FieldType>& types) {
    slots_.clear();
    bitmapBytes_ = static_cast<std::uint32_t>((types.size() + 7) / 8);
    std::uint32_t offset = bitmapBytes_;
    for (FieldType type : types) {
        const SlotKind kind = SlotKindFor(type);
        slots_.push_back(Slot{offset, kind, ValueClassOf(type)});
        offset += SlotBytes(kind);
    }
    fixedBytes_ = offset - bitmapBytes_;
}

TRecord::TRecord(const RecordLayout& layout) {
    size_ = capacity_ = layout.BitmapBytes() + layout.FixedBytes();
    data_ = std::make_unique<std::uint8_t[]>(size_);  // zeroed: empty texts, zero numbers
    std::memset(data_.get(), 0xFF, layout.BitmapBytes());
}

TRecord::TRecord(const TRecord& other) : status(other.status), size_(other.size_), capacity_(other.size_) {
    if (other.data_) {
        data_ = std::make_unique<std::uint8_t[]>(size_);
        std::memcpy(data_.get(), other.data_.get(), size_);
    }
}

TRecord& TRecord::operator=(const TRecord& other) {
    if (this != &other) {
        TRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void TRecord::MarkNull(const RecordLayout&, int field, bool isNull) {
    const auto f = static_cast<std::uint32_t>(field);
    const auto bit = static_cast<std::uint8_t>(1u << (f % 8));
    if (isNull) {
        data_[f / 8] = static_cast<std::uint8_t>(data_[f / 8] | bit);
    } else {
        data_[f / 8] = static_cast<std::uint8_t>(data_[f / 8] & ~bit);
    }
}

std::int64_t TRecord::GetInt(const RecordLayout& layout, int field) const {
    if (IsNull(layout, field)) return 0;
    const auto& slot = layout.SlotOf(field);
    const std::uint8_t* p = data_.get() + slot.offset;
    switch (slot.kind) {
        case SlotKind::Bool: return *p ? 1 : 0;
        case SlotKind::Int32: return Load<std::int32_t>(p);
        case SlotKind::Int64: return Load<std::int64_t>(p);
        case SlotKind::Double: return static_cast<std::int64_t>(Load<double>(p));
        case SlotKind::Var: return 0;
    }
    return 0;
}

double TRecord::GetDouble(const RecordLayout& layout, int field) const {
    if (IsNull(layout, field)) return 0;
    const auto& slot = layout.SlotOf(field);
    const std::uint8_t* p = data_.get() + slot.offset;
    switch (slot.kind) {
        case SlotKind::Bool: return *p ? 1 : 0;
        case SlotKind::Int32: return Load<std::int32_t>(p);
        case SlotKind::Int64: return static_cast<double>(Load<std::int64_t>(p));
        case SlotKind::Double: return Load<double>(p);
        case SlotKind::Var: return 0;
    }
    return 0;
}

bool TRecord::GetBool(const RecordLayout& layout, int field) const {
    if (IsNull(layout, field)) return false;
    const auto& slot = layout.SlotOf(field);
    return slot.kind == SlotKind::Bool ? data_[slot.offset] != 0 : GetInt(layout, field) != 0;
}

TFieldValue TRecord::Get(const RecordLayout& layout, int field) const {
    if (IsNull(layout, field)) return std::monostate{};
    switch (layout.SlotOf(field).valueClass) {
        case ValueClass::Integer:
        case ValueClass::LargeInt:
        case ValueClass::Currency: return GetInt(layout, field);
        case ValueClass::Boolean: return GetBool(layout, field);
        case ValueClass::Float:
        case ValueClass::DateTime: return GetDouble(layout, field);
        case ValueClass::Text:
        case ValueClass::Bytes: return std::string(GetVar(layout, field));
    }
    return std::monostate{};
}

TRecord TRecord::FromValues(const RecordLayout& layout, const std::vector<TFieldValue>& values) {
    std::size_t tail = 0;
    for (int f = 0; f < layout.FieldCount(); ++f) {
        const auto* text = std::get_if<std::string>(&values[static_cast<std::size_t>(f)]);
        if (text && layout.SlotOf(f).kind == SlotKind::Var) tail += text->size();
    }
    TRecord record;
    const std::uint32_t head = layout.BitmapBytes() + layout.FixedBytes();
    record.size_ = record.capacity_ = static_cast<std::uint32_t>(head + tail);
    record.data_ = std::make_unique<std::uint8_t[]>(record.size_);
    std::memset(record.data_.get(), 0xFF, layout.BitmapBytes());
    std::uint32_t offset = 0;
    for (int f = 0; f < layout.FieldCount(); ++f) {
        const TFieldValue& value = values[static_cast<std::size_t>(f)];
        const auto& slot = layout.SlotOf(f);
        if (slot.kind != SlotKind::Var) {
            if (!IsNullValue(value)) record.Set(layout, f, value);
            continue;
        }
        const auto* text = std::get_if<std::string>(&value);
        if (!text) continue;
        if (!text->empty()) std::memcpy(record.data_.get() + head + offset, text->data(), text->size());
        Store(record.data_.get() + slot.offset, offset);
        Store(record.data_.get() + slot.offset + 4, static_cast<std::uint32_t>(text->size()));
        offset += static_cast<std::uint32_t>(text->size());
        record.MarkNull(layout, f, false);
    }
    return record;
}

void TRecord::ClearAll(const RecordLayout& layout) {
    if (!data_) {
        *this = TRecord(layout);
        return;
    }
    std::memset(data_.get(), 0xFF, layout.BitmapBytes());
    size_ = layout.BitmapBytes() + layout.FixedBytes();  // the texts' bytes are free again
}

void TRecord::SetNull(const RecordLayout& layout, int field) {
    if (layout.SlotOf(field).kind == SlotKind::Var) SetVar(layout, field, {});
    MarkNull(layout, field, true);
}

void TRecord::SetInt(const RecordLayout& layout, int field, std::int64_t value) {
    const auto& slot = layout.SlotOf(field);
    std::uint8_t* p = data_.get() + slot.offset;
    switch (slot.kind) {
        case SlotKind::Bool: *p = value != 0; break;
        case SlotKind::Int32: Store(p, static_cast<std::int32_t>(value)); break;
        case SlotKind::Int64: Store(p, value); break;
        case SlotKind::Double: Store(p, static_cast<double>(value)); break;
        case SlotKind::Var: SetVar(layout, field, std::to_string(value)); return;
    }
    MarkNull(layout, field, false);
}

void TRecord::SetDouble(const RecordLayout& layout, int field, double value) {
    const auto& slot = layout.SlotOf(field);
    if (slot.kind != SlotKind::Double) {
        SetInt(layout, field, static_cast<std::int64_t>(value));
        return;
    }
    Store(data_.get() + slot.offset, value);
    MarkNull(layout, field, false);
}

void TRecord::SetBool(const RecordLayout& layout, int field, bool value) {
    const auto& slot = layout.SlotOf(field);
    if (slot.kind != SlotKind::Bool) {
        SetInt(layout, field, value ? 1 : 0);
        return;
    }
    data_[slot.offset] = value;
    MarkNull(layout, field, false);
}

void TRecord::SetVar(const RecordLayout& layout, int field, std::string_view bytes) {
    // A text that fits where the old one was overwrites it; a longer one goes
    // to the end of the tail, which grows geometrically, so that filling a row
    // costs time in proportion to its size. Compact drops the leftovers.
    const auto& slot = layout.SlotOf(field);
    const std::uint32_t head = layout.BitmapBytes() + layout.FixedBytes();
    std::uint32_t offset = Load<std::uint32_t>(data_.get() + slot.offset);
    const std::uint32_t length = Load<std::uint32_t>(data_.get() + slot.offset + 4);
    if (IsNull(layout, field) || bytes.size() > length) {
        const std::size_t needed = static_cast<std::size_t>(size_) + bytes.size();
        if (needed > capacity_) {
            const std::size_t grown = std::max<std::size_t>(needed, static_cast<std::size_t>(capacity_) * 2);
            auto fresh = std::make_unique<std::uint8_t[]>(grown);
            std::memcpy(fresh.get(), data_.get(), size_);
            if (!bytes.empty()) std::memcpy(fresh.get() + size_, bytes.data(), bytes.size());  // bytes may lie in the old buffer
            data_ = std::move(fresh);
            capacity_ = static_cast<std::uint32_t>(grown);
        } else if (!bytes.empty()) {
            std::memmove(data_.get() + size_, bytes.data(), bytes.size());
        }
        offset = size_ - head;
        size_ = static_cast<std::uint32_t>(needed);
    } else if (!bytes.empty()) {
        std::memmove(data_.get() + head + offset, bytes.data(), bytes.size());
    }
    Store(data_.get() + slot.offset, offset);
    Store(data_.get() + slot.offset + 4, static_cast<std::uint32_t>(bytes.size()));
    MarkNull(layout, field, false);
}

void TRecord::Compact(const RecordLayout& layout) {
    if (!data_) return;
    const std::uint32_t head = layout.BitmapBytes() + layout.FixedBytes();
    std::size_t live = 0;
    for (int f = 0; f < layout.FieldCount(); ++f) {
        if (layout.SlotOf(f).kind == SlotKind::Var) live += GetVar(layout, f).size();
    }
    if (head + live == size_ && size_ == capacity_) return;
    auto fresh = std::make_unique<std::uint8_t[]>(head + live);
    std::memcpy(fresh.get(), data_.get(), head);
    std::uint32_t offset = 0;
    for (int f = 0; f < layout.FieldCount(); ++f) {
        const auto& slot = layout.SlotOf(f);
        if (slot.kind != SlotKind::Var) continue;
        const std::string_view text = GetVar(layout, f);
        if (!text.empty()) std::memcpy(fresh.get() + head + offset, text.data(), text.size());
        Store(fresh.get() + slot.offset, offset);
        Store(fresh.get() + slot.offset + 4, static_cast<std::uint32_t>(text.size()));
        offset += static_cast<std::uint32_t>(text.size());
    }
    data_ = std::move(fresh);
    size_ = capacity_ = static_cast<std::uint32_t>(head + live);
}

void TRecord::Set(const RecordLayout& layout, int field, const TFieldValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        SetInt(layout, field, *i);
    } else if (const auto* d = std::get_if<double>(&value)) {
        SetDouble(layout, field, *d);
    } else if (const auto* b = std::get_if<bool>(&value)) {
        SetBool(layout, field, *b);
    } else if (const auto* s = std::get_if<std::string>(&value)) {
        if (layout.SlotOf(field).kind == SlotKind::Var) {
            SetVar(layout, field, *s);
        } else {
            SetNull(layout, field);
        }
    } else {
        SetNull(layout, field);
    }
}

}  // namespace kvr
