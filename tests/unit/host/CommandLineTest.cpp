#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommandLineCase {
    const wchar_t* line;
    SaverMode mode;
    uint64_t parent;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ParsesModeAndParent)
{
    const CommandLineCase& c = GetParam();
    const CommandLine parsed = ParseSaverCommandLine(c.line);
    EXPECT_EQ(static_cast<int>(parsed.mode), static_cast<int>(c.mode));
    EXPECT_EQ(parsed.parentWindow, c.parent);
}

const CommandLineCase kCases[] = {
    {L"saver.scr", SaverMode::Settings, 0},
    {L"saver.scr ", SaverMode::Settings, 0},
    {L"", SaverMode::Settings, 0},
    {L"saver.scr /c", SaverMode::Settings, 0},
    {L"saver.scr /C", SaverMode::Settings, 0},
    {L"saver.scr /c:1234", SaverMode::Settings, 1234},
    {L"saver.scr -C 1234", SaverMode::Settings, 1234},
    {L"saver.scr /c1234", SaverMode::Settings, 1234},
    {L"saver.scr /p 5678", SaverMode::Preview, 5678},
    {L"saver.scr -P 5678", SaverMode::Preview, 5678},
    {L"saver.scr /p", SaverMode::Preview, 0},
    {L"saver.scr /s", SaverMode::Fullscreen, 0},
    {L"saver.scr /S", SaverMode::Fullscreen, 0},
    {L"saver.scr -s", SaverMode::Fullscreen, 0},
    {L"saver.scr /x", SaverMode::Fullscreen, 0},
    {L"saver.scr /", SaverMode::Fullscreen, 0},
    {L"saver.scr /t", SaverMode::TestWindow, 0},
    {L"saver.scr -T", SaverMode::TestWindow, 0},
    {L"saver.scr /a 1234", SaverMode::Password, 1234},
    {L"saver.scr /A:99", SaverMode::Password, 99},
    {L"saver.scr /r", SaverMode::Nothing, 0},
    {L"saver.scr /R", SaverMode::Nothing, 0},
    {L"saver.scr /n", SaverMode::Silent, 0},
    {L"saver.scr -N", SaverMode::Silent, 0},
    // A quoted path with "/" and "-" in it is skipped whole.
    {L"\"C:/my-savers/saver.scr\" /p 42", SaverMode::Preview, 42},
    {L"\"C:/my-savers/saver.scr\"", SaverMode::Settings, 0},
    // An unclosed quote ends at the end of the string: settings.
    {L"\"C:/my-savers/saver.scr /s", SaverMode::Settings, 0},
    // A path without a blank: the whole line is the path.
    {L"C:/savers/saver.scr", SaverMode::Settings, 0},
    // Handles beyond 32 bits are read as 64-bit numbers.
    {L"saver.scr /p 4294967296", SaverMode::Preview, 4294967296ULL},
};

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(CommandLine, NullLineGivesSettings)
{
    EXPECT_EQ(static_cast<int>(ParseSaverCommandLine(nullptr).mode), static_cast<int>(SaverMode::Settings));
}

}  // namespace
