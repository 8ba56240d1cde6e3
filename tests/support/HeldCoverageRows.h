// Test support: rows of coverage held in memory as an effect stage's input, zero above and below
// them; rows must be asked in ascending order, as stages ask them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "render/effects/CoverageRows.h"

namespace test_support {

using CoverageImage = std::vector<std::vector<float>>;  // rows of columns

class HeldCoverageRows : public sdk::render::CoverageRows {
public:
    // rows: the first at document row top, its first column at document column left.
    explicit HeldCoverageRows(CoverageImage rows, int64_t top = 0, int32_t left = 0)
        : rows_(std::move(rows)), top_(top), left_(left),
          zero_(rows_.empty() ? 0 : rows_[0].size(), 0.0f)
    {
    }
    const float* Row(int64_t y) override
    {
        EXPECT_GE(y, asked_) << "rows are asked in ascending order";
        asked_ = y;
        const int64_t at = y - top_;
        return at >= 0 && at < static_cast<int64_t>(rows_.size())
                   ? rows_[static_cast<size_t>(at)].data()
                   : zero_.data();
    }
    int32_t Width() const override { return static_cast<int32_t>(zero_.size()); }
    int32_t Left() const override { return left_; }

private:
    CoverageImage rows_;
    int64_t top_;
    int32_t left_;
    std::vector<float> zero_;
    int64_t asked_ = std::numeric_limits<int64_t>::min();
};

}  // namespace test_support
