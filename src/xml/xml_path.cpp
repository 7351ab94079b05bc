// Paths and lookups of the node tree. A path is a sequence of steps separated
// by "/", relative to the node it is used on (one leading "/" is dropped):
//   name          the first child of that name
//   name:n        the n-th child of that name (1-based), none when fewer
//   :n            the n-th child whatever its name (EListError outside 1..Count)
//   name[@a=v]    the first child of that name whose attribute a, or else whose
//                 child element a, has the text v (NodeByPath, SetValue)
//   ..            the parent (NodeByPath, SetValue)
//   .             the start node (NodeByPath only)
// Steps are trimmed of blanks and names compared without regard to ASCII case.
#include <cstdint>

#include "support/numtext.h"
#include "xml/xml_errors.h"
#include "xml/xml_node.h"
#include "xml/xml_text.h"

namespace kvr {

namespace {

std::string_view WithoutLeadingSlash(std::string_view path) {
    if (!path.empty() && path.front() == '/') path.remove_prefix(1);
    return path;
}

// Takes the text up to the next "/" off the front of path, with that "/".
std::string_view TakeStep(std::string_view& path) {
    const std::size_t slash = path.find('/');
    const std::string_view step = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    return step;
}

// Splits at the last "/": the steps before it and the last step.
void SplitLastStep(std::string_view path, std::string_view& parentPath, std::string_view& last) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        parentPath = {};
        last = path;
    } else {
        parentPath = path.substr(0, slash);
        last = path.substr(slash + 1);
    }
}

std::int32_t ReadStepNumber(std::string_view text) {
    std::int32_t n = 0;
    if (!TryParseInt32(TrimXmlBlanks(text), n)) RaiseNotAnInteger(text);
    return n;
}

// name[attribute=value], taken apart as the lookups read it.
struct Predicate {
    std::string_view name;
    std::string_view attribute;
    std::string_view value;

    explicit Predicate(std::string_view step) {
        const std::size_t bracket = step.find('[');
        name = TrimXmlBlanks(step.substr(0, bracket));
        std::string_view rest = TrimXmlBlanks(step.substr(bracket + 1));
        if (!rest.empty() && rest.back() == ']') rest.remove_suffix(1);
        rest = TrimXmlBlanks(rest);
        const std::size_t equals = rest.find('=');
        attribute = TrimXmlBlanks(rest.substr(0, equals));
        if (!attribute.empty() && attribute.front() == '@') attribute.remove_prefix(1);
        value = equals == std::string_view::npos ? std::string_view() : WithoutEnclosingQuotes(TrimXmlBlanks(rest.substr(equals + 1)));
    }

    // An absent attribute reads as empty, so an empty value also matches
    // children without the attribute.
    bool Matches(const TxdataNode& child) const {
        if (!SameXmlName(child.Name(), name)) return false;
        if (child.GetAttribute(attribute) == value) return true;
        const TxdataNode* field = child.ChildByName(attribute);
        return field != nullptr && field->AsString() == value;
    }
};

}  // namespace

TxdataNode* TxdataNode::ChildByName(std::string_view Step) const {
    const std::string_view step = TrimXmlBlanks(Step);
    const std::size_t colon = step.find(':');
    if (colon == std::string_view::npos) {
        for (const auto& child : List) {
            if (SameXmlName(child->FName, step)) return child.get();
        }
        return nullptr;
    }
    const std::string_view name = step.substr(0, colon);
    const std::int32_t n = ReadStepNumber(step.substr(colon + 1));
    if (name.empty()) return ChildAt(n);
    std::int32_t seen = 0;
    for (const auto& child : List) {
        if (SameXmlName(child->FName, name) && ++seen == n) return child.get();
    }
    return nullptr;
}

TxdataNode* TxdataNode::ChildByStep(std::string_view Step) const {
    if (Step.find('[') == std::string_view::npos) return ChildByName(Step);
    const Predicate predicate(Step);
    for (const auto& child : List) {
        if (predicate.Matches(*child)) return child.get();
    }
    return nullptr;
}

TxdataNode* TxdataNode::NodeByPath(std::string_view Path) const {
    TxdataNode* const start = const_cast<TxdataNode*>(this);
    std::string_view path = WithoutLeadingSlash(Path);
    TxdataNode* current = start;
    while (current != nullptr && !path.empty()) {
        const std::string_view step = TakeStep(path);
        if (step == "..") {
            current = current->FParent;
        } else if (step == ".") {
            current = start;
        } else {
            current = current->ChildByStep(step);
        }
    }
    return current;
}

bool TxdataNode::Exists(std::string_view Path) const {
    std::string_view path = WithoutLeadingSlash(Path);
    const TxdataNode* current = this;
    while (!path.empty()) {
        current = current->ChildByName(TakeStep(path));
        if (current == nullptr) return false;
    }
    return true;
}

std::string TxdataNode::ValueByPath(std::string_view Path) const {
    if (const TxdataNode* node = NodeByPath(Path)) return node->AsString();
    std::string_view parentPath;
    std::string_view attribute;
    SplitLastStep(Path, parentPath, attribute);
    if (const TxdataNode* owner = NodeByPath(parentPath)) return owner->GetAttribute(attribute);
    return {};
}

TxdataNode* TxdataNode::Insert(std::string_view Path, std::unique_ptr<TxdataNode>& Nx) {
    TxdataNode* target = NodeByPath(Path);
    if (target == nullptr || Nx == nullptr) return nullptr;
    return target->AddChild(std::move(Nx));
}

// Walks as far as the path exists; without AsAttribute it creates the rest,
// one element per remaining step. With AsAttribute the step the walk stopped
// at names the attribute of the deepest node reached.
void TxdataNode::SetValue(std::string_view APath, std::string_view AValue, bool AsAttribute) {
    std::string_view path = WithoutLeadingSlash(APath);
    TxdataNode* current = this;
    TxdataNode* reached = this;
    std::string_view step;
    while (current != nullptr && !path.empty()) {
        step = TakeStep(path);
        current = step == ".." ? current->FParent : current->ChildByStep(step);
        if (current != nullptr) reached = current;
    }
    if (AsAttribute) {
        reached->SetAttribute(step, AValue);
        return;
    }
    if (current == nullptr) {
        while (!step.empty()) {
            current = reached->AddChild(std::make_unique<TxdataNode>(std::string(step)));
            reached = current;
            step = path.empty() ? std::string_view() : TakeStep(path);
        }
    }
    // An empty step that found nothing ("A//") names no element to create.
    if (current != nullptr) current->SetAsString(AValue);
}

std::unique_ptr<TxdataList> TxdataNode::FindNodes(std::string_view APath) const {
    std::string_view parentPath;
    std::string_view name;
    SplitLastStep(APath, parentPath, name);
    const TxdataNode* parent = NodeByPath(parentPath);
    if (parent == nullptr) return nullptr;
    auto found = std::make_unique<TxdataList>();
    for (const auto& child : parent->List) {
        if (SameXmlName(child->FName, name)) found->Add(child->FName, child.get());
    }
    return found;
}

void TxdataNode::ForEach(std::string_view APath, std::string_view AName, const TxdataNodeAction& Action) const {
    const TxdataNode* parent = NodeByPath(APath);
    if (parent == nullptr) return;
    const int count = parent->Count();
    // The bound is checked again on every turn: a callback that empties the
    // list must not send the walk past its end.
    for (int i = 1; i <= count && i <= parent->Count(); ++i) {
        TxdataNode* child = parent->List[static_cast<std::size_t>(i - 1)].get();
        if (SameXmlName(child->FName, AName)) Action(child);
    }
}

}  // namespace kvr
