// kvrtool: the command-line companion of KVRTime, for looking into table
// files, qbXML texts and simulated QuickBooks companies.
#include <cstdio>
#include <string>

#include "commands.h"

namespace {

int Usage() {
    std::fputs("usage: kvrtool table|xml|company ...\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const kvr::tool::Args rest(argv + 2, argv + argc);
    if (command == "table") return kvr::tool::RunTableCommand(rest);
    if (command == "xml") return kvr::tool::RunXmlCommand(rest);
    if (command == "company") return kvr::tool::RunCompanyCommand(rest);
    return Usage();
}
