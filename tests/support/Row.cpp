// Row labels, printed after each failure that happens while they are in scope.
#include "tests/support/Row.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace test {
namespace {

// Test programs check on one thread, so a plain stack serves.
std::vector<std::string>& Labels()
{
    static std::vector<std::string> labels;
    return labels;
}

class RowPrinter : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        if (!result.failed())
            return;
        for (const std::string& label : Labels())
            printf("  in row: %s\n", label.c_str());
        fflush(stdout);
    }
};

} // namespace

void Row::Push(std::string label)
{
    // The printer joins the listeners with the first row, after GoogleTest's own printer.
    static bool listening = (testing::UnitTest::GetInstance()->listeners().Append(new RowPrinter), true);
    (void)listening;
    Labels().push_back(std::move(label));
}

Row::~Row()
{
    Labels().pop_back();
}

} // namespace test
