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

// Element table := blocks, NN := NA, NM := NB, NW := 0.
void resetMesh(Problem& problem);

MeshResult splitAllInFour(Problem& problem, const SplitProgress& progress = {});
MeshResult splitAllInTwo(Problem& problem, const SplitProgress& progress = {});

// A well at world point (x, y): on a node within the snap radius, else at the centre of the
// element holding the point with a local refinement; else a refusal message.
MeshResult addWell(Problem& problem, double x, double y);

void renumberNodes(Problem& problem);
void renumberElements(Problem& problem);

} // namespace velkor
