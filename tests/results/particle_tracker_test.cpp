#include <gtest/gtest.h>

#include <cmath>

#include "operations/work_copies.h"
#include "results/contour_plot.h"
#include "results/element_locator.h"
#include "results/particle_tracker.h"
#include "results/results_support.h"
#include "solver/element_velocities.h"

namespace velkor {
namespace {

using testing::addParticle;
using testing::addWell;
using testing::makeStrip;
using testing::RecordedStep;
using testing::StepRecorder;
using testing::StripLayout;

// A run as the windows make it: on a copy of the particle table, the clamped heights then taken
// into the problem's own.
TrackReport trackAndTakeHeights(Problem& problem, double h, TrackConsumer& consumer, Feedback* feedback,
                                const TrackLimits& limits = {}) {
    TrackReport report = trackParticles(problem, h, consumer, feedback, limits);
    takeParticleHeights(problem, report.heights);
    return report;
}

// The confined strip of the first validation problem: 1000 m long, heads 15 -> 10, K 1, n 0.4,
// so the particle velocity is 0.0125 m/d.
StripLayout validationStrip() {
    StripLayout layout;
    layout.nx = 20;
    layout.ny = 2;
    return layout;
}

TEST(ParticleTracker, MarksOfTheValidationStripLieAboutTwoHundredFiftyMetresApart) {
    Problem problem;
    makeStrip(problem, validationStrip());
    addParticle(problem, 10, 50, 5);
    const double h = planTrackingLength(problem);
    StepRecorder recorder;
    const TrackReport report = trackAndTakeHeights(problem, h, recorder, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Done);

    // The first sweep is a mark sweep: the first step ends with a mark.
    ASSERT_GE(recorder.steps.size(), 2u);
    EXPECT_FALSE(recorder.steps[0].isMark);
    EXPECT_TRUE(recorder.steps[1].isMark);
    EXPECT_EQ(recorder.steps[1].to.x, recorder.steps[0].to.x);

    const auto marks = recorder.marksOf(0);
    ASSERT_EQ(marks.size(), 4u); // at about 10, 260, 510 and 760 m
    const double stepLength = 0.0125 * report.timeStep;
    for (std::size_t k = 1; k < marks.size(); ++k) {
        EXPECT_NEAR(marks[k].to.x - marks[k - 1].to.x, 250, stepLength);
        EXPECT_DOUBLE_EQ(marks[k].to.y, 50);
        EXPECT_DOUBLE_EQ(marks[k].to.z, 5);
    }
    // The pathline ends at the last point inside the mesh.
    const auto segments = recorder.segmentsOf(0);
    EXPECT_LE(segments.back().to.x, 1000);
    EXPECT_GT(segments.back().to.x, 1000 - stepLength);
}

TEST(ParticleTracker, ParticleAboveTheWaterTableIsLoweredAndKeepsItsNewHeight) {
    StripLayout layout = validationStrip();
    layout.top = 30; // unconfined: the head is the saturated top
    Problem problem;
    makeStrip(problem, layout);
    addParticle(problem, 120, 20, 40);
    StepRecorder recorder;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    // The element holding (120, 20) spans x 100..150: its lowest corner head is at x = 150.
    const double lowestHead = 15 - 5 * 150.0 / 1000;
    EXPECT_DOUBLE_EQ(problem.particles[0].Z, lowestHead);
    ASSERT_FALSE(recorder.steps.empty());
    EXPECT_DOUBLE_EQ(recorder.steps[0].from.z, lowestHead);
}

TEST(ParticleTracker, ParticleOutsideTheMeshNeitherMovesNorHoldsUpTheRun) {
    Problem problem;
    makeStrip(problem, validationStrip());
    addParticle(problem, -50, 50, 5);
    addParticle(problem, 900, 50, 5);
    StepRecorder recorder;
    const TrackReport report = trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_TRUE(recorder.segmentsOf(0).empty());
    EXPECT_FALSE(recorder.segmentsOf(1).empty());
    EXPECT_DOUBLE_EQ(problem.particles[0].Z, 5);
}

TEST(ParticleTracker, StepsAreHandedOverParticleByParticleWithinEachSweep) {
    Problem problem;
    makeStrip(problem, validationStrip());
    problem.TM = 1e9;
    addParticle(problem, 100, 20, 5);
    addParticle(problem, 100, 80, 5);
    StepRecorder recorder;
    recorder.cancelAfter = 2;
    const TrackReport report = trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Cancelled);
    ASSERT_EQ(recorder.steps.size(), 6u);
    const bool marks[] = {false, true, false, true, false, false};
    const int32_t particles[] = {0, 0, 1, 1, 0, 1};
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(recorder.steps[k].isMark, marks[k]) << k;
        EXPECT_EQ(recorder.steps[k].particle, particles[k]) << k;
    }
    EXPECT_EQ(recorder.steps[4].from.x, recorder.steps[0].to.x);
}

TEST(ParticleTracker, PumpingWellCapturesAtItsNodeAndOtherWellsDoNot) {
    StripLayout layout = validationStrip();
    Problem problem;
    makeStrip(problem, layout);
    const int32_t wellNode = testing::stripNode(layout, 10, 1); // (500, 50)
    addWell(problem, wellNode, -100);
    addParticle(problem, 300, 50, 5);
    const double h = planTrackingLength(problem);
    StepRecorder recorder;
    trackAndTakeHeights(problem, h, recorder, &recorder);
    const auto segments = recorder.segmentsOf(0);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.back().to.x, 500);
    EXPECT_EQ(segments.back().to.y, 50);
    EXPECT_EQ(segments.back().to.z, 5);
    // The capture happens at the first step whose end comes within 10 h (Manhattan) of the well.
    EXPECT_GE(500 - segments.back().from.x, 10 * h - 0.02);
    EXPECT_LT(500 - segments[segments.size() - 2].to.x, 10 * h + 1);

    // An injection well (Q >= 0) lets the particle pass.
    problem.wellQ[0] = 0;
    problem.particles[0].Z = 5;
    StepRecorder passing;
    trackAndTakeHeights(problem, h, passing, &passing);
    EXPECT_GT(passing.segmentsOf(0).back().to.x, 990);
}

TEST(ParticleTracker, EveryWellIsExaminedSoALaterWellCapturesAgain) {
    StripLayout layout = validationStrip();
    Problem problem;
    makeStrip(problem, layout);
    addWell(problem, testing::stripNode(layout, 10, 1), -100); // (500, 50)
    addWell(problem, testing::stripNode(layout, 11, 1), -100); // (550, 50), within 10 h of the first
    addParticle(problem, 300, 50, 5);
    StepRecorder recorder;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    const auto segments = recorder.segmentsOf(0);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.back().to.x, 550);
    EXPECT_EQ(segments.back().to.y, 50);
}

TEST(ParticleTracker, EveryStepIsMarkedWhenTheTimeBetweenMarksIsNotPositive) {
    Problem problem;
    makeStrip(problem, validationStrip());
    problem.TM = 0;
    addParticle(problem, 940, 50, 5);
    StepRecorder recorder;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    ASSERT_GT(recorder.steps.size(), 10u);
    ASSERT_EQ(recorder.steps.size() % 2, 0u);
    for (std::size_t k = 0; k < recorder.steps.size(); k += 2) {
        EXPECT_FALSE(recorder.steps[k].isMark);
        EXPECT_TRUE(recorder.steps[k + 1].isMark);
    }
}

TEST(ParticleTracker, ParticleOnAHorizontalBottomStaysOnIt) {
    StripLayout layout = validationStrip();
    layout.top = 30; // unconfined, so the top slope flow is not zero
    Problem problem;
    makeStrip(problem, layout);
    addParticle(problem, 200, 50, -3); // raised to the bottom by the placement
    StepRecorder recorder;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    EXPECT_EQ(problem.particles[0].Z, 0);
    ASSERT_GT(recorder.steps.size(), 100u);
    for (const RecordedStep& step : recorder.steps)
        EXPECT_EQ(step.to.z, 0);
}

TEST(ParticleTracker, ParticleRisesOrSinksWithTheSlopeFlows) {
    StripLayout layout = validationStrip();
    layout.top = 30;
    Problem problem;
    makeStrip(problem, layout);
    // Halfway between bottom and water table the vertical discharge is halfway between the bottom
    // slope flow (0) and the top slope flow (qx dF/dx < 0): the particle sinks.
    addParticle(problem, 200, 50, 7);
    StepRecorder recorder;
    recorder.cancelAfter = 50;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    const auto segments = recorder.segmentsOf(0);
    ASSERT_EQ(segments.size(), 50u);
    EXPECT_LT(segments.back().to.z, 7);
    EXPECT_GT(segments.back().to.z, 6.9);
}

TEST(ParticleTracker, WithoutSaturatedThicknessParticleMovesHorizontally) {
    StripLayout layout = validationStrip();
    layout.top = 0; // top on the bottom: no saturated thickness anywhere
    Problem problem;
    makeStrip(problem, layout);
    addParticle(problem, 200, 50, 5);
    StepRecorder recorder;
    recorder.cancelAfter = 20;
    trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    EXPECT_EQ(problem.particles[0].Z, 0);
    const auto segments = recorder.segmentsOf(0);
    ASSERT_EQ(segments.size(), 20u);
    EXPECT_GT(segments.back().to.x, 200);
    for (const RecordedStep& step : segments)
        EXPECT_EQ(step.to.z, 0);
}

TEST(ParticleTracker, StagnantParticleStopsAfterOneStep) {
    StripLayout layout = validationStrip();
    layout.hL = layout.h0; // no flow
    Problem problem;
    makeStrip(problem, layout);
    addParticle(problem, 200, 50, 5);
    StepRecorder recorder;
    const TrackReport report = trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_EQ(report.stagnant, 1);
    EXPECT_EQ(report.sweeps, 1);
    ASSERT_EQ(recorder.steps.size(), 2u); // the zero-length step and its mark
}

TEST(ParticleTracker, RunEndsAtItsSweepLimit) {
    Problem problem;
    makeStrip(problem, validationStrip());
    addParticle(problem, 10, 50, 5);
    StepRecorder recorder;
    const TrackReport report =
        trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder, TrackLimits{25});
    EXPECT_EQ(report.result.outcome, Outcome::LimitReached);
    EXPECT_EQ(report.sweeps, 25);
    EXPECT_EQ(report.result.message,
              "Particle tracking stopped after 25 sweeps with particles still moving.");
    EXPECT_EQ(recorder.segmentsOf(0).size(), 25u);
}

TEST(ParticleTracker, CreepingParticleStopsAsStagnantWhileASlowOneGoesOn) {
    // Regression: particles moving by steps too small to see kept a run going for its 10^6 sweeps
    // (6.3 GB of pathline table for 100 of them). The discharge 0.005 K lies below the 1e-6 m/d the
    // time step is made for: with K = 1e-8 a particle moves 1.25e-6 h per sweep, 0.00125 h in
    // 1000 sweeps, less than h / 100; with K = 1e-6 it moves 0.125 h and goes on.
    for (const double K : {1e-8, 1e-6}) {
        SCOPED_TRACE(K);
        StripLayout layout = validationStrip();
        layout.K = K;
        Problem problem;
        makeStrip(problem, layout);
        addParticle(problem, 200, 50, 5);
        StepRecorder recorder;
        recorder.cancelAfter = 2500;
        const TrackReport report =
            trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder);
        const bool creeping = K < 1e-7;
        EXPECT_EQ(report.result.outcome, creeping ? Outcome::Done : Outcome::Cancelled);
        EXPECT_EQ(report.stagnant, creeping ? 1 : 0);
        EXPECT_EQ(report.sweeps, creeping ? kStagnationSweeps : 2500);
        EXPECT_GT(recorder.segmentsOf(0).back().to.x, 200);
    }
}

TEST(ParticleTracker, RunEndsAtItsBoundOfStepsWithAMessage) {
    Problem problem;
    makeStrip(problem, validationStrip());
    addParticle(problem, 10, 50, 5);
    addParticle(problem, 10, 60, 5);
    StepRecorder recorder;
    TrackLimits limits;
    limits.maxSegments = 31;
    const TrackReport report =
        trackAndTakeHeights(problem, planTrackingLength(problem), recorder, &recorder, limits);
    EXPECT_EQ(report.result.outcome, Outcome::LimitReached);
    EXPECT_EQ(report.steps, 31);
    EXPECT_EQ(recorder.segmentsOf(0).size() + recorder.segmentsOf(1).size(), 31u);
    EXPECT_EQ(recorder.segmentsOf(0).size(), 16u); // the bound falls within the 16th sweep
    EXPECT_EQ(report.result.message,
              "Particle tracking stopped after 31 steps in all, the most one run draws; the "
              "pathlines end where they had got to.");
}

// A run only reads the problem: it places and moves a particle table of its own and hands the
// clamped heights back. Two runs at once (a window drawing while another prints) therefore trace
// the same pathlines, and the problem's table stays as it was until the heights are taken.
class NestedRun : public StepRecorder {
  public:
    const Problem* problem = nullptr;
    StepRecorder inner;
    TrackReport nested;
    bool cancelRequested() override {
        if (sweeps == 1) nested = trackParticles(*problem, 1, inner, &inner);
        return false;
    }
};

TEST(ParticleTracker, RunsBesideEachOtherReadTheProblemOnly) {
    Problem problem;
    makeStrip(problem, validationStrip());
    addParticle(problem, 10, 50, 40); // above the water table
    addParticle(problem, 30, 50, 5);
    NestedRun outer;
    outer.problem = &problem;
    const TrackReport report = trackParticles(problem, 1, outer, &outer);
    EXPECT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_EQ(outer.nested.result.outcome, Outcome::Done);
    ASSERT_EQ(outer.steps.size(), outer.inner.steps.size());
    for (std::size_t k = 0; k < outer.steps.size(); ++k) {
        ASSERT_EQ(outer.steps[k].to.x, outer.inner.steps[k].to.x) << k;
        ASSERT_EQ(outer.steps[k].to.z, outer.inner.steps[k].to.z) << k;
    }
    EXPECT_EQ(problem.particles[0].Z, 40);
    EXPECT_EQ(problem.particles[0].element, -1);
    ASSERT_EQ(report.heights.size(), 2u);
    EXPECT_LT(report.heights[0], 15.0); // lowered to the water table
    EXPECT_EQ(report.heights[1], 5);
    EXPECT_EQ(outer.nested.heights, report.heights);
}

TEST(ParticleTracker, WithoutParticlesNothingIsTouched) {
    Problem problem;
    makeStrip(problem, validationStrip());
    problem.particles[0] = Particle{100, 50, 40, 7};
    StepRecorder recorder;
    EXPECT_EQ(trackAndTakeHeights(problem, 10, recorder, &recorder).result.outcome, Outcome::NothingToDo);
    EXPECT_EQ(problem.particles[0].Z, 40);
    EXPECT_EQ(problem.particles[0].element, 7);
}

TEST(ParticleTracker, ElementSearchRejectsPointsOutsideTheSaturatedZoneOfTheFirstElementReached) {
    Problem problem;
    makeStrip(problem, validationStrip()); // B 0, T 10, heads above 10: saturated 0..10
    const ElementLocator locator(problem);
    EXPECT_EQ(searchElementAround(problem, locator, 120, 20, 5, 0), 8);
    EXPECT_EQ(searchElementAround(problem, locator, 120, 20, 10.5, 0), -1);
    EXPECT_EQ(searchElementAround(problem, locator, 120, 20, -0.1, 0), -1);
    EXPECT_EQ(searchElementAround(problem, locator, 120, 20, NAN, 0), -1);
}

TEST(ParticleTracker, TimeStepComesFromTheMeanDischargeWithAFloor) {
    Problem problem;
    makeStrip(problem, validationStrip());
    EXPECT_NEAR(trackingTimeStep(problem, 10), 0.01 * 10 / 0.005, 1e-9);
    problem.meanQx = problem.meanQy = 0;
    EXPECT_DOUBLE_EQ(trackingTimeStep(problem, 10), 0.01 * 10 / 1e-6);
}

} // namespace
} // namespace velkor
