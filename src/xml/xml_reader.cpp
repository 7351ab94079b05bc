#include "xml/xml_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "xml/xml_errors.h"
#include "xml/xml_text.h"

namespace kvr {

namespace {

// Blanks between items: U+0001..U+0020. A U+0000 there is text, not space.
bool IsSpaceBetween(char c) { return c != '\0' && IsXmlBlank(c); }

// Where a name or an unquoted attribute token ends inside a tag.
bool EndsToken(char c) { return IsXmlBlank(c) || c == '/' || c == '>'; }

}  // namespace

class XmlReader {
public:
    explicit XmlReader(std::string_view text) : text_(text) {}

    void Read(TxdataNode& root) {
        root.Clear();
        root.Attrib.clear();
        SkipProlog();
        ++pos_;
        ReadElements(root);
    }

private:
    struct OpenElement {
        TxdataNode* node;
        std::unique_ptr<TxdataNode> owned;  // null for the node reading was called on
    };

    std::string_view text_;
    std::size_t pos_ = 0;

    [[noreturn]] static void Fail(int code, std::size_t index) {
        throw ExmlParseException(code, static_cast<std::int64_t>(index) + 1);
    }
    [[noreturn]] void FailAtEnd() const { Fail(xeTagExpected, text_.size()); }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char At(std::size_t index) const { return index < text_.size() ? text_[index] : '\0'; }
    void MoveTo(std::size_t index) { pos_ = std::min(index, text_.size()); }

    void SkipSpaceBetween() {
        while (pos_ < text_.size() && IsSpaceBetween(text_[pos_])) ++pos_;
    }

    // Inside a tag the text must go on: ending there is error 1003.
    void SkipBlanksInTag() {
        while (pos_ < text_.size() && IsXmlBlank(text_[pos_])) ++pos_;
        if (AtEnd()) FailAtEnd();
    }

    // On the "<" of "<!" or "<?". A comment ends at the first ">" from its
    // sixth character, so "-->" is not looked for; a processing instruction
    // ends one character after its first "?".
    void SkipMarkup() {
        std::size_t end;
        if (At(pos_ + 1) == '!') {
            const std::size_t from = text_.compare(pos_, 4, "<!--") == 0 ? pos_ + 5 : pos_ + 1;
            end = text_.find('>', from);
            if (end == std::string_view::npos) FailAtEnd();
            MoveTo(end + 1);
        } else {
            end = text_.find('?', pos_ + 2);
            if (end == std::string_view::npos) FailAtEnd();
            MoveTo(end + 2);
        }
    }

    // Leaves the position on the "<" of the first element.
    void SkipProlog() {
        for (;;) {
            SkipSpaceBetween();
            if (AtEnd()) FailAtEnd();
            if (text_[pos_] != '<') Fail(xeTagExpected, pos_);
            const char next = At(pos_ + 1);
            if (next == '!' || next == '?') {
                SkipMarkup();
            } else if (next == '/') {
                Fail(xeOpenTagMissed, pos_);
            } else {
                return;
            }
        }
    }

    // From the first character of the name to past the tag. Returns true when
    // the element is complete already: empty ("/") or raw "pre" content.
    bool ReadStartTag(TxdataNode& node) {
        const std::size_t nameStart = pos_;
        while (pos_ < text_.size() && !EndsToken(text_[pos_])) ++pos_;
        if (AtEnd()) FailAtEnd();
        node.FName.assign(text_.data() + nameStart, pos_ - nameStart);
        SkipBlanksInTag();
        while (text_[pos_] != '/' && text_[pos_] != '>') {
            const std::size_t tokenStart = pos_;
            bool quoted = false;
            for (; pos_ < text_.size(); ++pos_) {
                const char c = text_[pos_];
                if (c == '"') {
                    quoted = !quoted;
                } else if (!quoted && EndsToken(c)) {
                    break;
                }
            }
            if (AtEnd()) FailAtEnd();
            node.Attrib.emplace_back(text_.substr(tokenStart, pos_ - tokenStart));
            SkipBlanksInTag();
        }
        if (text_[pos_] == '/') {
            MoveTo(pos_ + 2);
            return true;
        }
        ++pos_;
        if (SameXmlName(node.Name(), "PRE")) {
            const std::size_t end = FindPreEnd();
            node.AddValue(text_.substr(pos_, end - pos_));
            MoveTo(end + 6);
            return true;
        }
        return false;
    }

    std::size_t FindPreEnd() const {
        for (std::size_t at = text_.find('<', pos_); at != std::string_view::npos; at = text_.find('<', at + 1)) {
            if (SameXmlName(text_.substr(at, 6), "</PRE>")) return at;
        }
        return text_.size();
    }

    // On "</": does the element's name follow, in any ASCII case?
    bool EndTagMatches(const TxdataNode& node) const {
        const std::string& name = node.Name();
        return SameXmlName(text_.substr(std::min(pos_ + 2, text_.size()), name.size()), name);
    }

    static void Complete(std::vector<OpenElement>& open) {
        std::unique_ptr<TxdataNode> done = std::move(open.back().owned);
        open.pop_back();
        if (done != nullptr) open.back().node->AddChild(std::move(done));
    }

    // The content of root and of every element inside it, without recursion:
    // the open elements are kept on a heap stack.
    void ReadElements(TxdataNode& root) {
        if (ReadStartTag(root)) return;
        std::vector<OpenElement> open;
        open.push_back({&root, nullptr});
        while (!AtEnd()) {
            TxdataNode& node = *open.back().node;
            const std::size_t runStart = pos_;
            SkipSpaceBetween();
            if (AtEnd()) break;
            if (text_[pos_] != '<') {
                std::size_t runEnd = text_.find('<', pos_);
                if (runEnd == std::string_view::npos) runEnd = text_.size();
                node.AddValue(text_.substr(runStart, runEnd - runStart));
                pos_ = runEnd;
                continue;
            }
            const char next = At(pos_ + 1);
            if (next == '/') {
                if (!EndTagMatches(node)) Fail(xeCloseTagExpected, pos_);
                MoveTo(pos_ + 2 + node.Name().size() + 1);
                Complete(open);
                if (open.empty()) return;
            } else if (next == '!' || next == '?') {
                SkipMarkup();
            } else {
                ++pos_;
                auto child = std::make_unique<TxdataNode>();
                TxdataNode* element = child.get();
                open.push_back({element, std::move(child)});
                if (ReadStartTag(*element)) Complete(open);
            }
        }
        // Elements still open when the text ends are accepted as they are.
        while (!open.empty()) Complete(open);
    }
};

void ReadXml(TxdataNode& node, std::string_view text) {
    if (text.size() <= 1) return;
    XmlReader(text).Read(node);
}

}  // namespace kvr
