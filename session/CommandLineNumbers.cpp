#include "session/CommandLineNumbers.h"

#include <limits>

namespace shamblex {

namespace {

std::optional<std::uint64_t> parseDigits(std::string_view text, unsigned base, std::uint64_t maximum)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        // Checked before every digit, so the value never overflows.
        if (value > (maximum - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

}

std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t maximum)
{
    return parseDigits(text, 10, maximum);
}

std::optional<std::int64_t> parseSigned(std::string_view text, std::int64_t minimum, std::int64_t maximum)
{
    bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    // The magnitude of the most negative value is one more than the largest.
    auto limit = negative ? static_cast<std::uint64_t>(-(minimum + 1)) + 1 : static_cast<std::uint64_t>(maximum);
    if ((negative && minimum >= 0) || (!negative && maximum < 0))
        return std::nullopt;
    auto magnitude = parseUnsigned(text, limit);
    if (!magnitude)
        return std::nullopt;
    if (!negative)
        return static_cast<std::int64_t>(*magnitude);
    return *magnitude == 0 ? 0 : -static_cast<std::int64_t>(*magnitude - 1) - 1;
}

std::optional<std::uint64_t> parseWindowId(std::string_view text)
{
    std::optional<std::uint64_t> value;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        value = parseDigits(text.substr(2), 16, std::numeric_limits<std::uint64_t>::max());
    else
        value = parseUnsigned(text, std::numeric_limits<std::uint64_t>::max());
    if (!value || *value == 0)
        return std::nullopt;
    return value;
}

std::optional<Size> parseSize(std::string_view text, std::int32_t maximumSide)
{
    auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    auto maximum = static_cast<std::uint64_t>(maximumSide);
    auto width = parseUnsigned(text.substr(0, x), maximum);
    auto height = parseUnsigned(text.substr(x + 1), maximum);
    if (!width || !height || *width == 0 || *height == 0)
        return std::nullopt;
    return Size { static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height) };
}

}
