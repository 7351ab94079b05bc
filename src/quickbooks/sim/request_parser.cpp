// Strict reading of a request message set; see request_parser.h.
#include "quickbooks/sim/request_parser.h"

#include <cstring>
#include <string>

#include "quickbooks/qb_error.h"
#include "quickbooks/sim/request_schema.h"
#include "support/codepage.h"

namespace kvr::qbsim {

namespace {

[[noreturn]] void ParseError() { throw QBError(kQBErrParse); }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Takes the next quoted literal of text ('...' or "..."), or fails.
std::string_view TakeQuoted(std::string_view& text) {
    text = Trim(text);
    if (text.empty() || (text[0] != '\'' && text[0] != '"')) ParseError();
    const std::size_t end = text.find(text[0], 1);
    if (end == std::string_view::npos) ParseError();
    const std::string_view literal = text.substr(1, end - 1);
    text.remove_prefix(end + 1);
    return literal;
}

bool TakeWord(std::string_view& text, std::string_view word) {
    text = Trim(text);
    if (text.substr(0, word.size()) != word || text.size() == word.size() || !IsSpace(text[word.size()]))
        return false;
    text.remove_prefix(word.size());
    return true;
}

// The version a document type line names: "QBXML PUBLIC '-//INTUIT//DTD
// QBXML QBD <version>//EN' '<system id>'".
std::string DoctypeVersion(std::string_view value) {
    if (!TakeWord(value, "QBXML") || !TakeWord(value, "PUBLIC")) ParseError();
    const std::string_view publicID = TakeQuoted(value);
    TakeQuoted(value);
    if (!Trim(value).empty()) ParseError();
    constexpr std::string_view kPrefix = "-//INTUIT//DTD QBXML QBD ";
    constexpr std::string_view kSuffix = "//EN";
    if (publicID.size() <= kPrefix.size() + kSuffix.size() || publicID.substr(0, kPrefix.size()) != kPrefix ||
        publicID.substr(publicID.size() - kSuffix.size()) != kSuffix)
        ParseError();
    return std::string(publicID.substr(kPrefix.size(), publicID.size() - kPrefix.size() - kSuffix.size()));
}

// The version a processing instruction names: <?qbxml version="13.0"?>.
std::string InstructionVersion(std::string_view value) {
    value = Trim(value);
    if (value.substr(0, 7) != "version") ParseError();
    value = Trim(value.substr(7));
    if (value.empty() || value[0] != '=') ParseError();
    value.remove_prefix(1);
    const std::string_view version = TakeQuoted(value);
    if (!Trim(value).empty()) ParseError();
    return std::string(version);
}

void CheckVersion(const std::string& version, Edition edition) {
    const bool us = version == "9.0" || version == "13.0";
    const bool ca = version == "CA9.0" || version == "CA13.0";
    if (edition == Edition::US ? !us : !ca) throw QBError(kQBErrVersion);
}

bool IsUtf8(std::string_view text) { return Utf16ToUtf8(Utf8ToUtf16(text)) == text; }

OnError ReadOnError(pugi::xml_node messages) {
    bool found = false;
    OnError mode = OnError::Stop;
    for (pugi::xml_attribute attribute : messages.attributes()) {
        if (std::strcmp(attribute.name(), "onError") != 0 || found) ParseError();
        found = true;
        const std::string_view value = attribute.value();
        if (value == "stopOnError") mode = OnError::Stop;
        else if (value == "continueOnError") mode = OnError::Continue;
        else if (value == "rollbackOnError") mode = OnError::Rollback;
        else ParseError();
    }
    if (!found) ParseError();
    return mode;
}

}  // namespace

std::unique_ptr<MessageSet> ParseMessageSet(std::string_view text, Edition edition) {
    if (!IsUtf8(text)) ParseError();
    auto set = std::make_unique<MessageSet>();
    const unsigned options = pugi::parse_default | pugi::parse_pi | pugi::parse_doctype | pugi::parse_declaration;
    if (!set->document.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8)) ParseError();

    std::string version;
    bool versionSeen = false;
    pugi::xml_node root;
    for (pugi::xml_node node : set->document.children()) {
        switch (node.type()) {
            case pugi::node_declaration: break;
            case pugi::node_doctype:
            case pugi::node_pi: {
                if (node.type() == pugi::node_pi && std::strcmp(node.name(), "qbxml") != 0) ParseError();
                if (versionSeen || root) ParseError();
                version = node.type() == pugi::node_doctype ? DoctypeVersion(node.value()) : InstructionVersion(node.value());
                versionSeen = true;
                break;
            }
            case pugi::node_element:
                if (root) ParseError();
                root = node;
                break;
            default: ParseError();
        }
    }
    if (!versionSeen || !root || std::strcmp(root.name(), "QBXML") != 0 || root.first_attribute()) ParseError();
    CheckVersion(version, edition);

    pugi::xml_node messages;
    for (pugi::xml_node child : root.children()) {
        if (child.type() != pugi::node_element || messages || std::strcmp(child.name(), "QBXMLMsgsRq") != 0)
            ParseError();
        messages = child;
    }
    if (!messages) ParseError();
    set->onError = ReadOnError(messages);
    for (pugi::xml_node request : messages.children()) {
        if (request.type() != pugi::node_element) ParseError();
        const ElementRule* rule = FindRequestRule(request.name());
        if (!rule) ParseError();
        ValidateElement(request, *rule, true);
        set->requests.push_back(request);
    }
    return set;
}

}  // namespace kvr::qbsim
