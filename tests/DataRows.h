#pragma once
// Data tables of QtTest written one row a line: the columns' types and names
// once, then each row's name and cells.

#include <QTest>

namespace zvtest {

template <typename... Types> void columns(auto... names) {
    (QTest::addColumn<Types>(names), ...);
}

inline void row(const char* name, auto... cells) {
    (QTest::newRow(name) << ... << cells);
}

} // namespace zvtest
