// The state of the two editors: what the block editor and the mesh editor share (the modes, the
// node the mouse or the x/y boxes act on, the exit count of the boxes), and what each editor
// window shows beside its picture (the x/y panel and the status label).
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// Program-wide, owned with the rest of the window state. The mesh editor uses the New Node flag
// for its Add Well mode, and the same pending node and exit count; Set Nodes is its own.
struct EditorState {
    bool lineMode = false;
    bool dragMode = false;
    bool newNodeMode = false;  // New Node in the block editor, Add Well in the mesh editor
    bool setNodesMode = false; // Set Nodes in the mesh editor
    bool lineStarted = false;  // a line has its start node; the rubber band is shown
    bool dragging = false;     // a node is held by the mouse
    int32_t pendingNode = -1;  // the node the mouse or the x/y boxes act on; -1 for none
    int32_t lineStartNode = -1;
    double lineStartX = 0, lineStartY = 0;
    double rubberEndX = 0, rubberEndY = 0; // world point of the last move of a line
    int exitCount = 0;                     // exits from the x/y boxes since Drag Node was pressed
};

// One editor window's display: PanelXY with EditX and EditY, and LabelOperation.
struct EditorDisplay {
    bool panelShown = false;
    std::string editX = "0.0", editY = "0.0";
    bool labelShown = false;
    std::string label;

    void hideModeDisplay() {
        panelShown = false;
        label.clear();
        labelShown = false;
    }
};

} // namespace velkor
