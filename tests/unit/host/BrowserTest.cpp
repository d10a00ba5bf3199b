// The browser command read from HKEY_CLASSES_ROOT (pointed at a private key)
// and the command line made from it for an address. Nothing is started.
#include "host/Browser.h"
#include "tests/unit/host/DialogTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kCommandKey[] = L"http\\shell\\open\\command";
constexpr wchar_t kAddress[] = L"http://corvalline.example/";

struct CommandCase {
    const char* name;
    std::wstring command;
    bool withNul;
    std::wstring expected;
};

class BrowserCommand : public ::testing::TestWithParam<CommandCase> {
protected:
    PrivateRegistryRoot classes_{HKEY_CLASSES_ROOT, L"Browser"};
};

TEST_P(BrowserCommand, ReadsTheWholeCommandAndPutsTheAddressIn)
{
    const CommandCase& c = GetParam();
    ASSERT_TRUE(classes_.Ready());
    const DWORD bytes = static_cast<DWORD>((c.command.size() + (c.withNul ? 1 : 0)) * sizeof(wchar_t));
    ASSERT_EQ(RegSetKeyValueW(classes_.Root(), kCommandKey, nullptr, REG_SZ, c.command.c_str(), bytes),
              ERROR_SUCCESS);
    std::wstring command;
    ASSERT_TRUE(ReadBrowserCommand(&command));
    EXPECT_EQ(command, c.command);
    std::wstring line;
    ASSERT_TRUE(BrowserCommandLine(command, kAddress, &line));
    EXPECT_EQ(line, c.expected);
}

const std::wstring kLongPath = L"C:\\" + std::wstring(300, L'b') + L".exe";

const CommandCase kCommandCases[] = {
    {"QuotedPlaceholder", L"\"C:\\browser.exe\" -url \"%1\"", true,
     L"\"C:\\browser.exe\" -url \"http://corvalline.example/\""},
    {"BarePlaceholder", L"C:\\browser.exe %1", true, L"C:\\browser.exe http://corvalline.example/"},
    {"QuotedWinsOverBare", L"browser.exe %1 \"%1\"", true, L"browser.exe %1 \"http://corvalline.example/\""},
    {"NoPlaceholderAppends", L"\"C:\\browser.exe\"", true, L"\"C:\\browser.exe\" http://corvalline.example/"},
    {"StoredWithoutNul", L"C:\\browser.exe \"%1\"", false, L"C:\\browser.exe \"http://corvalline.example/\""},
    {"LongerThanAPath", kLongPath + L" \"%1\"", true, kLongPath + L" \"http://corvalline.example/\""},
};

INSTANTIATE_TEST_SUITE_P(Table, BrowserCommand, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowserCommandFailures, NoCommandNoEmptyOneAndNoOverlongLineStartNothing)
{
    PrivateRegistryRoot classes(HKEY_CLASSES_ROOT, L"BrowserMissing");
    ASSERT_TRUE(classes.Ready());
    std::wstring command;
    // Asserted: with a command found here, the next line would start it.
    ASSERT_FALSE(ReadBrowserCommand(&command)) << "no key";
    EXPECT_FALSE(OpenUrlInBrowser(kAddress));

    ASSERT_EQ(RegSetKeyValueW(classes.Root(), kCommandKey, nullptr, REG_SZ, L"", sizeof(wchar_t)), ERROR_SUCCESS);
    EXPECT_FALSE(ReadBrowserCommand(&command)) << "empty command";
    const DWORD number = 5;
    ASSERT_EQ(RegSetKeyValueW(classes.Root(), kCommandKey, nullptr, REG_DWORD, &number, sizeof(number)),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadBrowserCommand(&command)) << "a number is no command";

    // A command line longer than a process may have is refused before any
    // process is started.
    const std::wstring huge = L"browser.exe " + std::wstring(40000, L'x');
    std::wstring line;
    EXPECT_FALSE(BrowserCommandLine(huge, kAddress, &line));
    ASSERT_EQ(RegSetKeyValueW(classes.Root(), kCommandKey, nullptr, REG_SZ, huge.c_str(),
                              static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_TRUE(ReadBrowserCommand(&command));
    EXPECT_EQ(command.size(), huge.size());
    EXPECT_FALSE(OpenUrlInBrowser(kAddress));
}

}  // namespace
