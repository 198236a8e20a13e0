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

namespace velkor {

inline const Font kNodeNumberFont{"Courier New", 11, false, false, true};
inline const Font kBlockNumberFont{"Courier New", 13, false, true, true};

// The silver frame and the white area, then every block filled with its colour and numbered,
// then every main node numbered.
void drawBlockEditor(Canvas& canvas, const Problem& problem, const ViewMapping& view);

// The silver frame and the white area, then every element filled with its soil's colour, then a
// red circle around every well node.
void drawMeshEditor(Canvas& canvas, const Problem& problem, const ViewMapping& view);

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
