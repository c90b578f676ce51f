// The stand-in's log: UTF-8 lines appended to a file that other processes read while it runs.
#include "standin/Log.h"

#include "standin/Handles.h"
#include "standin/Text.h"

namespace standin {

bool Log::Write(std::wstring_view line) const
{
    if (path_.empty())
        return true;
    std::string bytes = WideToUtf8(line);
    for (char& c : bytes) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    bytes += '\n';
    // Opened per line in append mode: several processes (the stand-in, Marker) may share the file,
    // and readers must never see half a line that a later write completes.
    for (int attempt = 0; attempt < 50; ++attempt) {
        UniqueHandle file(CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (GetLastError() != ERROR_SHARING_VIOLATION)
                return false;
            Sleep(10);
            continue;
        }
        DWORD written = 0;
        return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    return false;
}

} // namespace standin
