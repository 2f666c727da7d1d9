#pragma once

// Only the home line table, which nothing in the client shows, uses this; kept with that table.
// Where the selected row of the home line table is after a scroll step: in view, at `index` rows
// from the first visible row, or out of view.
struct NBHomeLineScrollType
{
    enum class Kind { line, none };
    Kind kind = Kind::none;
    int index = 0;

    static NBHomeLineScrollType line(int index) { return {Kind::line, index}; }
    static NBHomeLineScrollType none() { return {Kind::none, 0}; }
    bool operator==(const NBHomeLineScrollType &other) const
    {
        return kind == other.kind && (kind == Kind::none || index == other.index);
    }
};
