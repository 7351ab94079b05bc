#include "xml/xml_node.h"

#include <algorithm>

#include "support/codepage.h"
#include "support/file_io.h"
#include "support/numtext.h"
#include "xml/attribute_entry.h"
#include "xml/node_pool.h"
#include "xml/xml_datetime.h"
#include "xml/xml_errors.h"
#include "xml/xml_text.h"

namespace kvr {

void* TxdataNode::operator new(std::size_t size) { return AllocateNodeBlock(size); }

void TxdataNode::operator delete(void* block, std::size_t size) noexcept { FreeNodeBlock(block, size); }

TxdataNode::TxdataNode() = default;

TxdataNode::TxdataNode(std::string AName) : FName(std::move(AName)) {}

TxdataNode::TxdataNode(std::string AName, std::string_view AValue) : FName(std::move(AName)) { SetAsString(AValue); }

TxdataNode::TxdataNode(std::string AName, XmlDateTime AValue) : FName(std::move(AName)) { SetAsDateTime(AValue.Value); }

TxdataNode::TxdataNode(std::string AName, double AValue) : FName(std::move(AName)) { SetAsFloat(AValue); }

TxdataNode::TxdataNode(std::string AName, std::int32_t AValue) : FName(std::move(AName)) { SetAsInteger(AValue); }

TxdataNode::~TxdataNode() { FreeChildren(List); }

namespace {

constexpr std::size_t kPrefetchAhead = 8;

void PrefetchNode([[maybe_unused]] const TxdataNode* node) {
#if defined(__GNUC__) || defined(__clang__)
    // From the node pool's block header, just before the node, to its end.
    const char* bytes = reinterpret_cast<const char*>(node);
    __builtin_prefetch(bytes - 1);
    __builtin_prefetch(bytes);
    __builtin_prefetch(bytes + 64);
    __builtin_prefetch(bytes + sizeof(TxdataNode) - 1);
#endif
}

}  // namespace

// A response can nest a million elements deep, so the subtree is taken apart
// with a heap stack instead of letting each destructor free its children.
// Children still go last to first, each after its own descendants.
void TxdataNode::FreeChildren(std::vector<std::unique_ptr<TxdataNode>>& children) {
    if (children.empty()) return;
    std::vector<std::unique_ptr<TxdataNode>> pending = std::move(children);
    children.clear();
    while (!pending.empty()) {
        TxdataNode* top = pending.back().get();
        // The walk jumps between siblings and their subtrees faster than the
        // memory can follow; asking a few nodes ahead, for every line a node
        // covers, hides most of the wait.
        if (pending.size() > 1) PrefetchNode(pending[pending.size() - 1 - std::min(kPrefetchAhead, pending.size() - 1)].get());
        if (top->List.empty()) {
            pending.pop_back();
            continue;
        }
        for (auto& child : top->List) pending.push_back(std::move(child));
        top->List.clear();
    }
}

TxdataNode* TxdataNode::GetDocument() const {
    for (const TxdataNode* node = FParent; node != nullptr; node = node->FParent) {
        if (dynamic_cast<const TxdataDocument*>(node) != nullptr) return const_cast<TxdataNode*>(node);
    }
    return nullptr;
}

void TxdataNode::AssignText(std::string text, TxdataType type) {
    FValue = std::move(text);
    FStructure.reset();
    FType = type;
}

std::string TxdataNode::AsString() const { return std::string(TrimXmlBlanks(FValue)); }

void TxdataNode::SetAsString(std::string_view AValue) { AssignText(std::string(AValue), xtString); }

std::int32_t TxdataNode::AsInteger() const {
    const std::string_view text = TrimXmlBlanks(FValue);
    std::int32_t value = 0;
    if (!TryParseInt32(text, value)) RaiseNotAnInteger(text);
    return value;
}

void TxdataNode::SetAsInteger(std::int32_t AValue) { AssignText(std::to_string(AValue), xtInteger); }

double TxdataNode::AsFloat() const {
    double value = 0;
    if (!TryParseFloat(FValue, value)) throw EConvertError("'" + FValue + "' is not a valid floating point value");
    return value;
}

void TxdataNode::SetAsFloat(double AValue) { AssignText(FloatToStr(AValue), xtNumber); }

TDateTime TxdataNode::AsDateTime() const { return ParseXmlDateTime(FValue); }

void TxdataNode::SetAsDateTime(TDateTime AValue) { AssignText(FormatXmlDateTime(AValue), xtDateTime); }

bool TxdataNode::LoadXml(std::string_view AText) {
    SetXML(AText);
    return true;
}

bool TxdataNode::LoadXml(std::u16string_view AText) { return LoadXml(Utf16ToAnsi(AText)); }

TxdataNode* TxdataNode::AddChild(std::unique_ptr<TxdataNode> Nx) {
    TxdataNode* child = Nx.get();
    if (child == nullptr) return nullptr;
    child->FParent = this;
    if (List.empty()) List.reserve(4);
    List.push_back(std::move(Nx));
    if (FStructure == nullptr) FStructure = std::make_unique<std::string>(FValue);
    FStructure->push_back('\0');
    return child;
}

int TxdataNode::ReplaceChild(TxdataNode* Ox, std::unique_ptr<TxdataNode>& Nx, bool FreeOldOne,
                             std::unique_ptr<TxdataNode>* Detached) {
    if (Nx == nullptr) return 0;
    for (std::size_t i = 0; i < List.size(); ++i) {
        if (List[i].get() != Ox) continue;
        std::unique_ptr<TxdataNode> old = std::move(List[i]);
        Nx->FParent = this;
        List[i] = std::move(Nx);
        if (!FreeOldOne) {
            old->FParent = nullptr;
            if (Detached != nullptr) *Detached = std::move(old);
        }
        return static_cast<int>(i) + 1;
    }
    return 0;
}

void TxdataNode::AddValue(std::string_view AValue) {
    FValue.append(AValue);
    if (FStructure != nullptr) FStructure->append(AValue);
}

void TxdataNode::Clear() {
    FValue.clear();
    FStructure.reset();
    FreeChildren(List);
}

std::string TxdataNode::GetAttribute(std::string_view AName) const {
    const std::ptrdiff_t index = FindAttributeEntry(Attrib, AName);
    if (index < 0) return {};
    return std::string(AttributeEntryValue(Attrib[static_cast<std::size_t>(index)]));
}

void TxdataNode::SetAttribute(std::string_view AName, std::string_view AValue) {
    const std::ptrdiff_t index = FindAttributeEntry(Attrib, AName);
    if (index >= 0) {
        if (AValue.empty()) {
            Attrib.erase(Attrib.begin() + index);
        } else {
            Attrib[static_cast<std::size_t>(index)] = MakeAttributeEntry(AName, AValue);
        }
    } else if (!AValue.empty()) {
        Attrib.push_back(MakeAttributeEntry(AName, AValue));
    }
}

void TxdataNode::RemoveAttribute(std::string_view AName) {
    const std::ptrdiff_t index = FindAttributeEntry(Attrib, AName);
    if (index >= 0) Attrib.erase(Attrib.begin() + index);
}

TxdataNode* TxdataNode::ChildAt(int I) const {
    if (I < 1 || I > Count()) throw EListError(static_cast<std::int64_t>(I) - 1);
    return List[static_cast<std::size_t>(I - 1)].get();
}

TxdataNode* TxdataDocument::GetDocument() const { return const_cast<TxdataDocument*>(this); }

void TxdataDocument::SaveToFile(const std::string& AFileName) const {
    ReplaceFileAtomically(AFileName, "<?xml version=\"1.0\" ?>\r\n" + XML());
}

}  // namespace kvr
