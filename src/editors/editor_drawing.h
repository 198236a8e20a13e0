// The pictures of the two editors on a Canvas: the problem area in its silver frame, the blocks
// with their numbers and the main node numbers (block editor), the elements in the colours of
// their soils and the wells (mesh editor), the rubber band of a new line, and the area Set Nodes
// picks with the nodes it caught.
#pragma once

#include "editors/editor_state.h"
#include "editors/editor_tools.h"
#include "editors/view_mapping.h"
#include "model/problem.h"
#include "results/canvas.h"
#include "results/plan_index.h"

namespace velkor {

inline const Font kNodeNumberFont{"Courier New", 11, false, false, true};
inline const Font kBlockNumberFont{"Courier New", 13, false, true, true};

// The silver frame and the white area, then every block filled with its colour and numbered,
// then every main node numbered.
void drawBlockEditor(Canvas& canvas, const Problem& problem, const ViewMapping& view);

// What the mesh editor's picture leaves out. The defaults draw every element with its sides.
struct MeshPictureOptions {
    bool meshLines = true; // false: the elements without their sides, the blocks outlined
    // A zoomed picture leaves out the elements wholly outside the canvas of this many pixels.
    bool cull = false;
    int canvasWidth = 0, canvasHeight = 0;
    // Runs of the present mesh, when the caller keeps them: a zoomed picture then looks only at
    // the elements near the canvas (the picture is the same).
    const ElementRuns* runs = nullptr;
};

// An element whose corners lie within this many pixels of each other, in both directions, is too
// small for its sides to be told apart: it is drawn in its colour alone, and the block it belongs
// to is outlined.
inline constexpr int kDenseMeshElement = 3;

// The silver frame and the white area, then every element filled with its soil's colour, then a
// red circle around every well node. Where elements are drawn without their sides, the blocks are
// filled in their colours first and outlined in black after the elements.
void drawMeshEditor(Canvas& canvas, const Problem& problem, const ViewMapping& view,
                    const MeshPictureOptions& options = {});

// The line from the start node of a new line to the last point of the mouse, in not-xor mode:
// over the picture it stands out on any colour, and drawn again it is gone.
void drawRubberBand(Canvas& canvas, const EditorState& state, const ViewMapping& view);

// Over the mesh: the rectangle or the line of Set Nodes in not-xor mode (with a last segment to
// the mouse while the line is being laid), then, once the pick is complete, every caught node as
// a yellow square.
void drawNodePick(Canvas& canvas, const Problem& problem, const SetNodesTool& tool, const ViewMapping& view);

// Colour of block (and soil) index i from the colour table.
Colour blockColour(const Problem& problem, int32_t block);

} // namespace velkor
