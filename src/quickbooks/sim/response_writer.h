// Writes qbXML response text the way QuickBooks does: one element per line,
// indented, with "&", "<", ">", "'" and '"' escaped in text and attributes.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvr::qbsim {

std::string EscapeXml(std::string_view text);

class ResponseWriter {
public:
    using Attributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

    ResponseWriter();  // starts with the declaration, QBXML and QBXMLMsgsRs

    void Open(std::string_view name, Attributes attributes = {});
    void Close();
    // <name>text</name>; nothing when text is empty and optional.
    void Leaf(std::string_view name, std::string_view text, bool optional = true);
    // A status-only response element: <name requestID=.. statusCode=.. ... />.
    void Status(std::string_view name, std::string_view requestID, int code, std::string_view message);
    // Opens a response element carrying the status attributes.
    void OpenStatus(std::string_view name, std::string_view requestID, int code, std::string_view message);

    // Closes what is open and returns the whole text.
    std::string Finish();

private:
    void StartTag(std::string_view name, Attributes attributes, const std::vector<std::pair<std::string, std::string>>& more);
    void Indent();

    std::string text_;
    std::vector<std::string> open_;
};

// "Info" for 0-499, "Warn" for 500-999, "Error" from 1000.
std::string_view StatusSeverity(int code);

}  // namespace kvr::qbsim
