// The screensaver command line: "/" or "-" and a mode letter, in either case,
// then for some modes the decimal handle of a parent window.
#pragma once

#include <cstdint>

enum class SaverMode : int {
    Settings = 0,    // "c" or no switch
    Preview = 1,     // "p HWND"
    Fullscreen = 2,  // any other letter, or a bare switch
    TestWindow = 3,  // "t"
    Password = 4,    // "a HWND"
    Nothing = 5,     // "r"
    Silent = 6,      // "n"
};

struct CommandLine {
    SaverMode mode = SaverMode::Settings;
    uint64_t parentWindow = 0;  // 0 when none was given
};

// Parses a whole command line including the program path. Never reads past
// the terminating NUL, even for an unclosed quote.
CommandLine ParseSaverCommandLine(const wchar_t* commandLine);
