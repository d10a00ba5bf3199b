// Opens a web address with the browser registered for "http".
#pragma once

#include <string>

// The command registered for "http" (the default value of
// HKEY_CLASSES_ROOT\http\shell\open\command, of any length, with or without
// its terminating NUL); false when there is none or it is empty.
bool ReadBrowserCommand(std::wstring* command);

// The command line that opens address with command: a "%1" enclosed in double
// quotes, else a bare %1, is replaced by the address; a command without %1
// gets a blank and the address appended. False when the result is longer than
// a process command line may be.
bool BrowserCommandLine(const std::wstring& command, const std::wstring& address, std::wstring* commandLine);

// Starts the registered browser with address; false when no browser command
// is registered or the process cannot be started.
bool OpenUrlInBrowser(const wchar_t* address);
