#include "shell/windows/SaverCommandLine.h"

#include <cctype>
#include <charconv>

namespace shamblex {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> parseHandle(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

}

SaverInvocation parseSaverCommandLine(std::string_view line)
{
    line = trimmed(line);
    if (line.empty())
        return { SaverAction::Configure, std::nullopt };
    if (line.size() < 2 || (line[0] != '/' && line[0] != '-'))
        return { SaverAction::Invalid, std::nullopt };

    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(line[1])));
    std::string_view rest = line.substr(2);
    // The handle follows a colon or white space; a letter followed by anything else
    // ("/sx") is not a switch.
    if (!rest.empty() && rest.front() != ':' && !std::isspace(static_cast<unsigned char>(rest.front())))
        return { SaverAction::Invalid, std::nullopt };
    if (!rest.empty() && rest.front() == ':')
        rest.remove_prefix(1);
    std::optional<std::uint64_t> handle = parseHandle(rest);
    bool argumentGiven = !trimmed(rest).empty();

    switch (letter) {
    case 's':
        return { argumentGiven ? SaverAction::Invalid : SaverAction::FullScreen, std::nullopt };
    case 'a':
        return { SaverAction::ChangePassword, std::nullopt };
    case 'w':
        return { argumentGiven ? SaverAction::Invalid : SaverAction::Window, std::nullopt };
    case 'p':
        return handle && *handle != 0 ? SaverInvocation { SaverAction::Preview, handle }
                                      : SaverInvocation { SaverAction::Invalid, std::nullopt };
    case 'c':
        if (argumentGiven && !handle)
            return { SaverAction::Invalid, std::nullopt };
        return { SaverAction::Configure, handle && *handle != 0 ? handle : std::nullopt };
    default:
        return { SaverAction::Invalid, std::nullopt };
    }
}

}
