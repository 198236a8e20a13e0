// The general data grid of the main window, as plain operations on the problem model: the row
// labels, the text of each row and the validation run when the user leaves an editable row.
#pragma once

#include <string>
#include <string_view>

#include "model/problem.h"

namespace velkor {

// Rows of the general data grid; rows up to NM are shown only, the rest are typed by the user.
enum class GeneralRow {
    FileName = 0,
    NA = 1,
    NB = 2,
    NW = 3,
    NN = 4,
    NM = 5,
    ProblemName = 6,
    LX = 7,
    LY = 8,
    NP = 9,
    TM = 10
};

inline constexpr int kGeneralRowCount = 11;
inline constexpr int kGeneralFirstEditableRow = 6;

// Outcome of leaving one editable cell of the general data grid.
struct GeneralCell {
    std::string text;      // written back into the cell being left
    std::string message;   // shown in a message box first; empty for none
    bool allowMove = true; // false keeps the selection in the cell being left
};

// Validates the text of the row being left and stores the value into the problem. Whatever the
// outcome, new particles beyond the saved count start at (0, 0, 0) and LX, LY become the saved
// area size. Rows that are shown only are left untouched and allow the move.
GeneralCell validateGeneralCell(GeneralRow row, std::string_view text, Problem& problem);

// Label of column 0 and the text of column 1 for a row.
const char* generalRowLabel(GeneralRow row);
std::string generalRowText(GeneralRow row, const Problem& problem);

} // namespace velkor
