// The sub-commands of kvrtool. Each takes the arguments after its own name and
// returns the process exit status: 0 done, 1 failed (message on standard
// error), 2 wrong arguments (usage on standard error).
#pragma once

#include <string>
#include <vector>

namespace kvr::tool {

using Args = std::vector<std::string>;

int RunTableCommand(const Args& args);
int RunXmlCommand(const Args& args);
int RunCompanyCommand(const Args& args);

}  // namespace kvr::tool
