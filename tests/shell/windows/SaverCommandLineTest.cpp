#include "shell/windows/SaverCommandLine.h"

#include <gtest/gtest.h>

using namespace shamblex;

TEST(SaverCommandLine, ReadsTheSwitchesWindowsPasses)
{
    struct Case {
        const char* line;
        SaverAction action;
        std::optional<std::uint64_t> window;
    };
    for (const Case& c : {
             Case { "", SaverAction::Configure, std::nullopt },
             Case { "   ", SaverAction::Configure, std::nullopt },
             Case { "/s", SaverAction::FullScreen, std::nullopt },
             Case { "-S", SaverAction::FullScreen, std::nullopt },
             Case { " /s ", SaverAction::FullScreen, std::nullopt },
             Case { "/p 1234", SaverAction::Preview, 1234 },
             Case { "/P:1234", SaverAction::Preview, 1234 },
             Case { "-p   18446744073709551615", SaverAction::Preview, 18446744073709551615u },
             Case { "/c", SaverAction::Configure, std::nullopt },
             Case { "/c:65554", SaverAction::Configure, 65554 },
             Case { "/C 65554", SaverAction::Configure, 65554 },
             Case { "/a", SaverAction::ChangePassword, std::nullopt },
             Case { "/a 1234", SaverAction::ChangePassword, std::nullopt },
             Case { "/w", SaverAction::Window, std::nullopt },
             Case { "/W", SaverAction::Window, std::nullopt },
         }) {
        SaverInvocation command = parseSaverCommandLine(c.line);
        EXPECT_EQ(command.action, c.action) << "'" << c.line << "'";
        EXPECT_EQ(command.window, c.window) << "'" << c.line << "'";
    }
}

TEST(SaverCommandLine, RefusesWhatIsNotASaverSwitch)
{
    for (const char* line : { "/p", "/p:", "/p 0", "/p abc", "/p 12x", "/p 18446744073709551616", "/x", "s", "/",
             "/sx", "/s 5", "/c:oops", "--s", "/w 1" })
        EXPECT_EQ(parseSaverCommandLine(line).action, SaverAction::Invalid) << "'" << line << "'";
}
