// The memory table: activity, navigation, editing, indexes and files.
#include "tables/memtable.h"

#include <algorithm>

#include "support/collation.h"
#include "support/errors.h"
#include "support/file_io.h"
#include "tables/table_formats.h"

namespace kvr {

namespace {

constexpr std::int64_t kSequenceGap = std::int64_t{1} << 20;

std::string Trimmed(std::string_view text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

}  // namespace

TMemTable::TMemTable(std::string name) : name_(std::move(name)), rowOrder_(std::make_unique<RowIndex>()) {
    activeIndex_ = rowOrder_.get();
}

TMemTable::~TMemTable() = default;

void TMemTable::Fail(std::string_view message) const {
    throw EDatabaseError(FormatMessage("%s: %s", {name_, message}));
}

void TMemTable::CheckActive() const {
    if (!active_) Fail("Cannot perform this operation on a closed dataset");
}

// ---- definition and activity

void TMemTable::CreateFields() {
    fields_.clear();
    std::vector<FieldType> types;
    for (int i = 0; i < FieldDefs.Count(); ++i) {
        fields_.push_back(std::make_unique<TField>(*this, i, FieldDefs[i]));
        types.push_back(FieldDefs[i].DataType);
    }
    layout_.Build(types);
    nullRecord_ = TRecord(layout_);
    searchKey_ = rangeStart_ = rangeEnd_ = TRecord();  // sized for the old layout
}

void TMemTable::DestroyFields() {
    fields_.clear();
    layout_.Build({});
    nullRecord_ = TRecord(layout_);
    searchKey_ = rangeStart_ = rangeEnd_ = TRecord();
}

std::unique_ptr<RowIndex> TMemTable::MakeIndex(const std::string& name, std::string_view fieldNames,
                                               TIndexOptions options) const {
    std::vector<RowIndex::KeyField> keys;
    std::size_t start = 0;
    while (start <= fieldNames.size()) {
        const std::size_t end = std::min(fieldNames.find(';', start), fieldNames.size());
        const std::string fieldName = Trimmed(fieldNames.substr(start, end - start));
        if (!fieldName.empty()) {
            const TField& field = FieldByName(fieldName);
            keys.push_back({field.Index(), (options & ixDescending) != 0, (options & ixCaseInsensitive) != 0});
        }
        start = end + 1;
    }
    return std::make_unique<RowIndex>(name, std::move(keys), options);
}

void TMemTable::CreateIndexes() {
    named_.clear();
    for (int i = 0; i < IndexDefs.Count(); ++i) {
        named_.push_back(MakeIndex(IndexDefs[i].Name, IndexDefs[i].Fields, IndexDefs[i].Options));
    }
}

void TMemTable::ResetCursor() {
    current_ = kNoRow;
    eof_ = bof_ = true;
    pending_ = TRecord();
    modified_ = false;
    rangeApplied_ = rangeStartSet_ = rangeEndSet_ = false;
}

void TMemTable::CreateTable() {
    if (active_) Close();
    CreateFields();
}

void TMemTable::Open() {
    if (active_) return;
    if (fields_.empty()) {
        if (FieldDefs.Count() == 0) throw EDatabaseError("There must be at least one field");
        CreateFields();
    }
    rows_.clear();
    sequence_.clear();
    lastSequence_ = 0;
    rowOrder_->Clear();
    sortIndex_.reset();
    activeIndex_ = rowOrder_.get();
    CreateIndexes();
    recordedIndexName_.clear();
    active_ = true;
    state_ = TDataSetState::Browse;
    ResetCursor();
    Notify(TableChange::DataChanged);
}

void TMemTable::Close() {
    rows_.clear();
    sequence_.clear();
    lastSequence_ = 0;
    rowOrder_->Clear();
    named_.clear();
    sortIndex_.reset();
    activeIndex_ = rowOrder_.get();
    DestroyFields();
    active_ = false;
    state_ = TDataSetState::Inactive;
    ResetCursor();
    Notify(TableChange::DataChanged);
}

void TMemTable::EmptyTable() {
    rows_.clear();
    sequence_.clear();
    lastSequence_ = 0;
    rowOrder_->Clear();
    for (auto& index : named_) index->Clear();
    if (sortIndex_) sortIndex_->Clear();
    ResetCursor();
    if (active_) state_ = TDataSetState::Browse;
    Notify(TableChange::DataChanged);
}

TField* TMemTable::FindField(std::string_view name) const {
    for (const auto& field : fields_) {
        if (SameText(field->FieldName(), name)) return field.get();
    }
    return nullptr;
}

TField& TMemTable::FieldByName(std::string_view name) const {
    TField* field = FindField(name);
    if (!field) Fail(FormatMessage("Field '%s' not found", {name}));
    return *field;
}

// ---- visibility

bool TMemTable::PassesFilter(RowId row) const {
    if (!filtered_ || !OnFilterRecord) return true;
    const TRecord* saved = probe_;
    probe_ = &rows_[row];
    bool accept = true;
    try {
        OnFilterRecord(const_cast<TMemTable&>(*this), accept);
    } catch (...) {
        probe_ = saved;
        throw;
    }
    probe_ = saved;
    return accept;
}

bool TMemTable::InRange(RowId row) const {
    if (!rangeApplied_ || activeIndex_->IsRowOrder()) return true;
    const RowStore store = Store();
    for (const auto& key : activeIndex_->Keys()) {
        if (!rangeStart_.IsNull(layout_, key.field) &&
            RowIndex::CompareField(store, key, rows_[row], rangeStart_) < 0) {
            return false;
        }
        if (!rangeEnd_.IsNull(layout_, key.field) && RowIndex::CompareField(store, key, rows_[row], rangeEnd_) > 0) {
            return false;
        }
    }
    return true;
}

bool TMemTable::IsVisible(RowId row) const { return InRange(row) && PassesFilter(row); }

std::pair<std::size_t, std::size_t> TMemTable::VisibleBounds() const {
    const RowIndex& index = *activeIndex_;
    const std::size_t size = index.size();
    if (!rangeApplied_ || index.IsRowOrder() || !index.InOrder() || index.Keys().empty()) return {0, size};
    // Rows inside the range share the leading fields on which both keys are set
    // and equal, so they form one stretch of the index.
    const RowStore store = Store();
    int equalPrefix = 0;
    for (const auto& key : index.Keys()) {
        if (rangeStart_.IsNull(layout_, key.field) || rangeEnd_.IsNull(layout_, key.field) ||
            RowIndex::CompareField(store, key, rangeStart_, rangeEnd_) != 0) {
            break;
        }
        ++equalPrefix;
    }
    if (equalPrefix > 0) {
        return {index.LowerBound(store, rangeStart_, equalPrefix), index.UpperBound(store, rangeStart_, equalPrefix)};
    }
    const int first = index.Keys().front().field;
    const std::size_t lo = rangeStart_.IsNull(layout_, first) ? 0 : index.LowerBound(store, rangeStart_, 1);
    const std::size_t hi = rangeEnd_.IsNull(layout_, first) ? size : index.UpperBound(store, rangeEnd_, 1);
    return {lo, std::max(lo, hi)};
}

// ---- navigation

void TMemTable::EnsureActiveInOrder() {
    if (!activeIndex_->InOrder() && !loading_) activeIndex_->Rebuild(Store(), rows_.size());
}

std::size_t TMemTable::CurrentPosition() const {
    const RowIndex& index = *activeIndex_;
    if (cachedPosition_ < index.size() && index.at(cachedPosition_) == current_) return cachedPosition_;
    cachedPosition_ = index.PositionOf(Store(), current_);
    return cachedPosition_;
}

void TMemTable::MoveTo(RowId row, bool fireScroll) {
    current_ = row;
    eof_ = bof_ = false;
    Notify(TableChange::Scrolled);
    if (fireScroll && AfterScroll) AfterScroll(*this);
}

void TMemTable::First() {
    CheckActive();
    StorePending();
    EnsureActiveInOrder();
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = lo; pos < hi; ++pos) {
        const RowId row = activeIndex_->at(pos);
        if (IsVisible(row)) {
            cachedPosition_ = pos;
            MoveTo(row, true);
            bof_ = true;
            return;
        }
    }
    current_ = kNoRow;
    eof_ = bof_ = true;
    Notify(TableChange::Scrolled);
    if (AfterScroll) AfterScroll(*this);
}

void TMemTable::Last() {
    CheckActive();
    StorePending();
    EnsureActiveInOrder();
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = hi; pos > lo; --pos) {
        const RowId row = activeIndex_->at(pos - 1);
        if (IsVisible(row)) {
            cachedPosition_ = pos - 1;
            MoveTo(row, true);
            eof_ = true;
            return;
        }
    }
    current_ = kNoRow;
    eof_ = bof_ = true;
    Notify(TableChange::Scrolled);
    if (AfterScroll) AfterScroll(*this);
}

void TMemTable::Next() {
    CheckActive();
    StorePending();
    EnsureActiveInOrder();
    if (current_ == kNoRow) {
        eof_ = true;
        return;
    }
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = std::max(CurrentPosition() + 1, lo); pos < hi; ++pos) {
        const RowId row = activeIndex_->at(pos);
        if (IsVisible(row)) {
            cachedPosition_ = pos;
            MoveTo(row, true);
            return;
        }
    }
    eof_ = true;
    bof_ = false;
}

void TMemTable::Prior() {
    CheckActive();
    StorePending();
    EnsureActiveInOrder();
    if (current_ == kNoRow) {
        bof_ = true;
        return;
    }
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = std::min(CurrentPosition(), hi); pos > lo; --pos) {
        const RowId row = activeIndex_->at(pos - 1);
        if (IsVisible(row)) {
            cachedPosition_ = pos - 1;
            MoveTo(row, true);
            return;
        }
    }
    bof_ = true;
    eof_ = false;
}

bool TMemTable::IsEmpty() const {
    if (!active_) return true;
    if (!rangeApplied_ && !filtered_) return rows_.empty();
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = lo; pos < hi; ++pos) {
        if (IsVisible(activeIndex_->at(pos))) return false;
    }
    return true;
}

int TMemTable::RecordCount() const {
    CheckActive();
    if (!rangeApplied_ && !filtered_) return static_cast<int>(rows_.size());
    const auto [lo, hi] = VisibleBounds();
    int count = 0;
    for (std::size_t pos = lo; pos < hi; ++pos) {
        if (IsVisible(activeIndex_->at(pos))) ++count;
    }
    return count;
}

int TMemTable::RecNo() const {
    if (!active_ || current_ == kNoRow) return -1;
    const auto [lo, hi] = VisibleBounds();
    const std::size_t position = CurrentPosition();
    int number = 0;
    for (std::size_t pos = lo; pos < hi && pos < position; ++pos) {
        if (IsVisible(activeIndex_->at(pos))) ++number;
    }
    return number;
}

void TMemTable::PlaceCursorNear(RowId row) {
    EnsureActiveInOrder();
    if (IsVisible(row)) {
        current_ = row;
        eof_ = bof_ = false;
        return;
    }
    const auto [lo, hi] = VisibleBounds();
    const std::size_t position = activeIndex_->PositionOf(Store(), row);
    for (std::size_t pos = std::max(position + 1, lo); pos < hi; ++pos) {
        if (IsVisible(activeIndex_->at(pos))) {
            cachedPosition_ = pos;
            current_ = activeIndex_->at(pos);
            eof_ = bof_ = false;
            return;
        }
    }
    for (std::size_t pos = std::min(position, hi); pos > lo; --pos) {
        if (IsVisible(activeIndex_->at(pos - 1))) {
            cachedPosition_ = pos - 1;
            current_ = activeIndex_->at(pos - 1);
            eof_ = bof_ = false;
            return;
        }
    }
    current_ = kNoRow;
    eof_ = bof_ = true;
}

// ---- editing

const TRecord& TMemTable::CurrentSource() const {
    if (probe_) return *probe_;
    switch (state_) {
        case TDataSetState::SetKey:
            return keyBuffer_ == KeyBuffer::Search ? searchKey_
                                                   : (keyBuffer_ == KeyBuffer::RangeStart ? rangeStart_ : rangeEnd_);
        case TDataSetState::Edit:
        case TDataSetState::Insert: return pending_;
        default: break;
    }
    return current_ == kNoRow ? nullRecord_ : rows_[current_];
}

TRecord& TMemTable::WriteTarget(const TField& field) {
    switch (state_) {
        case TDataSetState::SetKey:
            return keyBuffer_ == KeyBuffer::Search ? searchKey_
                                                   : (keyBuffer_ == KeyBuffer::RangeStart ? rangeStart_ : rangeEnd_);
        case TDataSetState::Edit:
        case TDataSetState::Insert:
            if (field.ReadOnly && !loading_) {
                throw EDatabaseError(FormatMessage("Field %s is read only", {field.DisplayLabel}));
            }
            modified_ = true;
            if (!listeners_.empty()) Notify(TableChange::RecordChanged);
            return pending_;
        default: break;
    }
    Fail("Dataset is not in edit mode.");
}

void TMemTable::StorePending() {
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) {
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    } else if (state_ == TDataSetState::SetKey) {
        state_ = TDataSetState::Browse;
    }
}

void TMemTable::ApplyDefaults() {
    for (const auto& field : fields_) {
        if (field->DefaultExpression.empty()) continue;
        std::string text = field->DefaultExpression;
        if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') text = text.substr(1, text.size() - 2);
        // A default reaches read-only fields too.
        const bool readOnly = field->ReadOnly;
        field->ReadOnly = false;
        try {
            field->SetAsString(text);
        } catch (const Exception&) {
            // A default that does not fit the field's type leaves it null.
        }
        field->ReadOnly = readOnly;
    }
    modified_ = false;
}

void TMemTable::Edit() {
    CheckActive();
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) return;
    if (state_ == TDataSetState::SetKey) state_ = TDataSetState::Browse;
    if (current_ == kNoRow) return Insert();
    pending_ = rows_[current_];
    pendingIsNew_ = false;
    modified_ = false;
    state_ = TDataSetState::Edit;
    Notify(TableChange::StateChanged);
}

void TMemTable::StartNewRow(RowId insertBefore) {
    CheckActive();
    StorePending();
    // Insert places the row before the current one only in row order.
    insertBefore_ = insertBefore == kNoRow || activeIndex_->IsRowOrder() ? insertBefore : kNoRow;
    pendingIsNew_ = true;
    state_ = TDataSetState::Insert;
    pending_ = TRecord(layout_);
    ApplyDefaults();
    Notify(TableChange::StateChanged);
}

void TMemTable::Insert() {
    CheckActive();
    StorePending();
    StartNewRow(current_);
}

void TMemTable::Append() { StartNewRow(kNoRow); }

std::vector<RowIndex*> TMemTable::SecondaryIndexes() const {
    std::vector<RowIndex*> indexes;
    for (const auto& index : named_) indexes.push_back(index.get());
    if (sortIndex_) indexes.push_back(sortIndex_.get());
    return indexes;
}

void TMemTable::CheckUnique(RowId self, const TRecord& record) const {
    const RowStore store = Store();
    for (const auto& index : named_) {
        if (!index->Unique() || !index->Maintained()) continue;
        if (index->InOrder()) {
            for (std::size_t pos = index->LowerBound(store, record); pos < index->size(); ++pos) {
                const RowId other = index->at(pos);
                if (index->CompareKeys(store, rows_[other], record) != 0) break;
                if (other != self) throw EDatabaseError("Duplicate index value. Operation aborted.");
            }
        } else {
            for (std::size_t pos = 0; pos < index->size(); ++pos) {
                const RowId other = index->at(pos);
                if (other != self && index->CompareKeys(store, rows_[other], record) == 0) {
                    throw EDatabaseError("Duplicate index value. Operation aborted.");
                }
            }
        }
    }
}

std::int64_t TMemTable::SequenceBefore(RowId row) {
    const RowStore store = Store();
    std::size_t position = rowOrder_->PositionOf(store, row);
    std::int64_t next = sequence_[row];
    std::int64_t previous = position == 0 ? next - 2 * kSequenceGap : sequence_[rowOrder_->at(position - 1)];
    if (next - previous < 2) {
        // No room left between the two neighbours: spread the sequence out again.
        std::int64_t value = 0;
        for (std::size_t pos = 0; pos < rowOrder_->size(); ++pos) sequence_[rowOrder_->at(pos)] = value += kSequenceGap;
        lastSequence_ = value;
        next = sequence_[row];
        previous = position == 0 ? next - 2 * kSequenceGap : sequence_[rowOrder_->at(position - 1)];
    }
    return previous + (next - previous) / 2;
}

void TMemTable::AddRow(TRecord&& record, std::int64_t sequence, bool maintain) {
    const auto id = static_cast<RowId>(rows_.size());
    rows_.push_back(std::move(record));
    sequence_.push_back(sequence);
    const RowStore store = Store();
    if (sequence > lastSequence_) {
        lastSequence_ = sequence;
        rowOrder_->AddAt(rowOrder_->size(), id);
    } else {
        rowOrder_->Add(store, id);
    }
    for (RowIndex* index : SecondaryIndexes()) {
        if (maintain && index->Maintained()) {
            index->Add(store, id);
        } else {
            index->AppendUnordered(id);
        }
    }
}

void TMemTable::Post() {
    if (state_ == TDataSetState::SetKey) {
        state_ = TDataSetState::Browse;
        return;
    }
    if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) return;
    for (const auto& field : fields_) {
        if (field->Required && !field->ReadOnly && field->Kind == FieldKind::Data &&
            pending_.IsNull(layout_, field->Index())) {
            throw EDatabaseError(FormatMessage("Field '%s' must have a value", {field->DisplayLabel}));
        }
    }
    const bool maintain = enableIndexes_ && !loading_;
    if (maintain) CheckUnique(pendingIsNew_ ? kNoRow : current_, pending_);

    pending_.Compact(layout_);
    RowId stored;
    if (pendingIsNew_) {
        pending_.status = 0;
        stored = static_cast<RowId>(rows_.size());
        const std::int64_t sequence =
            insertBefore_ != kNoRow && insertBefore_ < rows_.size() ? SequenceBefore(insertBefore_) : lastSequence_ + kSequenceGap;
        AddRow(std::move(pending_), sequence, maintain);
    } else {
        stored = current_;
        if (modified_) pending_.status = 1;
        const RowStore store = Store();
        std::vector<RowIndex*> reorder;
        for (RowIndex* index : SecondaryIndexes()) {
            if (maintain && index->Maintained() && index->InOrder()) {
                index->Remove(store, stored);
                reorder.push_back(index);
            } else if (index->CompareKeys(store, rows_[stored], pending_) != 0) {
                index->MarkOutOfOrder();
            }
        }
        rows_[stored] = std::move(pending_);
        for (RowIndex* index : reorder) index->Add(store, stored);
    }
    pending_ = TRecord();
    modified_ = false;
    state_ = TDataSetState::Browse;
    PlaceCursorNear(stored);
    Notify(TableChange::DataChanged);
    if (AfterPost) AfterPost(*this);
}

void TMemTable::Cancel() {
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert || state_ == TDataSetState::SetKey) {
        pending_ = TRecord();
        modified_ = false;
        state_ = TDataSetState::Browse;
        Notify(TableChange::StateChanged);
    }
}

// ---- views

void TMemTable::Notify(TableChange change) {
    if (disableCount_ > 0 || loading_) return;
    for (auto& [id, listener] : listeners_) listener(change);
}

void TMemTable::DisableControls() { ++disableCount_; }

void TMemTable::EnableControls() {
    if (disableCount_ > 0 && --disableCount_ == 0) Notify(TableChange::DataChanged);
}

void TMemTable::Refresh() { Notify(TableChange::DataChanged); }

int TMemTable::AddChangeListener(ChangeListener listener) {
    listeners_.emplace_back(nextListenerId_, std::move(listener));
    return nextListenerId_++;
}

void TMemTable::RemoveChangeListener(int id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

// ---- indexes

std::string TMemTable::IndexName() const {
    if (!active_) return recordedIndexName_;
    return activeIndex_->IsRowOrder() || activeIndex_ == sortIndex_.get() ? std::string() : activeIndex_->Name();
}

void TMemTable::KeepOrFirst(RowId previous) {
    EnsureActiveInOrder();
    if (previous != kNoRow && IsVisible(previous)) {
        current_ = previous;
        eof_ = bof_ = false;
        Notify(TableChange::DataChanged);
        return;
    }
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = lo; pos < hi; ++pos) {
        if (IsVisible(activeIndex_->at(pos))) {
            cachedPosition_ = pos;
            current_ = activeIndex_->at(pos);
            eof_ = bof_ = false;
            Notify(TableChange::DataChanged);
            if (current_ != previous && AfterScroll) AfterScroll(*this);
            return;
        }
    }
    current_ = kNoRow;
    eof_ = bof_ = true;
    Notify(TableChange::DataChanged);
}

void TMemTable::ActivateIndex(RowIndex* index) {
    if (index == activeIndex_) return;
    const RowId previous = current_;
    activeIndex_ = index;
    // A range is entered on the fields of one index; it does not carry over.
    rangeApplied_ = rangeStartSet_ = rangeEndSet_ = false;
    KeepOrFirst(previous);
}

void TMemTable::SetIndexName(std::string_view name) {
    if (!active_) {
        recordedIndexName_ = std::string(name);
        return;
    }
    StorePending();
    if (name.empty()) return ActivateIndex(rowOrder_.get());
    for (const auto& index : named_) {
        if (SameText(index->Name(), name)) return ActivateIndex(index.get());
    }
}

void TMemTable::UpdateIndexes() {
    if (!active_) return;
    StorePending();
    const RowId previous = current_;
    std::vector<std::unique_ptr<RowIndex>> updated;
    bool activeKept = activeIndex_->IsRowOrder() || activeIndex_ == sortIndex_.get();
    for (int i = 0; i < IndexDefs.Count(); ++i) {
        const TIndexDef& def = IndexDefs[i];
        auto fresh = MakeIndex(def.Name, def.Fields, def.Options);
        auto same = std::find_if(named_.begin(), named_.end(), [&](const std::unique_ptr<RowIndex>& old) {
            if (!old || !SameText(old->Name(), def.Name) || old->Options() != def.Options ||
                old->Keys().size() != fresh->Keys().size()) {
                return false;
            }
            for (std::size_t k = 0; k < old->Keys().size(); ++k) {
                if (old->Keys()[k].field != fresh->Keys()[k].field) return false;
            }
            return true;
        });
        if (same != named_.end()) {
            if (same->get() == activeIndex_) activeKept = true;
            updated.push_back(std::move(*same));
        } else {
            fresh->Rebuild(Store(), rows_.size());
            updated.push_back(std::move(fresh));
        }
    }
    if (!activeKept) activeIndex_ = rowOrder_.get();
    named_ = std::move(updated);
    const bool unique = RebuildIndexes();
    KeepOrFirst(previous);
    if (!unique) throw EDatabaseError("Duplicate index value. Operation aborted.");
}

bool TMemTable::RebuildIndexes() {
    // An index still in key order was kept under the uniqueness checks; only
    // the ones left out of order (loads, maintenance off) need sorting and checking.
    bool unique = true;
    const RowStore store = Store();
    for (RowIndex* index : SecondaryIndexes()) {
        if (!index->InOrder() || index->size() != rows_.size()) {
            if (!index->Rebuild(store, rows_.size()) && index->Maintained()) unique = false;
        }
    }
    return unique;
}

void TMemTable::SetEnableIndexes(bool on) {
    enableIndexes_ = on;
    if (on && active_ && !loading_) RebuildIndexes();
}

void TMemTable::SetKey() {
    CheckActive();
    StorePending();
    searchKey_.ClearAll(layout_);
    keyBuffer_ = KeyBuffer::Search;
    state_ = TDataSetState::SetKey;
}

bool TMemTable::GotoKey() {
    CheckActive();
    if (state_ == TDataSetState::SetKey) state_ = TDataSetState::Browse;
    StorePending();
    if (activeIndex_->IsRowOrder() || searchKey_.Empty()) return false;
    EnsureActiveInOrder();
    const RowStore store = Store();
    const auto [lo, hi] = VisibleBounds();
    for (std::size_t pos = std::max(lo, activeIndex_->LowerBound(store, searchKey_)); pos < hi; ++pos) {
        const RowId row = activeIndex_->at(pos);
        if (activeIndex_->CompareKeys(store, rows_[row], searchKey_) != 0) break;
        if (IsVisible(row)) {
            cachedPosition_ = pos;
            MoveTo(row, true);
            return true;
        }
    }
    return false;
}

void TMemTable::SetRangeStart() {
    CheckActive();
    StorePending();
    rangeStart_ = TRecord(layout_);
    rangeStartSet_ = true;
    keyBuffer_ = KeyBuffer::RangeStart;
    state_ = TDataSetState::SetKey;
}

void TMemTable::SetRangeEnd() {
    CheckActive();
    StorePending();
    rangeEnd_ = TRecord(layout_);
    rangeEndSet_ = true;
    keyBuffer_ = KeyBuffer::RangeEnd;
    state_ = TDataSetState::SetKey;
}

void TMemTable::ApplyRange() {
    CheckActive();
    if (state_ == TDataSetState::SetKey) state_ = TDataSetState::Browse;
    if (rangeStartSet_ && rangeEndSet_) rangeApplied_ = true;
    Notify(TableChange::DataChanged);
    First();
}

void TMemTable::CancelRange() {
    CheckActive();
    if (state_ == TDataSetState::SetKey) state_ = TDataSetState::Browse;
    const RowId previous = current_;
    rangeApplied_ = rangeStartSet_ = rangeEndSet_ = false;
    KeepOrFirst(previous);
}

void TMemTable::SortOn(std::string_view fieldNames, TIndexOptions options) {
    CheckActive();
    StorePending();
    if (Trimmed(fieldNames).empty()) return ActivateIndex(rowOrder_.get());
    auto index = MakeIndex(std::string(), fieldNames, options & ~ixUnique);
    index->Rebuild(Store(), rows_.size());
    const RowId previous = current_;
    activeIndex_ = index.get();
    sortIndex_ = std::move(index);
    rangeApplied_ = rangeStartSet_ = rangeEndSet_ = false;
    KeepOrFirst(previous);
}

void TMemTable::SetFiltered(bool on) {
    if (on == filtered_) return;
    filtered_ = on;
    if (active_) {
        Notify(TableChange::DataChanged);
        First();
    }
}

// ---- files

void TMemTable::FinishLoad(bool throwOnDuplicates) {
    loading_ = false;
    if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) Cancel();
    if (!active_) return;
    const bool unique = RebuildIndexes();
    First();
    Notify(TableChange::DataChanged);
    if (!unique && throwOnDuplicates) throw EDatabaseError("Duplicate index value. Operation aborted.");
}

void TMemTable::LoadFromBytes(std::string_view bytes) {
    if (DefaultFormat == TableFormat::None) throw EDatabaseError("No format specified.");
    loading_ = true;
    try {
        if (DefaultFormat == TableFormat::Binary) {
            ReadBinaryTable(*this, bytes);
        } else {
            ReadCsvTable(*this, bytes);
        }
    } catch (...) {
        FinishLoad(false);
        throw;
    }
    FinishLoad(true);
}

void TMemTable::LoadFromFile(const std::string& fileName) {
    if (DefaultFormat == TableFormat::None) throw EDatabaseError("No format specified.");
    LoadFromBytes(ReadWholeFile(fileName));
}

std::string TMemTable::SaveToBytes() {
    if (DefaultFormat == TableFormat::None) throw EDatabaseError("No format specified.");
    CheckActive();
    return DefaultFormat == TableFormat::Binary ? WriteBinaryTable(*this) : WriteCsvTable(*this);
}

void TMemTable::SaveToFile(const std::string& fileName) { ReplaceFileAtomically(fileName, SaveToBytes()); }

void TMemTable::AppendLoadedRow(int status, const std::vector<TFieldValue>& values) {
    if (static_cast<int>(values.size()) != FieldCount()) {
        throw EStreamError("Stream read error");
    }
    TRecord record = TRecord::FromValues(layout_, values);
    record.status = static_cast<std::uint8_t>(status);
    AddRow(std::move(record), lastSequence_ + kSequenceGap, false);
}

void TMemTable::ForEachStoredRow(const RowVisitor& visit) const {
    const RowIndex& index = *activeIndex_;
    for (std::size_t pos = 0; pos < index.size(); ++pos) {
        const TRecord& record = rows_[index.at(pos)];
        visit(record.status, [&](int field) { return record.Get(layout_, field); });
    }
}

}  // namespace kvr
