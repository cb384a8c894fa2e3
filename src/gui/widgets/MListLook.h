#pragma once

class QAbstractItemView;
class QTableView;

// What the panels' own lists share with the result table: whole rows selected one at a time, no
// editing, alternate row colours, no grid, one line a row at a fixed height (a list of many thousand
// rows stays quick), texts cut in the middle (paths are told apart by their ends).
void ApplyListLook(QTableView* view);
// Texts of `column` are read from their start (a paragraph, a file name): cut at their end instead.
void ElideAtEnd(QAbstractItemView* view, int column);
// Keeps `column` at its share of the view's width whenever the view changes size; the column the
// header stretches takes the rest.
void KeepColumnShare(QAbstractItemView* view, int column, int percent);
