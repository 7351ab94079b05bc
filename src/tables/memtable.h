// The memory table: an in-memory table of rows with typed, named fields, a
// cursor on one current row, editing with its checks, named indexes with key
// search, key ranges, sorting and a row filter, change events, and whole-table
// loading and saving in a table file format.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/datetime.h"
#include "tables/field_types.h"
#include "tables/field_value.h"
#include "tables/record.h"
#include "tables/row_index.h"
#include "tables/table_defs.h"

namespace kvr {

class TMemTable;

enum class TDataSetState { Inactive, Browse, Edit, Insert, SetKey };
enum class TableFormat { None, Binary, Csv };

// What a bound view is told; it is not told while DisableControls is in force,
// and gets one DataChanged when the last EnableControls lifts it.
enum class TableChange { DataChanged, RecordChanged, Scrolled, StateChanged };

// One field of an active table. Reads and writes go to the row the table
// presents: the current row in browse state, the pending row in edit or insert
// state, the key being entered in key-entry state, and the row under test
// while the filter event runs.
class TField {
public:
    TField(TMemTable& table, int index, const TFieldDef& def);

    const std::string& FieldName() const { return name_; }
    FieldType DataType() const { return type_; }
    int Size() const { return size_; }
    int Index() const { return index_; }
    TMemTable& Table() const { return *table_; }

    bool Required = false;
    bool ReadOnly = false;
    bool Visible = true;
    std::string DisplayLabel;
    std::string EditMask;
    int DisplayWidth = 0;
    FieldKind Kind = FieldKind::Data;
    std::string DefaultExpression;
    int Tag = 0;
    // Display hooks for grids: the text shown for the stored value, and the
    // stored value made from typed text.
    std::function<std::string(const TField&)> OnGetText;
    std::function<void(TField&, std::string_view)> OnSetText;

    bool IsNull() const;
    void Clear();

    std::string AsString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsLargeInt() const;
    double AsFloat() const;
    double AsCurrency() const;  // the amount, exact to four decimals
    TDateTime AsDateTime() const;
    bool AsBoolean() const;

    void SetAsString(std::string_view text);
    void SetAsInteger(std::int32_t value);
    void SetAsLargeInt(std::int64_t value);
    void SetAsFloat(double value);
    void SetAsCurrency(double amount);
    void SetAsDateTime(TDateTime value);
    void SetAsBoolean(bool value);

    // The value as stored (see field_value.h); SetValue converts nothing and
    // checks only state and read-only.
    TFieldValue Value() const;
    void SetValue(const TFieldValue& value);

    // Grid text: OnGetText when set, else AsString; and its inverse.
    std::string DisplayText() const;
    void SetDisplayText(std::string_view text);

private:
    friend class TMemTable;
    const TRecord& Source() const;
    TRecord& Target();
    [[noreturn]] void ConversionFailure(std::string_view format, std::string_view text) const;

    TMemTable* table_;
    int index_;
    std::string name_;
    FieldType type_;
    int size_;
};

class TMemTable {
public:
    explicit TMemTable(std::string name = "MemTable");
    ~TMemTable();
    TMemTable(const TMemTable&) = delete;
    TMemTable& operator=(const TMemTable&) = delete;

    const std::string& Name() const { return name_; }

    // ---- definition and activity
    TFieldDefs FieldDefs;
    TIndexDefs IndexDefs;
    TMemTable* MasterSource = nullptr;  // never linked by the system; only cleared
    TableFormat DefaultFormat = TableFormat::None;

    void CreateTable();
    void Open();
    void Close();
    bool Active() const { return active_; }
    void EmptyTable();

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int i) const { return *fields_.at(static_cast<std::size_t>(i)); }
    TField& FieldByName(std::string_view name) const;
    TField* FindField(std::string_view name) const;

    // ---- navigation, in the order of the active index, over visible rows
    void First();
    void Next();
    void Prior();
    void Last();
    // EOF: spelled Eof because the C library owns the EOF macro.
    bool Eof() const { return eof_; }
    bool BOF() const { return bof_; }
    bool IsEmpty() const;
    int RecordCount() const;
    // Position of the current row among the visible rows (0-based), or -1.
    int RecNo() const;

    // ---- editing
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    // Change status of the current row (0 unmodified, 1 modified, 2 inserted, 3 deleted).
    int RecordStatus() const { return current_ == kNoRow ? 0 : rows_[current_].status; }

    // ---- views
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    void Refresh();
    using ChangeListener = std::function<void(TableChange)>;
    int AddChangeListener(ChangeListener listener);
    void RemoveChangeListener(int id);

    // ---- indexes, key search, ranges, sorting, filter
    std::string IndexName() const;
    void SetIndexName(std::string_view name);
    void UpdateIndexes();
    bool EnableIndexes() const { return enableIndexes_; }
    void SetEnableIndexes(bool on);

    void SetKey();
    bool GotoKey();
    void SetRangeStart();
    void SetRangeEnd();
    void ApplyRange();
    void CancelRange();
    bool RangeApplied() const { return rangeApplied_; }
    void SortOn(std::string_view fieldNames, TIndexOptions options = 0);

    bool Filtered() const { return filtered_; }
    void SetFiltered(bool on);
    std::function<void(TMemTable&, bool& accept)> OnFilterRecord;

    std::function<void(TMemTable&)> AfterPost;
    std::function<void(TMemTable&)> AfterScroll;

    // ---- files
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // The same, on bytes in memory.
    void LoadFromBytes(std::string_view bytes);
    std::string SaveToBytes();

    // ---- for the table file readers and writers
    // True while a reader runs: index maintenance and uniqueness checks are
    // off and read-only fields may be written.
    bool Loading() const { return loading_; }
    // Adds a row as read from a file: none of the checks of Post, no event.
    // values has one entry per field, as field_value.h describes.
    void AppendLoadedRow(int status, const std::vector<TFieldValue>& values);
    // Visits every row in the order of the active index, ignoring the range
    // and the filter; the visitor gets the row's change status and a reader
    // of its stored values.
    using RowVisitor = std::function<void(int status, const std::function<TFieldValue(int field)>& value)>;
    void ForEachStoredRow(const RowVisitor& visit) const;
    // Number of rows stored, whatever the range or filter.
    int StoredRowCount() const { return static_cast<int>(rows_.size()); }

private:
    friend class TField;
    static constexpr RowId kNoRow = static_cast<RowId>(-1);

    [[noreturn]] void Fail(std::string_view message) const;  // "<table>: <message>"
    void CheckActive() const;
    void CreateFields();
    void DestroyFields();
    void CreateIndexes();
    std::unique_ptr<RowIndex> MakeIndex(const std::string& name, std::string_view fieldNames,
                                        TIndexOptions options) const;
    void ResetCursor();
    RowStore Store() const { return RowStore{&rows_, &layout_, &sequence_}; }
    const TRecord& CurrentSource() const;
    TRecord& WriteTarget(const TField& field);
    void StorePending();
    std::vector<RowIndex*> SecondaryIndexes() const;
    bool IsVisible(RowId row) const;
    bool InRange(RowId row) const;
    bool PassesFilter(RowId row) const;
    std::pair<std::size_t, std::size_t> VisibleBounds() const;
    std::size_t CurrentPosition() const;
    void EnsureActiveInOrder();
    void PlaceCursorNear(RowId row);
    void MoveTo(RowId row, bool fireScroll);
    void ActivateIndex(RowIndex* index);
    void KeepOrFirst(RowId previous);
    bool RebuildIndexes();
    void CheckUnique(RowId self, const TRecord& record) const;
    std::int64_t SequenceBefore(RowId row);
    void AddRow(TRecord&& record, std::int64_t sequence, bool maintain);
    void Notify(TableChange change);
    void ApplyDefaults();
    void StartNewRow(RowId insertBefore);
    void FinishLoad(bool throwOnDuplicates);

    std::string name_;
    bool active_ = false;
    bool loading_ = false;
    bool enableIndexes_ = true;
    TDataSetState state_ = TDataSetState::Inactive;
    std::vector<std::unique_ptr<TField>> fields_;
    RecordLayout layout_;
    TRecord nullRecord_;
    std::vector<TRecord> rows_;
    std::vector<std::int64_t> sequence_;  // row-order position keys, with gaps for inserts
    std::int64_t lastSequence_ = 0;

    std::unique_ptr<RowIndex> rowOrder_;
    std::vector<std::unique_ptr<RowIndex>> named_;
    std::unique_ptr<RowIndex> sortIndex_;
    RowIndex* activeIndex_ = nullptr;
    std::string recordedIndexName_;

    RowId current_ = kNoRow;
    bool eof_ = true;
    bool bof_ = true;
    mutable std::size_t cachedPosition_ = 0;

    TRecord pending_;
    bool pendingIsNew_ = false;
    bool modified_ = false;
    RowId insertBefore_ = kNoRow;

    enum class KeyBuffer { Search, RangeStart, RangeEnd };
    KeyBuffer keyBuffer_ = KeyBuffer::Search;
    TRecord searchKey_, rangeStart_, rangeEnd_;
    bool rangeStartSet_ = false, rangeEndSet_ = false, rangeApplied_ = false;

    bool filtered_ = false;
    mutable const TRecord* probe_ = nullptr;

    int disableCount_ = 0;
    int nextListenerId_ = 1;
    std::vector<std::pair<int, ChangeListener>> listeners_;
};

}  // namespace kvr
