// libFuzzer target: any bytes read as a qbXML response, then written back in
// both forms and walked the way the imports walk a response.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xml/xml_errors.h"
#include "xml/xml_node.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kvr::TxdataNode node;
    try {
        node.LoadXml(text);
    } catch (const kvr::ExmlParseException& e) {
        if (e.Position < 1 || e.Position > static_cast<std::int64_t>(size) + 1) __builtin_trap();
    }
    (void)node.XML();
    (void)node.FormatXml();
    node.ForEach("QBXMLMsgsRs/EmployeeQueryRs", "EmployeeRet", [](kvr::TxdataNode* x) {
        (void)x->ValueByPath("ListID");
        (void)x->ValueByPath("EmployeeAddress/Addr1");
    });
    (void)node.ValueByPath("QBXMLMsgsRs/TimeTrackingAddRs/statusCode");
    return 0;
}
