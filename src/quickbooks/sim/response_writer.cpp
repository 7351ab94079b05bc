// qbXML response text; see response_writer.h.
#include "quickbooks/sim/response_writer.h"

namespace kvr::qbsim {

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\'': out += "&apos;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string_view StatusSeverity(int code) {
    if (code < 500) return "Info";
    if (code < 1000) return "Warn";
    return "Error";
}

ResponseWriter::ResponseWriter() {
    text_ = "<?xml version=\"1.0\" ?>\n";
    Open("QBXML");
    Open("QBXMLMsgsRs");
}

void ResponseWriter::Indent() { text_.append(open_.size() * 2, ' '); }

void ResponseWriter::StartTag(std::string_view name, Attributes attributes,
                              const std::vector<std::pair<std::string, std::string>>& more) {
    Indent();
    text_ += '<';
    text_ += name;
    const auto add = [this](std::string_view key, std::string_view value) {
        text_ += ' ';
        text_ += key;
        text_ += "=\"";
        text_ += EscapeXml(value);
        text_ += '"';
    };
    for (const auto& [key, value] : attributes) add(key, value);
    for (const auto& [key, value] : more) add(key, value);
}

void ResponseWriter::Open(std::string_view name, Attributes attributes) {
    StartTag(name, attributes, {});
    text_ += ">\n";
    open_.emplace_back(name);
}

void ResponseWriter::Close() {
    const std::string name = std::move(open_.back());
    open_.pop_back();
    Indent();
    text_ += "</" + name + ">\n";
}

void ResponseWriter::Leaf(std::string_view name, std::string_view text, bool optional) {
    if (text.empty() && optional) return;
    Indent();
    text_ += '<';
    text_ += name;
    text_ += '>';
    text_ += EscapeXml(text);
    text_ += "</";
    text_ += name;
    text_ += ">\n";
}

namespace {

std::vector<std::pair<std::string, std::string>> StatusAttributes(std::string_view requestID, int code,
                                                                  std::string_view message) {
    std::vector<std::pair<std::string, std::string>> attributes;
    if (!requestID.empty()) attributes.emplace_back("requestID", requestID);
    attributes.emplace_back("statusCode", std::to_string(code));
    attributes.emplace_back("statusSeverity", StatusSeverity(code));
    attributes.emplace_back("statusMessage", message);
    return attributes;
}

}  // namespace

void ResponseWriter::Status(std::string_view name, std::string_view requestID, int code, std::string_view message) {
    StartTag(name, {}, StatusAttributes(requestID, code, message));
    text_ += " />\n";
}

void ResponseWriter::OpenStatus(std::string_view name, std::string_view requestID, int code,
                                std::string_view message) {
    StartTag(name, {}, StatusAttributes(requestID, code, message));
    text_ += ">\n";
    open_.emplace_back(name);
}

std::string ResponseWriter::Finish() {
    while (!open_.empty()) Close();
    return std::move(text_);
}

}  // namespace kvr::qbsim
