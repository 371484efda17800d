#pragma once
// Readable names for parameterised cases: the words that tell the cases apart, made of letters,
// digits and "_" as test names must be, with the case's index so that every name is unique.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/fees.h"

namespace qcal::test {

inline std::string MarketName(std::string_view market)
{
    if (market == kShanghai)
        return "Shanghai";
    if (market == kShenzhen)
        return "Shenzhen";
    if (market == kFunds)
        return "Funds";
    return "OtherMarket";
}

inline std::string CaseName(std::size_t index, std::string_view words)
{
    std::string name = "c" + std::to_string(index);
    bool gap = true;
    for (const char c : words) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep) {
            if (gap)
                name += '_';
            name += c;
        }
        gap = !keep;
    }
    return name;
}

} // namespace qcal::test
