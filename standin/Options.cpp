// Command line of StandinShell.exe.
#include "standin/Options.h"

#include "standin/Handles.h"
#include "standin/Text.h"

#include <shellapi.h>

#include <vector>

namespace standin {

namespace {

std::vector<std::wstring> Arguments()
{
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* raw = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!raw)
        return arguments;
    UniqueLocal owner(reinterpret_cast<HLOCAL>(raw));
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(raw[i]);
    return arguments;
}

} // namespace

bool ParseCommandLine(Options& options, std::wstring& error)
{
    const std::vector<std::wstring> arguments = Arguments();
    // The log path first, so that any later fault can be reported in the log.
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == L"--log")
            options.logPath = arguments[i + 1];
    }

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (name == L"--no-menus") {
            options.showMenus = false;
            continue;
        }
        if (name == L"--quiet") {
            options.logRequests = false;
            continue;
        }
        if (name != L"--log" && name != L"--fill" && name != L"--items" && name != L"--hang-at" &&
            name != L"--exit-at" && name != L"--delete-at") {
            error = L"unknown argument " + name;
            return false;
        }
        if (!hasValue) {
            error = name + L" needs a value";
            return false;
        }
        const std::wstring& value = arguments[++i];
        if (name == L"--log") {
            options.logPath = value;
        } else if (name == L"--fill") {
            options.fillPath = value;
        } else if (name == L"--items") {
            options.itemsPath = value;
            options.mode = Mode::Items;
        } else {
            int index = -1;
            if (!ParseInt(value, index) || index < 0) {
                error = name + L" needs an item index >= 0, not " + value;
                return false;
            }
            if (name == L"--hang-at")
                options.failures.hangAt = index;
            else if (name == L"--exit-at")
                options.failures.exitAt = index;
            else
                options.failures.deleteAt = index;
        }
    }
    if (!options.fillPath.empty() && !options.itemsPath.empty()) {
        error = L"--fill and --items exclude each other";
        return false;
    }
    return true;
}

} // namespace standin
