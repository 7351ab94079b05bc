// The node tree of the XML document model (unit cXmlData): an element with a
// name, attribute entries kept as their source text, a text, and an ordered
// list of owned child elements. Text is the system's 8-bit Windows-1252 text.
//
// A node's text lives twice: FValue holds the text pieces alone, FStructure
// the same text with one U+0000 marker where each child stands. The writers
// walk FStructure, so a child without a marker is kept and found by lookups
// but not written; setting a node's text drops the markers of its children.
//
// Nodes are owned by their parent; freeing a tree never recurses on its depth,
// and neither do the reader, the writers or the lookups. Trees are used on one
// thread only. Constness is shallow: a const node still hands out its
// children for change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/datetime.h"

namespace kvr {

enum TxdataType {
    xtNone = 0,
    xtString = 1,
    xtInteger = 2,
    xtNumber = 3,
    xtDateTime = 4,
};

// Selects the date-time constructor of TxdataNode, whose float constructor
// takes a plain double.
struct XmlDateTime {
    TDateTime Value = 0;
};

class TxdataNode;
class TxdataList;

// The callback of ForEach; X is the matching child.
using TxdataNodeAction = std::function<void(TxdataNode* X)>;

class TxdataNode {
public:
    TxdataNode();
    explicit TxdataNode(std::string AName);
    TxdataNode(std::string AName, std::string_view AValue);
    TxdataNode(std::string AName, XmlDateTime AValue);
    TxdataNode(std::string AName, double AValue);
    TxdataNode(std::string AName, std::int32_t AValue);
    virtual ~TxdataNode();

    TxdataNode(const TxdataNode&) = delete;
    TxdataNode& operator=(const TxdataNode&) = delete;

    // Nodes come from the node pool (node_pool.h): a response holds hundreds
    // of thousands of them, and the general heap spends more time on them
    // than reading does.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept {}

    // The order of SortChildren: compares the texts of the AField children of
    // this node and Other by UTF-16 code units; 0 when Other is null or either
    // lacks the field; the sign is turned when Asc is false.
    virtual int Compare(const TxdataNode* Other, std::string_view AField, bool Asc) const;

    // --- properties
    const std::string& Name() const { return FName; }
    void SetName(std::string AName) { FName = std::move(AName); }
    // Changes the link only; the node stays in whatever list holds it.
    TxdataNode* Parent() const { return FParent; }
    void SetParent(TxdataNode* AParent) { FParent = AParent; }
    int Count() const { return static_cast<int>(List.size()); }
    TxdataType DataType() const { return FType; }
    // The nearest ancestor that is a TxdataDocument (a document is its own);
    // null for a node without parent.
    TxdataNode* Document() const { return GetDocument(); }

    const std::string& Value() const { return FValue; }
    const std::string& Structure() const { return FStructure != nullptr ? *FStructure : FValue; }

    // The text without the blanks (bytes up to the space) around it.
    std::string AsString() const;
    void SetAsString(std::string_view AValue);
    std::string Text() const { return AsString(); }
    void SetText(std::string_view AValue) { SetAsString(AValue); }
    // EConvertError unless the trimmed text is a 32-bit decimal integer.
    std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t AValue);
    // EConvertError unless the text is a number with "." as separator.
    double AsFloat() const;
    void SetAsFloat(double AValue);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime AValue);

    // The node as compact XML text; SetXML reads text into the node and raises
    // ExmlParseException for text it cannot read.
    std::string XML() const;
    void SetXML(std::string_view AXml);
    // The node's content as compact XML, without its own tags.
    std::string XmlValue() const;
    // Reads 8-bit XML text into the node (as SetXML); returns true.
    bool LoadXml(std::string_view AText);
    // Reads UTF-16 text, converted to 8-bit text first.
    bool LoadXml(std::u16string_view AText);
    // Replaces the lines of S with the indented text form; nothing when S is null.
    void FormatXml(std::vector<std::string>* S) const;
    std::vector<std::string> FormatXml() const;

    // --- tree building
    // Takes ownership, appends Nx and its marker; returns Nx.
    TxdataNode* AddChild(std::unique_ptr<TxdataNode> Nx);
    // Puts Nx where Ox stands and returns that 1-based position; FStructure is
    // untouched, so Nx is written in Ox's place. Ox is freed when FreeOldOne,
    // else handed to Detached (freed when Detached is null). Returns 0 and
    // leaves Nx with the caller when Ox is not a child.
    int ReplaceChild(TxdataNode* Ox, std::unique_ptr<TxdataNode>& Nx, bool FreeOldOne,
                     std::unique_ptr<TxdataNode>* Detached = nullptr);
    // Appends text after what is there, children included.
    void AddValue(std::string_view AValue);
    // Empties the text and frees all children; name and attributes stay.
    void Clear();

    // --- attributes (names compared without regard to ASCII case)
    std::string GetAttribute(std::string_view AName) const;
    // Replaces the entry in place, removes it for an empty value, or appends.
    void SetAttribute(std::string_view AName, std::string_view AValue);
    void RemoveAttribute(std::string_view AName);

    // --- paths and lookups: "/"-separated relative paths, see xml_path.cpp
    // The I-th child, 1-based; EListError outside 1..Count.
    TxdataNode* ChildAt(int I) const;
    // Steps "name", "name:n" and ":n"; EConvertError for a ":" not followed by
    // a number, EListError for ":n" outside 1..Count.
    TxdataNode* ChildByName(std::string_view Step) const;
    // As ChildByName, plus predicate steps name[@attr=value].
    TxdataNode* ChildByStep(std::string_view Step) const;
    // Also understands ".." (parent) and "." (the start node).
    TxdataNode* NodeByPath(std::string_view Path) const;
    // Every step found with ChildByName; true for an empty path.
    bool Exists(std::string_view Path) const;
    // AsString of the node at Path, else the attribute named by the last step
    // on the node before it, else empty.
    std::string ValueByPath(std::string_view Path) const;
    // AddChild(Nx) on the node at Path and returns it; null, and Nx stays
    // with the caller, when there is no such node.
    TxdataNode* Insert(std::string_view Path, std::unique_ptr<TxdataNode>& Nx);
    // Sets the text of the element at APath, creating missing elements, or
    // with AsAttribute an attribute of the deepest node reached.
    void SetValue(std::string_view APath, std::string_view AValue, bool AsAttribute);
    // The children at APath's last step under the node at the steps before
    // it; null when that node does not exist.
    std::unique_ptr<TxdataList> FindNodes(std::string_view APath) const;
    // Calls Action for each child of the node at APath named AName, in order;
    // children the callback appends are not visited.
    void ForEach(std::string_view APath, std::string_view AName, const TxdataNodeAction& Action) const;
    // Quicksort of the children by Compare; not stable; text stays in place.
    void SortChildren(std::string_view AField, bool Asc);

    // One entry per attribute, its source text as read or set.
    std::vector<std::string> Attrib;

protected:
    virtual TxdataNode* GetDocument() const;

private:
    // The reader fills nodes in place, without building each string twice.
    friend class XmlReader;

    std::vector<std::unique_ptr<TxdataNode>> List;
    std::string FName;
    std::string FValue;
    // Until a child marker is added, the structure is the text itself and
    // there is no FStructure: most elements are leaves, and their text is
    // then held once, in a smaller node.
    std::unique_ptr<std::string> FStructure;
    TxdataNode* FParent = nullptr;
    TxdataType FType = xtNone;

    void AssignText(std::string text, TxdataType type);
    static void FreeChildren(std::vector<std::unique_ptr<TxdataNode>>& children);
};

// The top of a document: its own Document, and saved as a file.
class TxdataDocument : public TxdataNode {
public:
    using TxdataNode::TxdataNode;

    // Creates or empties the file and writes "<?xml version="1.0" ?>", CR LF,
    // and the compact text, with no line break at the end. EFileError on failure.
    void SaveToFile(const std::string& AFileName) const;

protected:
    TxdataNode* GetDocument() const override;
};

// Pairs of (name as written in the node, node) in child order. The caller owns
// the list; the list does not own the nodes.
class TxdataList {
public:
    struct Entry {
        std::string Name;
        TxdataNode* Node;
    };

    void Add(std::string name, TxdataNode* node) { entries_.push_back({std::move(name), node}); }
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Strings(int index) const { return entries_.at(static_cast<std::size_t>(index)).Name; }
    TxdataNode* Objects(int index) const { return entries_.at(static_cast<std::size_t>(index)).Node; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    std::vector<Entry> entries_;
};

}  // namespace kvr
