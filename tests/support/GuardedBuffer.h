// Caller buffers with guard cells behind them: proof that a function never writes past the size
// it was given, and that what it wrote is terminated inside it.
#pragma once

#include <gtest/gtest.h>

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
        : size_(size < 0 ? 0 : size), cells_(static_cast<size_t>(size_) + GuardCells, Sentinel())
    {
        if (size_ > 0 && !initial.empty()) {
            size_t count = initial.size() < static_cast<size_t>(size_ - 1) ? initial.size() : size_ - 1;
            std::copy(initial.begin(), initial.begin() + count, cells_.begin());
            cells_[count] = 0;
        }
    }

    Char* Data() { return cells_.data(); }
    int Size() const { return size_; }

    // Nothing behind the buffer was touched (with size 0: nothing at all).
    bool GuardIntact() const
    {
        for (size_t i = static_cast<size_t>(size_); i < cells_.size(); ++i) {
            if (cells_[i] != Sentinel())
                return false;
        }
        return true;
    }
    bool Terminated() const
    {
        for (int i = 0; i < size_; ++i) {
            if (cells_[i] == 0)
                return true;
        }
        return false;
    }
    // The text up to the first terminator inside the buffer.
    std::basic_string<Char> Text() const
    {
        std::basic_string<Char> text;
        for (int i = 0; i < size_ && cells_[i]; ++i)
            text.push_back(cells_[i]);
        return text;
    }

private:
    int size_;
    std::vector<Char> cells_;
};

// Runs write(buffer, size) at sizes 0, 1, one short of the expected text and its exact fit (the
// text plus its terminator) and checks each time: no cell behind the buffer touched, the result
// terminated inside it (sizes above 0), and equal to expected cut to fit. With prefixCut false
// only the exact fit must hold the whole text (a shorter result may be any whole-unit cut).
template <typename Char>
void ExpectBounded(const std::basic_string<Char>& expected,
                   const std::function<void(Char*, int)>& write, bool prefixCut = true)
{
    const int exact = static_cast<int>(expected.size()) + 1;
    for (int size : {0, 1, exact - 1, exact}) {
        if (size < 0)
            continue;
        SCOPED_TRACE(testing::Message() << "buffer size " << size << " (exact fit " << exact << ")");
        GuardedBuffer<Char> buffer(size);
        write(buffer.Data(), size);
        EXPECT_TRUE(buffer.GuardIntact());
        if (size == 0)
            continue;
        ASSERT_TRUE(buffer.Terminated());
        if (size == exact)
            EXPECT_EQ(buffer.Text(), expected);
        else if (prefixCut)
            EXPECT_EQ(buffer.Text(), expected.substr(0, static_cast<size_t>(size - 1)));
        else
            EXPECT_EQ(expected.compare(0, buffer.Text().size(), buffer.Text()), 0);
    }
}

} // namespace test
