// The writers of a node tree: compact XML text (no line breaks, no indent)
// and the indented form, one text line per start tag, text run and end tag.
#pragma once

#include <string>
#include <vector>

#include "xml/xml_node.h"

namespace kvr {

// The node with its tags, or only its content. Attribute entries are written
// as stored; in text, ", &, < and > are escaped, the apostrophe is not.
std::string WriteCompactXml(const TxdataNode& node, bool withOwnTags);

// The indented lines, two blanks per level, the node itself at level 0. Text
// additionally escapes the apostrophe, is written untrimmed and indented two
// blanks more than its tags; a run of blanks only gives no line.
std::vector<std::string> WriteIndentedXml(const TxdataNode& node);

// The same lines in place of those in lines; the strings already there are
// reused, so formatting into the same list again needs little new memory.
void WriteIndentedXml(const TxdataNode& node, std::vector<std::string>& lines);

}  // namespace kvr
