// Values typed into the cells of the grids, and the keys that store values (the c and C copies of
// the node table): the table's own rules decide what is stored, after one check that every grid
// shares - text that is no number at all is never stored as one.
#pragma once

#include <optional>
#include <string_view>

#include "forms/table_form.h"
#include "model/problem.h"
#include "operations/applied.h"

namespace velkor {

// A refusal when the text typed into a number cell is no number ("'1,5' is not a number: K of
// soil 2 kept at 5"); nothing when it may be committed.
std::optional<Result> refuseNonNumber(const TableForm& form, int col, int row, std::string_view text);

// Stores the text typed into a cell of the form, which edits `problem`. `shown` receives what the
// cell shows now, a message of the table's rules and whether the selection may move on. Text that
// is no number leaves the value as it was (outcome BadInput, shown as the stored value, the move
// allowed).
Applied editCell(Problem& problem, TableForm& form, int col, int row, std::string_view text,
                 CellCommit& shown);

// A key typed into a cell; `action` receives what the grid is to do. Changes the problem only for
// keys that store values.
Applied pressCellKey(Problem& problem, TableForm& form, char key, int col, int row,
                     std::string_view typedText, KeyAction& action);

} // namespace velkor
