// kvrtool table: not built yet.
#include <cstdio>

#include "commands.h"

namespace kvr::tool {

int RunTableCommand(const Args&) {
    std::fputs("usage: kvrtool table ...\n", stderr);
    return 2;
}

}  // namespace kvr::tool
