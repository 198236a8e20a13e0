// Mesh reset, Split 4, Split 2, Add Well and the renumbering that follows each of them.
#pragma once

#include <cstdint>
#include <string>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

// Refusal of the Add Well button when NW = BMAX (checked by the caller before the mode starts;
// addWell refuses with it too).
inline constexpr const char* kWellCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of wells can not be increased further.\n\n"
    "The capacity of the program can be increased by increasing the value of "
    "BMAX in the main window.";

// Element table := blocks, NN := NA, NM := NB, NW := 0.
void resetMesh(Problem& problem);

// A Split pass reports the current NN and NM (Stage::Split4 or Split2) and the share of the
// elements visited after every element to the feedback, which formats the status text only when it
// shows it. Asked between elements, the feedback may cancel the pass: it then ends with
// Outcome::Cancelled and leaves the mesh half split and not renumbered, for the caller to put back
// (splitMesh in operations/mesh_edits.h does).
Result splitAllInFour(Problem& problem, Feedback* feedback = nullptr);
Result splitAllInTwo(Problem& problem, Feedback* feedback = nullptr);

// A well at world point (x, y): on a node within the snap radius, else at the centre of the
// element holding the point with a local refinement; else a refusal message.
Result addWell(Problem& problem, double x, double y);

// Order of the nodes behind the main nodes, then order of the elements; both by the carried
// heapsort on the order key X + 0.001 Y. Tables that fail meshTablesAreSound are left alone.
// Both return false, with the tables untouched, when their work arrays cannot be had.
bool renumberNodes(Problem& problem);
bool renumberElements(Problem& problem);

// True when the counts fit the tables and every element and well refers to a node below NN.
// The operations above refuse to touch tables that fail this test.
bool meshTablesAreSound(const Problem& problem);

} // namespace velkor
