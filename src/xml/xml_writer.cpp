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

std::vector<std::string> WriteIndentedXml(const TxdataNode& node) {
    struct Level {
        Cursor cursor;
        std::size_t indent;
        std::string pending;
        bool visible = false;
    };
    std::vector<std::string> lines;
    auto startLine = [&](const TxdataNode& element, std::size_t indent) {
        std::string line(indent, ' ');
        AppendStartTag(line, element);
        lines.push_back(std::move(line));
    };
    auto flush = [&](Level& level) {
        if (level.visible) lines.push_back(std::move(level.pending));
        level.pending.assign(level.indent + 2, ' ');
        level.visible = false;
    };

    startLine(node, 0);
    if (IsEmptyElement(node)) return lines;
    std::vector<Level> open;
    open.push_back({Cursor{&node}, 0, std::string(2, ' ')});
    while (!open.empty()) {
        Level& level = open.back();
        const TxdataNode* child = level.cursor.Advance([&](std::string_view run) {
            AppendEscaped(level.pending, run, true);
            level.visible = level.visible || HasVisibleChar(run);
        });
        if (child != nullptr) {
            flush(level);
            const std::size_t indent = level.indent + 2;
            startLine(*child, indent);
            if (!IsEmptyElement(*child)) open.push_back({Cursor{child}, indent, std::string(indent + 2, ' ')});
            continue;
        }
        if (level.visible) lines.push_back(std::move(level.pending));
        std::string endLine(level.indent, ' ');
        endLine.append("</").append(level.cursor.node->Name()).append(">");
        lines.push_back(std::move(endLine));
        open.pop_back();
    }
    return lines;
}

std::string TxdataNode::XML() const { return WriteCompactXml(*this, true); }

std::string TxdataNode::XmlValue() const { return WriteCompactXml(*this, false); }

void TxdataNode::SetXML(std::string_view AXml) { ReadXml(*this, AXml); }

void TxdataNode::FormatXml(std::vector<std::string>* S) const {
    if (S != nullptr) *S = WriteIndentedXml(*this);
}

std::vector<std::string> TxdataNode::FormatXml() const { return WriteIndentedXml(*this); }

}  // namespace kvr
