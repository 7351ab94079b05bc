#include "xml/xml_writer.h"

#include <cstring>

#include "xml/xml_reader.h"
#include "xml/xml_text.h"

namespace kvr {

namespace {

// Appends text with the markup characters escaped; U+0000 never reaches here.
void AppendEscaped(std::string& out, std::string_view text, bool escapeApostrophe) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity;
        switch (text[i]) {
            case '"': entity = "&quot;"; break;
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            case '\'':
                if (!escapeApostrophe) continue;
                entity = "&apos;";
                break;
            default: continue;
        }
        out.append(text.substr(runStart, i - runStart)).append(entity);
        runStart = i + 1;
    }
    out.append(text.substr(runStart));
}

// The text between two markers (or the ends) of a node's structure.
std::string_view NextRun(const std::string& structure, std::size_t from) {
    const void* marker = std::memchr(structure.data() + from, '\0', structure.size() - from);
    const std::size_t end = marker == nullptr ? structure.size()
                                              : static_cast<std::size_t>(static_cast<const char*>(marker) - structure.data());
    return std::string_view(structure).substr(from, end - from);
}

bool IsEmptyElement(const TxdataNode& node) { return node.Value().empty() && node.Count() == 0; }

void AppendStartTag(std::string& out, const TxdataNode& node) {
    out.push_back('<');
    out.append(node.Name());
    for (const std::string& entry : node.Attrib) out.append(" ").append(entry);
    out.append(IsEmptyElement(node) ? "/>" : ">");
}

// Walking position in one open element. A marker beyond the last child (a
// U+0000 that came in as text) stands for nothing and is skipped.
struct Cursor {
    const TxdataNode* node;
    std::size_t at = 0;
    int nextChild = 1;

    // Hands each text run to write, up to the next marker that has a child;
    // returns that child, or null at the end of the structure.
    template <class WriteRun>
    const TxdataNode* Advance(WriteRun&& write) {
        const std::string& structure = node->Structure();
        while (at < structure.size()) {
            const std::string_view run = NextRun(structure, at);
            if (!run.empty()) write(run);
            at += run.size();
            if (at < structure.size()) {
                ++at;
                if (nextChild <= node->Count()) return node->ChildAt(nextChild++);
            }
        }
        return nullptr;
    }
};

}  // namespace

std::string WriteCompactXml(const TxdataNode& node, bool withOwnTags) {
    std::string out;
    if (withOwnTags) {
        AppendStartTag(out, node);
        if (IsEmptyElement(node)) return out;
    }
    std::vector<Cursor> open;
    open.push_back({&node});
    while (!open.empty()) {
        Cursor& cursor = open.back();
        if (const TxdataNode* child = cursor.Advance([&](std::string_view run) { AppendEscaped(out, run, false); })) {
            AppendStartTag(out, *child);
            if (!IsEmptyElement(*child)) open.push_back({child});
            continue;
        }
        if (open.size() > 1 || withOwnTags) out.append("</").append(cursor.node->Name()).append(">");
        open.pop_back();
    }
    return out;
}

namespace {

// The indented lines as they are written. Each line is put together in one
// scratch buffer and copied into the list once, at its final size; strings
// already in the list are written over, keeping their memory.
class IndentedText {
public:
    explicit IndentedText(std::vector<std::string>& lines) : lines_(lines) {}

    void StartTagLine(const TxdataNode& element, std::size_t indent) {
        line_.assign(indent, ' ');
        AppendStartTag(line_, element);
        Emit();
    }

    void EndTagLine(const TxdataNode& element, std::size_t indent) {
        line_.assign(indent, ' ');
        line_.append("</").append(element.Name()).push_back('>');
        Emit();
    }

    // Text runs of one element up to its next child (or its end) make one
    // line; no other line is written until CloseTextLine.
    void AddTextRun(std::string_view run, std::size_t indent) {
        if (!textOpen_) {
            line_.assign(indent, ' ');
            textOpen_ = true;
        }
        AppendEscaped(line_, run, true);
        textVisible_ = textVisible_ || HasVisibleChar(run);
    }

    // A text line of blanks only is dropped.
    void CloseTextLine() {
        if (!textOpen_) return;
        if (textVisible_) Emit();
        textOpen_ = false;
        textVisible_ = false;
    }

    // Drops the lines of the list beyond those written.
    void Finish() { lines_.resize(count_); }

private:
    std::vector<std::string>& lines_;
    std::string line_;
    std::size_t count_ = 0;
    bool textOpen_ = false;
    bool textVisible_ = false;

    void Emit() {
        if (count_ < lines_.size()) {
            lines_[count_] = line_;
        } else {
            lines_.push_back(line_);
        }
        ++count_;
    }
};

}  // namespace

void WriteIndentedXml(const TxdataNode& node, std::vector<std::string>& lines) {
    struct Level {
        Cursor cursor;
        std::size_t indent;
    };
    IndentedText out(lines);
    out.StartTagLine(node, 0);
    if (IsEmptyElement(node)) {
        out.Finish();
        return;
    }
    std::vector<Level> open;
    open.push_back({Cursor{&node}, 0});
    while (!open.empty()) {
        Level& level = open.back();
        const std::size_t textIndent = level.indent + 2;
        const TxdataNode* child = level.cursor.Advance([&](std::string_view run) { out.AddTextRun(run, textIndent); });
        out.CloseTextLine();
        if (child != nullptr) {
            out.StartTagLine(*child, textIndent);
            if (!IsEmptyElement(*child)) open.push_back({Cursor{child}, textIndent});
            continue;
        }
        out.EndTagLine(*level.cursor.node, level.indent);
        open.pop_back();
    }
    out.Finish();
}

std::vector<std::string> WriteIndentedXml(const TxdataNode& node) {
    std::vector<std::string> lines;
    WriteIndentedXml(node, lines);
    return lines;
}

std::string TxdataNode::XML() const { return WriteCompactXml(*this, true); }

std::string TxdataNode::XmlValue() const { return WriteCompactXml(*this, false); }

void TxdataNode::SetXML(std::string_view AXml) { ReadXml(*this, AXml); }

void TxdataNode::FormatXml(std::vector<std::string>* S) const {
    if (S != nullptr) WriteIndentedXml(*this, *S);
}

std::vector<std::string> TxdataNode::FormatXml() const { return WriteIndentedXml(*this); }

}  // namespace kvr
