// Small helpers for writing JSON text: strings are UTF-8 with the escapes
// JSON requires.
#pragma once

#include <string>
#include <string_view>

namespace kvr::tool {

// The UTF-8 text quoted as a JSON string.
inline std::string JsonString(std::string_view utf8) {
    static const char* const kHex = "0123456789abcdef";
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

inline std::string JsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace kvr::tool
