// The row of a table a loop is checking, named with every failure inside its scope.
#pragma once

#include <sstream>
#include <string>

namespace test {

// Does what SCOPED_TRACE does without GoogleTest's thread-local storage: that starts a helper
// thread whose presence now and then crashes a Wine process as it exits, after the test passed.
class Row {
public:
    template <typename T>
    explicit Row(const T& what)
    {
        std::ostringstream text;
        text << what;
        Push(text.str());
    }
    ~Row();
    Row(const Row&) = delete;
    Row& operator=(const Row&) = delete;

private:
    static void Push(std::string label);
};

} // namespace test
