// Helpers of the XML model tests: reading a text into a fresh node and
// checking the reader's error.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "xml/xml_errors.h"
#include "xml/xml_node.h"

namespace kvr::test {

inline std::unique_ptr<TxdataNode> ReadNode(std::string_view text) {
    auto node = std::make_unique<TxdataNode>();
    node->LoadXml(text);
    return node;
}

// Reads text into node and expects the reader to stop with code at position.
inline void ExpectParseError(TxdataNode& node, std::string_view text, int code, std::int64_t position) {
    try {
        node.LoadXml(text);
        ADD_FAILURE() << "no error";
    } catch (const ExmlParseException& e) {
        EXPECT_EQ(e.ErrorCode, code);
        EXPECT_EQ(e.Position, position);
        EXPECT_EQ(std::string(e.what()), XmlErrorMessage(code));
    }
}

inline std::string Join(const std::vector<std::string>& lines, std::string_view separator = "\n") {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text.append(separator);
        text.append(lines[i]);
    }
    return text;
}

// A query response of the shape QuickBooks sends for employees.
inline std::string EmployeeResponse() {
    return "<?xml version=\"1.0\" ?>\r\n"
           "<QBXML>\r\n"
           "<QBXMLMsgsRs>\r\n"
           "<EmployeeQueryRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">\r\n"
           "<EmployeeRet>\r\n"
           "<ListID>80000001-1234567890</ListID>\r\n"
           "<Name>O&apos;Brien, Pat</Name>\r\n"
           "<HiredDate>2019-04-01</HiredDate>\r\n"
           "</EmployeeRet>\r\n"
           "<EmployeeRet>\r\n"
           "<ListID>80000002-1234567891</ListID>\r\n"
           "<Name>Smith &amp; Sons</Name>\r\n"
           "</EmployeeRet>\r\n"
           "</EmployeeQueryRs>\r\n"
           "</QBXMLMsgsRs>\r\n"
           "</QBXML>\r\n";
}

}  // namespace kvr::test
