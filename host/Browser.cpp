#include "host/Browser.h"

#include <windows.h>

#include <vector>

namespace {

constexpr wchar_t kCommandKey[] = L"http\\shell\\open\\command";
// CreateProcessW takes at most 32767 characters, its NUL included.
constexpr size_t kMaxCommandLine = 32766;

}  // namespace

bool ReadBrowserCommand(std::wstring* command)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
    std::vector<wchar_t> text;
    if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // One character more than the value holds, zeroed: a value stored
        // without its NUL still ends inside the buffer.
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = size;
        result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read);
    } else {
        result = ERROR_INVALID_DATA;
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || text.empty() || text[0] == L'\0') return false;
    *command = text.data();
    return true;
}

bool BrowserCommandLine(const std::wstring& command, const std::wstring& address, std::wstring* commandLine)
{
    std::wstring line = command;
    size_t at = line.find(L"\"%1\"");
    if (at != std::wstring::npos) {
        line.replace(at + 1, 2, address);
    } else if ((at = line.find(L"%1")) != std::wstring::npos) {
        line.replace(at, 2, address);
    } else {
        line += L' ';
        line += address;
    }
    if (line.size() > kMaxCommandLine) return false;
    *commandLine = line;
    return true;
}

bool OpenUrlInBrowser(const wchar_t* address)
{
    std::wstring command;
    std::wstring line;
    if (!ReadBrowserCommand(&command) || !BrowserCommandLine(command, address, &line)) return false;
    // CreateProcessW may write into the command line: it gets a copy of its own.
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
