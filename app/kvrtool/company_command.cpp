// kvrtool company: not built yet.
#include <cstdio>

#include "commands.h"

namespace kvr::tool {

int RunCompanyCommand(const Args&) {
    std::fputs("usage: kvrtool company ...\n", stderr);
    return 2;
}

}  // namespace kvr::tool
