// Mesh reset, Split 4, Split 2, Add Well and the renumbering that follows each of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/problem.h"

namespace velkor {

// Current NN and NM, handed out after every element of a Split pass. The caller formats the
// status text (splitStatusText) only when it shows it.
using SplitProgress = std::function<void(int32_t NN, int32_t NM)>;

enum class SplitKind { Four, Two };

// "Split 4 : %d Nodes, %d Elements" or "Split 2 : %d Nodes, %d Elements".
std::string splitStatusText(SplitKind kind, int32_t NN, int32_t NM);

// Outcome of a mesh operation: the refusal message to show, empty when there is none.
struct MeshResult {
    std::string message;
};

// Refusal of the Add Well button when NW = BMAX (checked by the caller before the mode starts;
// addWell refuses with it too).
inline constexpr const char* kWellCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of wells can not be increased further.\n\n"
    "The capacity of the program can be increased by increasing the value of "
    "BMAX in the main window.";

// Element table := blocks, NN := NA, NM := NB, NW := 0.
void resetMesh(Problem& problem);

MeshResult splitAllInFour(Problem& problem, const SplitProgress& progress = {});
MeshResult splitAllInTwo(Problem& problem, const SplitProgress& progress = {});

// A well at world point (x, y): on a node within the snap radius, else at the centre of the
// element holding the point with a local refinement; else a refusal message.
MeshResult addWell(Problem& problem, double x, double y);

// Order of the nodes behind the main nodes, then order of the elements; both by the carried
// heapsort on the order key X + 0.001 Y. Tables that fail meshTablesAreSound are left alone.
// Both return false, with the tables untouched, when their work arrays cannot be had.
bool renumberNodes(Problem& problem);
bool renumberElements(Problem& problem);

// True when the counts fit the tables and every element and well refers to a node below NN.
// The operations above refuse to touch tables that fail this test.
bool meshTablesAreSound(const Problem& problem);

} // namespace velkor
