// Message text assembly for the system's exceptions.
#include "support/errors.h"

namespace kvr {

std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t mark = format.find("%s", pos);
        if (mark == std::string_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, mark - pos));
        // A placeholder without an argument stays visible rather than vanishing,
        // so a wrong call shows in the message instead of silently shortening it.
        if (next != args.end()) {
            out.append(*next);
            ++next;
        } else {
            out.append("%s");
        }
        pos = mark + 2;
    }
    return out;
}

}  // namespace kvr
