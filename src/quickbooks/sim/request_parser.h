// Reads a qbXML request message set strictly: well-formed UTF-8 XML, a
// version line that the company's edition supports, the QBXML /
// QBXMLMsgsRq envelope with its onError attribute, and request elements that
// satisfy the schema. Anything else fails the whole call, as in QuickBooks.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "quickbooks/sim/company_file.h"

namespace kvr::qbsim {

enum class OnError { Stop, Continue, Rollback };

struct MessageSet {
    pugi::xml_document document;
    OnError onError = OnError::Stop;
    std::vector<pugi::xml_node> requests;  // in document order
};

// Raises EQBSessionError: 0x80040400 for a request that cannot be parsed or
// breaks the schema, the version error for a version of the other edition
// or one the simulator does not support.
std::unique_ptr<MessageSet> ParseMessageSet(std::string_view text, Edition edition);

}  // namespace kvr::qbsim
