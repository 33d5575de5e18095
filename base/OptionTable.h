#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// A program's command line described once: each option with its names, its value,
// its help and what it does. The same table parses the words and writes --help,
// so the two never disagree and every note stands under its own option.
//
// The rules every program shares: an option is its exact word (no bundling of
// one-letter flags, so XScreenSaver's "-fps" stays one option); a repeated option
// takes its last value; errors are one line, for exit status 2:
//   "unknown option 'WORD' (see --help)", "--name needs a value",
//   "--name: REASON" (a reader's refusal, usually "'VALUE' is not ...").
class OptionTable {
public:
    // What a reader says of a value it refuses (after "--name: "); nothing when taken.
    using Refusal = std::optional<std::string>;

    enum class Takes {
        Nothing, // a switch
        Value, // the next word
        Values, // `count` next words, or without a count every next word up to the next
                // one starting with "--" (at least one)
    };

    struct Option {
        std::vector<std::string_view> names {}; // the first is the one errors name
        Takes takes = Takes::Nothing;
        std::string_view valueName {}; // in the help: "--board WxH"
        std::string help {}; // lines after the first are indented under it
        // Takes the value (empty for a switch); readWords takes the words of Values.
        std::function<Refusal(std::string_view)> read {};
        std::function<Refusal(std::span<const std::string_view>)> readWords {};
        std::size_t count = 0;
        std::string_view missing = "a value"; // "--name needs " this
        bool hidden = false; // read, but not listed in the help
    };
    // Lists of words an option of Values takes.
    using Words = std::span<const std::string_view>;

    // `heading`: the usage line(s) and the paragraph under them.
    explicit OptionTable(std::string heading)
        : m_heading(std::move(heading))
    {
    }

    // A titled group of the options added after it.
    OptionTable& section(std::string title);
    OptionTable& add(Option);
    // A switch or an option with one value, the common cases.
    OptionTable& flag(std::vector<std::string_view> names, std::string help, std::function<void()> set);
    OptionTable& value(std::vector<std::string_view> names, std::string_view valueName, std::string help,
        std::function<Refusal(std::string_view)> read);
    // Lines of the help that are not an option, in the current section.
    OptionTable& text(std::string lines);
    // The text after every option (exit statuses, notes).
    OptionTable& footer(std::string lines);

    // Reads every word; the first error as one line. `given`, when asked for, gets
    // the option words read, in order.
    std::optional<std::string> parse(
        std::span<const std::string_view> words, std::vector<std::string_view>* given = nullptr) const;
    std::string help() const;

    // "'value' is not EXPECTED", the refusal most readers give.
    static std::string notA(std::string_view value, std::string_view expected);
    // A reader that keeps a file name (any word but the empty one) in `target`.
    static std::function<Refusal(std::string_view)> fileName(std::optional<std::string>& target);

private:
    struct Entry {
        std::optional<std::size_t> option; // an index into m_options, or
        std::string text; // a section title ("Title:") or free lines
        bool title = false;
    };
    const Option* find(std::string_view word) const;

    std::string m_heading;
    std::string m_footer;
    std::vector<Option> m_options;
    std::vector<Entry> m_entries;
};

}
