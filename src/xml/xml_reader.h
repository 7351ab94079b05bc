// The lenient reader of 8-bit XML text into a node tree: one forward scan,
// strict only about the nesting of start and end tags.
#pragma once

#include <string_view>

#include "xml/xml_node.h"

namespace kvr {

// Makes node the first element of text (name, attributes, text, children).
// A text of at most one character leaves node as it was. Raises
// ExmlParseException at the first error; the elements completed before it
// stay in the tree, the open ones below node are dropped.
void ReadXml(TxdataNode& node, std::string_view text);

}  // namespace kvr
