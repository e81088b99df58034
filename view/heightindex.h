#pragma once

#include <cstddef>
#include <vector>

// Heights of a document's parts, one after the other: the height above any part and the part at
// any height, each in time growing with the logarithm of their number (a Fenwick tree), so that
// a part measured anew costs the same in a document of ten parts as in one of a million.
class HeightIndex {
public:
    void assign(const std::vector<double>& heights);
    size_t size() const { return m_height.size(); }
    double height(size_t part) const { return m_height[part]; }
    void set(size_t part, double height);
    // The height of the parts before part.
    double above(size_t part) const;
    double total() const { return above(m_height.size()); }
    // The part that holds height y (the last one for y past the end, the first before it).
    size_t partAt(double y) const;

private:
    std::vector<double> m_height;
    std::vector<double> m_tree; // 1-based sums
};
