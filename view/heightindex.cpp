#include "view/heightindex.h"

void HeightIndex::assign(const std::vector<double>& heights)
{
    m_height = heights;
    const size_t n = heights.size();
    m_tree.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        m_tree[i] += heights[i - 1];
        const size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
}

void HeightIndex::set(size_t part, double height)
{
    const double delta = height - m_height[part];
    if (delta == 0)
        return;
    m_height[part] = height;
    for (size_t i = part + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

double HeightIndex::above(size_t part) const
{
    double sum = 0;
    for (size_t i = part; i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

size_t HeightIndex::partAt(double y) const
{
    const size_t n = m_height.size();
    if (n == 0)
        return 0;
    // Walks down the tree: the most parts whose heights together do not pass y.
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    size_t part = 0;
    double rest = y;
    for (; step > 0; step /= 2) {
        if (part + step <= n && m_tree[part + step] <= rest) {
            part += step;
            rest -= m_tree[part];
        }
    }
    return part < n ? part : n - 1;
}
