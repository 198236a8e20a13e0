// Pathlines of the particles through the aquifer, in three dimensions.
//
// Horizontal motion follows the specific discharge of the element that holds a particle; the
// vertical discharge varies linearly over the saturated thickness, from the flow along the sloping
// bottom to the flow along the sloping water table (or confining top) less the infiltration. The
// particle velocity is the discharge divided by porosity times retardation. The tracker stores
// nothing of a pathline: a run starts from the start points and hands over each step at once (a
// plot window keeps the steps of a whole run to draw it again for another view, track_recording.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

class ElementLocator;

struct TrackPoint {
    double x = 0, y = 0, z = 0;
};

// Receives the steps of a run in the order they are taken. Particles are 0-based table indices.
class TrackConsumer {
  public:
    virtual ~TrackConsumer() = default;
    virtual void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) = 0;
    virtual void mark(int32_t particle, const TrackPoint& at) = 0;
};

// Bounds of a run. A particle on a closed circulation never leaves the aquifer, so a run ends
// after maxSweeps sweeps whatever happens; and whatever the number of particles, it hands over at
// most maxSegments steps in all, which bounds the pictures and tables drawn from it. At the mean
// discharge a particle crosses a mesh of NN nodes in some 400 sqrt(NN) steps, so a hundred
// particles crossing a mesh of a million elements take about 3e7 steps; the bound leaves room
// for that, and keeps a pathline table below about 4 GB (a run of 100 creeping particles wrote
// 6 GB before it met its sweep bound).
struct TrackLimits {
    int64_t maxSweeps = 1'000'000;
    int64_t maxSegments = 50'000'000;
};

// A particle stops as stagnant when a step leaves it where it was, or when it has moved less than
// h / 100 (about a thousandth of the mesh spacing, h being about a tenth of it) over the last
// kStagnationSweeps sweeps: at that pace the whole run of maxSweeps sweeps would not carry it
// across one element. A particle creeping towards a stagnation point, or to and fro across an
// element side, thus ends its pathline instead of adding steps too small to see.
inline constexpr int64_t kStagnationSweeps = 1000;
inline constexpr double kStagnationFraction = 0.01;

struct TrackReport {
    // NothingToDo: NP <= 0, nothing was done, not even the placement.
    // Done: every particle stopped.
    // Cancelled: the feedback asked to stop after a sweep.
    // LimitReached: maxSweeps sweeps were run with particles still moving, or maxSegments steps
    //   were handed over; the message says which.
    Result result{Outcome::NothingToDo, {}};
    double timeStep = 0; // days
    int64_t sweeps = 0;
    int64_t steps = 0;    // segments handed to the consumer
    int32_t stagnant = 0; // particles stopped as stagnant
    // Z of every particle after the placement clamped it into the saturated zone (empty when
    // nothing was run). The run works on a particle table of its own and hands them over here
    // (takeParticleHeights in operations takes them into the problem).
    std::vector<double> heights;
};

// Finds the element of every particle and clamps its Z into the saturated zone of that element
// (between the highest corner bottom and the lowest corner head and top); writes both into the
// particle table given (particles of the problem, NP of them).
void placeParticles(const Problem& problem, std::vector<Particle>& particles, const ElementLocator& locator);

// The element around start that holds (x, y), provided z lies between the element's average
// bottom and the lower of its average head and top; else -1.
int32_t searchElementAround(const Problem& problem, const ElementLocator& locator, double x, double y,
                            double z, int32_t start);

// Time step for tracking length h: 0.01 h over the mean discharge (at least 1e-6 m/d).
double trackingTimeStep(const Problem& problem, double h);

// Places the particles and moves them all, one step per sweep, until every one has stopped (or
// the run is cancelled or reaches its sweep limit). After every sweep the feedback hears of it
// (Stage::Tracking) and is asked whether to stop. A locator built for the present mesh may be
// handed in so that it is not built anew for every run.
//
// The problem is only read: the run places and moves a copy of the particle table, and the
// clamped heights come back in the report. Runs may therefore go on beside each other and beside
// readers of the problem (windows drawing while a worker thread tracks), as long as nothing
// changes the problem meanwhile.
TrackReport trackParticles(const Problem& problem, double h, TrackConsumer& consumer,
                           Feedback* feedback = nullptr, const TrackLimits& limits = {},
                           const ElementLocator* locator = nullptr);

} // namespace velkor
