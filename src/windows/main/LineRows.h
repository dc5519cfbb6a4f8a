#pragma once

#include <QList>

// How many rows each line of the log takes in the view, and how many rows come before a line,
// each found in a time that grows only with the logarithm of the line count (a Fenwick tree).
// A line counts one row until the view has laid it out.
class LineRows
{
public:
    // `lines` lines of one row each.
    void reset(int lines);
    void addLines(int lines);

    int lineCount() const { return int(m_tree.size()) - 1; }
    int rows(int line) const { return rowsBefore(line + 1) - rowsBefore(line); }
    void setRows(int line, int rows);
    int rowsBefore(int line) const;

    struct Row
    {
        int line;
        int row;
    };
    // The line that holds the view's `row`th row, and which of its rows that is; past the end,
    // the line count.
    Row find(int row) const;

private:
    // m_tree[i] holds the rows of lines i - (i & -i) to i - 1; m_tree[0] is unused.
    QList<int> m_tree { 0 };
};
