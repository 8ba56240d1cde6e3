// Test support: sources of rows opened at a row, against the source opened at the top.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphic/RowSource.h"
#include "support/PsdBuilder.h"

namespace test_support {

// Makes a source opened at a row (its first NextRow gives that row), or null.
using OpenAtRow = std::function<std::unique_ptr<sdk::graphic::RowSource>(int32_t firstRow)>;

// What a source opened at a row gives: its rows, up to the last or to the error that ends them,
// and that error's tag (empty when none; "nothing" for a null source).
struct RowsGiven {
    std::vector<Bytes> rows;
    std::string error;
};

inline RowsGiven RowsFrom(const OpenAtRow& open, int32_t first)
{
    RowsGiven given;
    try {
        std::unique_ptr<sdk::graphic::RowSource> source = open(first);
        if (!source) {
            given.error = "nothing";
            return given;
        }
        const size_t size = static_cast<size_t>(source->Width()) * source->Channels() *
                            static_cast<size_t>(source->SampleBytes());
        for (int32_t y = first; y < source->Height(); ++y) {
            const uint8_t* row = source->NextRow();
            given.rows.emplace_back(row, row + size);
        }
    } catch (const std::exception& error) {
        given.error = error.what();
    }
    return given;
}

// Opened at each of firsts, the source gives from there on what the source opened at the top
// gives, rows and error, wherever the rows above hold no damage. Returns whether the source
// opened at the top gave anything.
inline bool ExpectSameFromRows(const OpenAtRow& open, const std::vector<int32_t>& firsts,
                               const std::string& what)
{
    const RowsGiven top = RowsFrom(open, 0);
    for (int32_t first : firsts) {
        if (first <= 0 || top.rows.size() < static_cast<size_t>(first))
            continue;  // damage above the first row
        const RowsGiven at = RowsFrom(open, first);
        EXPECT_EQ(at.rows, std::vector<Bytes>(top.rows.begin() + first, top.rows.end()))
            << what << " from row " << first;
        EXPECT_EQ(at.error, top.error) << what << " from row " << first;
    }
    return !top.rows.empty() || top.error.empty();
}

// Every row from 1 to height, the height itself included (a source with no rows left).
inline std::vector<int32_t> EveryRow(int32_t height)
{
    std::vector<int32_t> rows;
    for (int32_t y = 1; y <= height; ++y)
        rows.push_back(y);
    return rows;
}

// Samples with runs and changes along each row and from row to row.
inline Bytes PatternPlane(int32_t width, int32_t height, int32_t seed)
{
    Bytes plane;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            plane.push_back(static_cast<uint8_t>((x / 3) * 37 + y * 11 + seed * 53 + (x * y) % 5));
    return plane;
}

}  // namespace test_support
