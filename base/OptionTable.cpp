#include "base/OptionTable.h"

#include <cassert>

namespace shamblex {

namespace {

// Where the help of an option starts, as in GNU programs' --help.
constexpr std::size_t helpColumn = 23;

std::string quote(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

}

std::string OptionTable::notA(std::string_view value, std::string_view expected)
{
    return quote(value) + " is not " + std::string(expected);
}

std::function<OptionTable::Refusal(std::string_view)> OptionTable::fileName(std::optional<std::string>& target)
{
    return [&target](std::string_view value) {
        if (value.empty())
            return Refusal(notA(value, "a file name"));
        target = std::string(value);
        return Refusal();
    };
}

OptionTable& OptionTable::section(std::string title)
{
    m_entries.push_back({ std::nullopt, std::move(title), true });
    return *this;
}

OptionTable& OptionTable::add(Option option)
{
    assert(!option.names.empty() && (option.takes == Takes::Values ? bool(option.readWords) : bool(option.read)));
    m_entries.push_back({ m_options.size(), {}, false });
    m_options.push_back(std::move(option));
    return *this;
}

OptionTable& OptionTable::flag(std::vector<std::string_view> names, std::string help, std::function<void()> set)
{
    return add({ .names = std::move(names),
        .help = std::move(help),
        .read = [set = std::move(set)](std::string_view) {
            set();
            return Refusal();
        } });
}

OptionTable& OptionTable::value(std::vector<std::string_view> names, std::string_view valueName, std::string help,
    std::function<Refusal(std::string_view)> read)
{
    return add({ .names = std::move(names),
        .takes = Takes::Value,
        .valueName = valueName,
        .help = std::move(help),
        .read = std::move(read) });
}

OptionTable& OptionTable::text(std::string lines)
{
    m_entries.push_back({ std::nullopt, std::move(lines), false });
    return *this;
}

OptionTable& OptionTable::footer(std::string lines)
{
    m_footer = std::move(lines);
    return *this;
}

const OptionTable::Option* OptionTable::find(std::string_view word) const
{
    for (const Option& option : m_options) {
        for (std::string_view name : option.names) {
            if (name == word)
                return &option;
        }
    }
    return nullptr;
}

std::optional<std::string> OptionTable::parse(
    std::span<const std::string_view> words, std::vector<std::string_view>* given) const
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Option* option = find(words[i]);
        if (!option)
            return "unknown option " + quote(words[i]) + " (see --help)";
        const std::string name(words[i]);
        if (given)
            given->push_back(words[i]);
        Refusal refusal;
        if (option->takes == Takes::Values) {
            std::size_t first = i + 1;
            std::size_t end = first;
            if (option->count > 0)
                end = first + option->count;
            else
                while (end < words.size() && words[end].substr(0, 2) != "--")
                    ++end;
            if (end == first || end > words.size())
                return name + " needs " + std::string(option->missing);
            refusal = option->readWords(words.subspan(first, end - first));
            i = end - 1;
        } else if (option->takes == Takes::Value) {
            if (i + 1 >= words.size())
                return name + " needs " + std::string(option->missing);
            refusal = option->read(words[++i]);
        } else {
            refusal = option->read({});
        }
        if (refusal)
            return name + ": " + *refusal;
    }
    return std::nullopt;
}

std::string OptionTable::help() const
{
    std::string out = m_heading;
    bool first = true;
    for (const Entry& entry : m_entries) {
        if (entry.title) {
            out += (first ? "" : "\n") + entry.text + ":\n";
            first = false;
            continue;
        }
        first = false;
        if (!entry.option) {
            out += entry.text;
            continue;
        }
        const Option& option = m_options[*entry.option];
        if (option.hidden)
            continue;
        std::string names = "  ";
        for (std::size_t n = 0; n < option.names.size(); ++n) {
            names += (n ? ", " : "") + std::string(option.names[n]);
            if (!option.valueName.empty())
                names += " " + std::string(option.valueName) + (option.takes == Takes::Values ? "..." : "");
        }
        // The help beside the names when they leave room, under them otherwise.
        const std::string indent(helpColumn, ' ');
        if (names.size() + 1 < helpColumn)
            out += names + std::string(helpColumn - names.size(), ' ');
        else
            out += names + "\n" + indent;
        for (std::size_t at = 0; at < option.help.size();) {
            std::size_t end = option.help.find('\n', at);
            if (end == std::string::npos)
                end = option.help.size();
            out += (at ? indent : "") + option.help.substr(at, end - at) + "\n";
            at = end + 1;
        }
    }
    return out + m_footer;
}

}
