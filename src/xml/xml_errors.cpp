#include "xml/xml_errors.h"

namespace kvr {

std::string XmlErrorMessage(int code) {
    switch (code) {
        case xeCloseTagExpected: return "Close tag expected";
        case xeOpenTagMissed: return "Open tag missed";
        case xeTagExpected: return "Tag expected";
        default: return "XML parser error #" + std::to_string(code);
    }
}

ExmlParseException::ExmlParseException(int errorCode, std::int64_t position)
    : Exception(XmlErrorMessage(errorCode)), ErrorCode(errorCode), Position(position) {}

EListError::EListError(std::int64_t index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

}  // namespace kvr
