// Runs of consecutive elements with their extent in the world and the range of their heads, so
// that a plan picture of a small part of a large mesh looks only at the elements near that part,
// and its contours only at the elements that some level crosses, in their table order (which the
// picture keeps: later elements are drawn over earlier ones). The program numbers elements from
// left to right, so a run of consecutive elements is a short strip of the mesh.
#pragma once

#include <cstdint>
#include <vector>

#include "model/problem.h"
#include "results/zoom_view.h"

namespace velkor {

class ElementRuns {
  public:
    static constexpr int32_t kRunLength = 64;

    // Indexes elements 0..NM-1 as they are now; it must be built again when the nodes (their
    // places or heads) or the elements change.
    explicit ElementRuns(const Problem& problem);

    int32_t elementCount() const { return count_; }

    // Elements [first, last) of the table that a picture must look at, with what the whole run
    // says about the size of its elements on the canvas.
    struct Span {
        int32_t first = 0, last = 0;
        bool allSmall = false;  // every element's extent times the scale is below the limit
        bool noneSmall = false; // no element's is
        bool inside = false;    // every element lies inside the world window
        // The heads of the run's elements lie from headLow to headHigh; not known (NaN heads or a
        // span without runs) means any level may cross it.
        bool headsKnown = false;
        double headLow = 0, headHigh = 0;
    };
    // The runs that may reach into the world window (all of them without one), in table order;
    // `small` is the limit of an element's larger extent (in canvas
    // units) at `scale` canvas units per metre.
    std::vector<Span> spans(const WorldRect* window, double scale, double small) const;

  private:
    struct Run {
        double xmin, ymin, xmax, ymax;
        double smallest, largest; // of the elements' larger extents (width or height)
        bool regular;             // every element has usable corners with finite coordinates
        double headLow, headHigh;
        bool headsKnown; // every element's corners have heads that are numbers
    };
    int32_t count_ = 0;
    std::vector<Run> runs_;
};

// The spans of a picture: through the runs when there are any, else the whole table at once.
std::vector<ElementRuns::Span> elementSpans(const ElementRuns* runs, int32_t count, const WorldRect* window,
                                            double scale, double small);

} // namespace velkor
