// kvrtool xml: not built yet.
#include <cstdio>

#include "commands.h"

namespace kvr::tool {

int RunXmlCommand(const Args&) {
    std::fputs("usage: kvrtool xml ...\n", stderr);
    return 2;
}

}  // namespace kvr::tool
