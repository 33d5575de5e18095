#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace shamblex {

// The one reader of numbers given on command lines, by every program: plain ASCII
// decimal digits (no sign, no spaces, no '+'), within [0, maximum]. A long run of
// digits cannot overflow.
std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t maximum);

// A whole number that may carry a leading '-', within [minimum, maximum].
std::optional<std::int64_t> parseSigned(std::string_view text, std::int64_t minimum, std::int64_t maximum);

// A window id or handle: hex with "0x" ("0x2a00007") or decimal, never 0.
std::optional<std::uint64_t> parseWindowId(std::string_view text);

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// "WxH" with a lowercase x, each side from 1 to maximumSide.
std::optional<Size> parseSize(std::string_view text, std::int32_t maximumSide);

}
