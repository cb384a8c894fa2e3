#pragma once

#include "util/CheckAll.h"

#include <functional>

class QAbstractItemView;
class QAction;
class QMenu;
class QTableView;

// The three ticking actions of a list's check menu ("Check all", "Uncheck all", "Reverse"), added
// to `menu`; each calls `apply` with its mode. The actions come back in that order.
struct MCheckActions
{
    QAction* check = nullptr;
    QAction* uncheck = nullptr;
    QAction* reverse = nullptr;
};
MCheckActions AddCheckActions(
    QMenu* menu, const std::function<void(MCheckAll)>& apply, const char* reverseKey = "guiReverseChecks");

// The look of every list (the result table, the panels' own lists): whole rows selected one at a
// time, no editing, alternate row colours, no grid, one line a row at a fixed height (a list of many
// thousand rows stays quick), texts cut in the middle (paths are told apart by their ends).
void ApplyListLook(QTableView* view);
// Texts of `column` are read from their start (a paragraph, a file name): cut at their end instead.
void ElideAtEnd(QAbstractItemView* view, int column);
// Keeps `column` at its share of the view's width whenever the view changes size; the column the
// header stretches takes the rest.
void KeepColumnShare(QAbstractItemView* view, int column, int percent);
