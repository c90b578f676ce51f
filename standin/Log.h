// The stand-in's log: UTF-8 lines appended to a file that other processes read while it runs.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace standin {

class Log {
public:
    // An empty path disables logging.
    explicit Log(std::wstring path) : path_(std::move(path)) {}

    // Appends one line; it is on disk and visible to readers when this returns.
    // Line breaks inside the text become spaces so that one call is always one line.
    // Returns false when the line could not be written.
    bool Write(std::wstring_view line) const;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

} // namespace standin
