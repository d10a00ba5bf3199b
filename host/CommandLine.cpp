#include "host/CommandLine.h"

namespace {

const wchar_t* SkipProgramPath(const wchar_t* p)
{
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') ++p;
        if (*p == L'"') ++p;
        return p;
    }
    while (*p != L'\0' && *p != L' ') ++p;
    if (*p == L' ') ++p;
    return p;
}

SaverMode ModeForLetter(wchar_t letter)
{
    switch (letter) {
    case L'c': case L'C': return SaverMode::Settings;
    case L'p': case L'P': return SaverMode::Preview;
    case L't': case L'T': return SaverMode::TestWindow;
    case L'a': case L'A': return SaverMode::Password;
    case L'r': case L'R': return SaverMode::Nothing;
    case L'n': case L'N': return SaverMode::Silent;
    default: return SaverMode::Fullscreen;
    }
}

}  // namespace

CommandLine ParseSaverCommandLine(const wchar_t* commandLine)
{
    CommandLine result;
    if (commandLine == nullptr) return result;

    const wchar_t* p = SkipProgramPath(commandLine);
    while (*p != L'\0' && *p != L'/' && *p != L'-') ++p;
    if (*p == L'\0') return result;  // no switch: settings

    ++p;
    result.mode = ModeForLetter(*p);  // a switch at the very end gives full screen
    if (*p == L'\0') return result;

    if (result.mode == SaverMode::Settings || result.mode == SaverMode::Preview ||
        result.mode == SaverMode::Password) {
        ++p;
        while (*p != L'\0' && (*p < L'0' || *p > L'9')) ++p;
        uint64_t value = 0;
        while (*p >= L'0' && *p <= L'9') {
            value = value * 10 + static_cast<uint64_t>(*p - L'0');
            ++p;
        }
        result.parentWindow = value;
    }
    return result;
}
