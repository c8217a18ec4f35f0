#pragma once
// Checks for what the random draws make: every value within its range, and the
// values reaching both ends of it, so that a wrong bound or a draw that is
// always the same shows, whatever order the draws come in.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace test_support {

// The least and the greatest of the values seen.
class Spread {
  public:
    void add(double value) {
        low_ = std::min(low_, value);
        high_ = std::max(high_, value);
        ++count_;
    }
    int count() const { return count_; }
    double low() const { return low_; }
    double high() const { return high_; }

  private:
    double low_ = std::numeric_limits<double>::infinity();
    double high_ = -std::numeric_limits<double>::infinity();
    int count_ = 0;
};

// Passes when values were seen, all lie within [min, max], and they reach into
// the lowest and the highest tenth of that range.
inline ::testing::AssertionResult spreads_over(const Spread& spread, double min, double max) {
    if (spread.count() == 0) return ::testing::AssertionFailure() << "no values";
    if (spread.low() < min || spread.high() > max)
        return ::testing::AssertionFailure() << "values from " << spread.low() << " to "
                                             << spread.high() << " leave " << min << " to " << max;
    const double tenth = (max - min) / 10.0;
    if (spread.low() > min + tenth || spread.high() < max - tenth)
        return ::testing::AssertionFailure()
               << spread.count() << " values only from " << spread.low() << " to " << spread.high()
               << " of " << min << " to " << max;
    return ::testing::AssertionSuccess();
}

}  // namespace test_support
