// Caller buffers with guard cells behind them: proof that a function never writes past the size
// it was given, and that what it wrote is terminated inside it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace test {

template <typename Char>
class GuardedBuffer {
public:
    enum { GuardCells = 32 };
    static Char Sentinel() { return static_cast<Char>(sizeof(Char) == 1 ? 0xFD : 0xFDFD); }

    // size cells for the function, then the guard; initial (cut to size) is copied in first.
    explicit GuardedBuffer(int size, const std::basic_string<Char>& initial = std::basic_string<Char>())
        : size_(std::max(size, 0)), cells_(static_cast<size_t>(size_) + GuardCells, Sentinel())
    {
        if (size_ > 0 && !initial.empty()) {
            size_t count = std::min(initial.size(), static_cast<size_t>(size_ - 1));
            std::copy_n(initial.begin(), count, cells_.begin());
            cells_[count] = 0;
        }
    }

    Char* Data() { return cells_.data(); }
    int Size() const { return size_; }
    // Nothing behind the buffer was touched (with size 0: nothing at all).
    bool GuardIntact() const
    {
        return std::all_of(cells_.begin() + size_, cells_.end(), [](Char c) { return c == Sentinel(); });
    }
    bool Terminated() const { return Text().size() < static_cast<size_t>(size_); }
    // The text up to the first terminator inside the buffer.
    std::basic_string<Char> Text() const
    {
        return std::basic_string<Char>(cells_.begin(), std::find(cells_.begin(), cells_.begin() + size_, Char(0)));
    }

private:
    int size_;
    std::vector<Char> cells_;
};

// Runs write(buffer, size) at sizes 0, 1, one short of the expected text and its exact fit (the
// text plus its terminator) and checks each time: no cell behind the buffer touched, the result
// terminated inside it (sizes above 0), and equal to expected cut to fit. With prefixCut false
// only the exact fit must hold the whole text (a shorter result may be any whole-unit cut).
// Failures name what and the size. (No SCOPED_TRACE: under Wine its helper thread can crash the
// process as it exits.)
template <typename Char>
void ExpectBounded(const std::basic_string<Char>& expected, const std::function<void(Char*, int)>& write,
                   bool prefixCut = true, const char* what = "")
{
    const int exact = static_cast<int>(expected.size()) + 1;
    for (int size : {0, 1, exact - 1, exact}) {
        const std::string where = std::string(what) + " in " + std::to_string(size) + " cells";
        GuardedBuffer<Char> buffer(size);
        write(buffer.Data(), size);
        EXPECT_TRUE(buffer.GuardIntact()) << where;
        if (size == 0)
            continue;
        ASSERT_TRUE(buffer.Terminated()) << where;
        const std::basic_string<Char> text = buffer.Text();
        if (size == exact)
            EXPECT_EQ(text, expected) << where;
        else if (prefixCut)
            EXPECT_EQ(text, expected.substr(0, static_cast<size_t>(size - 1))) << where;
        else
            EXPECT_EQ(expected.compare(0, text.size(), text), 0) << where;
    }
}

} // namespace test
