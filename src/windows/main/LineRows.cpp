#include "LineRows.h"

void LineRows::reset(int lines)
{
    m_tree.resize(lines + 1);
    for (int i = 1; i <= lines; ++i)
        m_tree[i] = i & -i;
}

void LineRows::addLines(int lines)
{
    for (int k = 0; k < lines; ++k) {
        const int i = int(m_tree.size());
        m_tree.append(1 + rowsBefore(i - 1) - rowsBefore(i - (i & -i)));
    }
}

void LineRows::setRows(int line, int rows)
{
    const int change = rows - this->rows(line);
    for (int i = line + 1; i < m_tree.size(); i += i & -i)
        m_tree[i] += change;
}

int LineRows::rowsBefore(int line) const
{
    int sum = 0;
    for (int i = line; i > 0; i -= i & -i)
        sum += m_tree.at(i);
    return sum;
}

LineRows::Row LineRows::find(int row) const
{
    int line = 0;
    int step = 1;
    while (step * 2 <= lineCount())
        step *= 2;
    for (; step > 0; step /= 2) {
        if (line + step <= lineCount() && m_tree.at(line + step) <= row) {
            line += step;
            row -= m_tree.at(line);
        }
    }
    return { line, row };
}
