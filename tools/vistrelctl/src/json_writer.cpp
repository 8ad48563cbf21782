// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_writer.h"

#include <cstdio>

namespace vistrelctl {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch; // UTF-8 passes through
            }
        }
    }
    return out + "\"";
}

} // namespace vistrelctl
