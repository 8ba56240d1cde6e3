// Anti-aliased coverage of shapes made of straight edges, row by row.
//
// A pixel's coverage is worked out from the exact area of its square on either side of each edge
// that crosses it: every edge adds, cell by cell along its row, the signed area it encloses to
// its right, and the running sum over a row is each pixel's winding number averaged over the
// pixel. The fill rule turns that into coverage: non-zero takes its magnitude up to 1, even-odd
// its distance from the nearest even number. Pixels wholly inside or outside are exact; so is an
// edge pixel that only one boundary crosses. Many shapes share one raster, each filled on its own.
//
// Rows are worked out as they are asked for, top to bottom: edges are kept sorted by their top
// and only those crossing the row are visited, so the memory is that of the edges and one row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sdk {
namespace render {

enum class FillRule { NonZero, EvenOdd };

struct RasterPoint {
    double x = 0;
    double y = 0;
};

class PathRaster {
public:
    // Coverage of the columns left .. left + width - 1 (none when width is 0 or less).
    PathRaster(int32_t left, int32_t width);

    // The edges of shape, in pixels: a closed outline is a run of lines that ends where it began.
    // Horizontal lines and those not finite are left out. All edges come before the first row.
    void AddLine(uint32_t shape, const RasterPoint& from, const RasterPoint& to);
    // A cubic Bezier curve as segments lines of equal parameter steps (at least one).
    void AddCubic(uint32_t shape, const RasterPoint& p0, const RasterPoint& p1,
                  const RasterPoint& p2, const RasterPoint& p3, int32_t segments);
    // How many lines follow the cubic within tolerance pixels: 1 .. limit.
    static int32_t CubicSegments(const RasterPoint& p0, const RasterPoint& p1,
                                 const RasterPoint& p2, const RasterPoint& p3, double tolerance,
                                 int32_t limit);

    size_t Lines() const { return edges_.size(); }

    // Moves to row y and returns the shapes that have edges in it, ascending. Rows go top to
    // bottom and may skip; a row above the last one asked starts over from the top.
    const std::vector<uint32_t>& Row(int32_t y);
    // The coverage in the current row of the index-th shape that Row returned: width floats.
    void Coverage(size_t index, FillRule rule, float* coverage);

private:
    struct Edge {
        double x0;  // x at the top
        double y0;  // top
        double y1;  // bottom
        double dxdy;
        int32_t winding;  // +1 for an edge that runs down, -1 for one that runs up
        uint32_t shape;
    };

    void Accumulate(const Edge& edge);
    void Segment(double xa, double ya, double xb, double yb, double winding);
    void Cell(int32_t column, double x0, double x1, double area);

    int32_t left_;
    int32_t width_;
    std::vector<Edge> edges_;
    bool sorted_ = false;
    bool started_ = false;
    int32_t row_ = 0;
    size_t next_ = 0;               // first edge not yet taken into active_
    std::vector<uint32_t> active_;  // edges crossing the row, by shape
    std::vector<uint32_t> shapes_;  // shapes of the row, ascending
    std::vector<size_t> runs_;      // where each shape's edges begin in active_, and the end
    std::vector<double> cells_;     // width + 2: each column's share of the running sum
    int32_t touchedFirst_ = 0;
    int32_t touchedLast_ = -1;
};

}  // namespace render
}  // namespace sdk
