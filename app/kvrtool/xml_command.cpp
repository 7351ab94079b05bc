// kvrtool xml: reads a qbXML text file into a node tree and prints it in the
// indented form, the compact form, or the value at a path.
#include <cstdio>
#include <string>

#include "commands.h"
#include "support/errors.h"
#include "support/file_io.h"
#include "xml/xml_errors.h"
#include "xml/xml_node.h"

namespace kvr::tool {

namespace {

int Usage() {
    std::fputs("usage: kvrtool xml format FILE | compact FILE | value FILE PATH\n", stderr);
    return 2;
}

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int RunXmlCommand(const Args& args) {
    if (args.empty()) return Usage();
    const std::string& action = args[0];
    const bool wantsPath = action == "value";
    if ((action != "format" && action != "compact" && !wantsPath) || args.size() != (wantsPath ? 3u : 2u)) {
        return Usage();
    }
    try {
        const std::string text = ReadWholeFile(args[1]);
        TxdataNode node;
        node.LoadXml(std::string_view(text));
        if (action == "format") {
            for (const std::string& line : node.FormatXml()) PrintLine(line);
        } else if (action == "compact") {
            PrintLine(node.XML());
        } else {
            PrintLine(node.ValueByPath(args[2]));
        }
        return 0;
    } catch (const ExmlParseException& e) {
        std::fprintf(stderr, "%d %lld %s\n", e.ErrorCode, static_cast<long long>(e.Position), e.what());
        return 1;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

}  // namespace kvr::tool
