#include "base/OptionTable.h"

#include <gtest/gtest.h>

using namespace shamblex;

namespace {

struct Given {
    bool fps = false;
    int size = 0;
    std::vector<std::string> files;
};

OptionTable tableFor(Given& given)
{
    OptionTable table("Usage: demo\n\n");
    table.section("Things");
    table.flag({ "--fps", "-fps" }, "show the rate", [&] { given.fps = true; });
    table.value({ "--size" }, "N", "how big\n(a note that stands under it)", [&](std::string_view value) {
        if (value.empty() || value[0] < '0' || value[0] > '9')
            return OptionTable::Refusal(OptionTable::notA(value, "a number"));
        given.size = value[0] - '0';
        return OptionTable::Refusal();
    });
    table.add({ .names = { "--a-very-long-option-name" },
        .takes = OptionTable::Takes::Values,
        .valueName = "FILE",
        .help = "files",
        .readWords =
            [&](OptionTable::Words words) {
                given.files.assign(words.begin(), words.end());
                return OptionTable::Refusal();
            },
        .missing = "the files" });
    return table;
}

std::optional<std::string> parse(Given& given, std::vector<std::string_view> words)
{
    return tableFor(given).parse(words);
}

}

TEST(OptionTable, ReadsEachWordAsItsOptionAndSaysTheFirstFaultInOneLine)
{
    Given given;
    EXPECT_EQ(parse(given, { "-fps", "--size", "3", "--size", "5", "--a-very-long-option-name", "a", "b", "--fps" }),
        std::nullopt);
    EXPECT_TRUE(given.fps) << "XScreenSaver's -fps is one option, not three flags";
    EXPECT_EQ(given.size, 5) << "a repeated option takes its last value";
    EXPECT_EQ(given.files, (std::vector<std::string> { "a", "b" })) << "a list ends at the next option";

    Given refused;
    EXPECT_EQ(parse(refused, { "-f" }), "unknown option '-f' (see --help)");
    EXPECT_EQ(parse(refused, { "--size" }), "--size needs a value");
    EXPECT_EQ(parse(refused, { "--size", "x" }), "--size: 'x' is not a number");
    EXPECT_EQ(parse(refused, { "--a-very-long-option-name", "--fps" }), "--a-very-long-option-name needs the files");
}

TEST(OptionTable, HelpListsEveryOptionWithItsNotesUnderIt)
{
    Given given;
    EXPECT_EQ(tableFor(given).help(), "Usage: demo\n\n"
                                      "Things:\n"
                                      "  --fps, -fps          show the rate\n"
                                      "  --size N             how big\n"
                                      "                       (a note that stands under it)\n"
                                      "  --a-very-long-option-name FILE...\n"
                                      "                       files\n");
}
