// The option settings: what the solve command, the print command and the plots read. The options
// window edits them; the readers query them each time they run.
#pragma once

namespace velkor {

// Both track bars run over whole positions in this range.
inline constexpr int kTrackBarMinimum = 0;
inline constexpr int kTrackBarMaximum = 10;

// Viewing angle of the 3D graph in degrees for a track position: 90 x position / range, kept
// within 1..89 so that the plan never lies flat or edge-on.
inline double viewingAngleDegrees(int position, int minimum = kTrackBarMinimum,
                                  int maximum = kTrackBarMaximum) {
    const int range = maximum - minimum;
    double angle = range != 0 ? 90.0 * position / range : 45.0;
    if (angle < 1) angle = 1;
    if (angle > 89) angle = 89;
    return angle;
}

// Fraction of the printable width and height that a printed graph fills: position / (1.1 x range),
// so position 10 of 0..10 gives 10/11 and position 0 gives an empty drawing area.
inline double printScaleFactor(int position, int minimum = kTrackBarMinimum, int maximum = kTrackBarMaximum) {
    const int range = maximum - minimum;
    return range != 0 ? position / (1.1 * range) : 0.0;
}

// What the 3D graph shows and from which angle.
struct GraphChoices {
    bool CheckWater = true;  // groundwater table mesh
    bool CheckCont = true;   // head contours on the groundwater table
    bool CheckBottom = true; // mesh on the aquifer bottom
    bool CheckTop = false;   // mesh on the aquifer top
    double angleDegrees = 45;
};

// The option settings: every choice of the options window, each named after its control. They
// live for one run of the program; nothing stores them.
struct OptionSettings {
    // Solution options. The solve command reads the problem's preconditioner flag, which only a
    // click on the check box changes, and the fast solver choice itself; the fast solver, when
    // chosen, solves every cycle in place of either variant of the iteration.
    bool CheckPreconditioner = false;
    bool CheckFastSolver = false;
    // Print options: the report items, printed in this order.
    bool CheckGeneral = true;
    bool CheckNodes = false;
    bool CheckElements = false;
    bool CheckMesh = false;
    bool CheckContours = false;
    bool Check3D = false;
    bool CheckBudget = false; // the water budget, printed after the graphs
    int GraphScale = 5;       // track position 0..10
    // 3D-graph options.
    bool CheckWater = true;
    bool CheckCont = true;
    bool CheckBottom = true;
    bool CheckTop = false;
    int AngleScale = 5; // track position 0..10
    // Plot options: what the contour plot adds to the plan, on screen and on paper. Both off, the
    // plot is the plan alone.
    bool CheckLabelContours = false; // the head written along the contour lines
    bool CheckScaleBar = false;      // a metre scale in the plan

    double viewingAngle() const { return viewingAngleDegrees(AngleScale); }
    double printScale() const { return printScaleFactor(GraphScale); }
    GraphChoices graphChoices() const {
        return GraphChoices{CheckWater, CheckCont, CheckBottom, CheckTop, viewingAngle()};
    }
};

} // namespace velkor
