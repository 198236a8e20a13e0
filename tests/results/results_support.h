// Problems built in memory for the results tests: structured strips with linear heads and their
// element velocities, and a comparison of call lists with golden files.
#pragma once

#include <string>
#include <vector>

#include "model/problem.h"
#include "results/particle_tracker.h"

namespace velkor::testing {

struct StripLayout {
    int nx = 10, ny = 2;        // cells along x and y; two triangles per cell
    double lx = 1000, ly = 100; // size (m), from the origin
    double h0 = 15, hL = 10;    // heads at x = 0 and x = lx, linear in between
    double bottom = 0, top = 10;
    double K = 1, n = 0.4, R = 1, I = 0;
    double TM = 20000;
    int particleCapacity = 100;
};

// Fills the problem (tables reallocated) with the strip, heads from the closed form, and computes
// the element velocities.
void makeStrip(Problem& problem, const StripLayout& layout);

// Node index of grid point (i, j) of a strip.
int32_t stripNode(const StripLayout& layout, int i, int j);

// A strip of 400 by 100 m, confined upstream and unconfined downstream, with a pumping well in its
// middle and two particles, one of them captured by the well.
void makeWellStrip(Problem& problem);

// The default problem with its stored heads (20, 20, 10) and velocities.
void makeDefaultProblem(Problem& problem);

void addParticle(Problem& problem, double x, double y, double z);
void addWell(Problem& problem, int32_t node, double q);

struct RecordedStep {
    bool isMark = false;
    int32_t particle = 0;
    TrackPoint from, to; // a mark has its point in to
};

// Collects the steps of a run; as the run's feedback it counts the sweeps and can stop the run
// after a given number of them.
class StepRecorder : public TrackConsumer, public Feedback {
  public:
    std::vector<RecordedStep> steps;
    int sweeps = 0;
    int cancelAfter = -1;
    void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) override;
    void mark(int32_t particle, const TrackPoint& at) override;
    void progress(const Progress& progress) override;
    bool cancelRequested() override;
    std::vector<RecordedStep> marksOf(int32_t particle) const;
    std::vector<RecordedStep> segmentsOf(int32_t particle) const;
};

// Compares text with tests/data/NAME; with VELKOR_UPDATE_GOLDEN set in the environment the file
// is written instead. Returns an empty string on a match, else a description of the difference.
std::string compareWithGolden(const std::string& actual, const std::string& name);

} // namespace velkor::testing
