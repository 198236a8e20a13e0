#include "results/particle_tracker.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "model/number_text.h"
#include "model/table.h"
#include "results/element_locator.h"

namespace velkor {

namespace {

// Element averages of bottom, top and head, each corner value weighted by one third.
struct Averages {
    double B, T, F;
};

Averages elementAverages(const Problem& problem, int32_t element) {
    const Element& e = problem.elements[idx(element)];
    const Node& a = problem.nodes[idx(e.node[0])];
    const Node& b = problem.nodes[idx(e.node[1])];
    const Node& c = problem.nodes[idx(e.node[2])];
    const double third = 1.0 / 3.0;
    return Averages{a.B * third + b.B * third + c.B * third, a.T * third + b.T * third + c.T * third,
                    a.F * third + b.F * third + c.F * third};
}

} // namespace

void placeParticles(const Problem& problem, std::vector<Particle>& particles, const ElementLocator& locator) {
    const int32_t count = std::min(problem.usedParticleCount(), static_cast<int32_t>(particles.size()));
    for (int32_t p = 0; p < count; ++p) {
        Particle& particle = particles[idx(p)];
        const int32_t m = locator.elementForPlacement(particle.X, particle.Y);
        particle.element = m;
        if (m < 0) continue;
        const Element& e = problem.elements[idx(m)];
        const Node& first = problem.nodes[idx(e.node[0])];
        double bottomMax = first.B, headMin = first.F, topMin = first.T;
        for (int k = 1; k < 3; ++k) {
            const Node& corner = problem.nodes[idx(e.node[k])];
            if (corner.B > bottomMax) bottomMax = corner.B;
            if (corner.F < headMin) headMin = corner.F;
            if (corner.T < topMin) topMin = corner.T;
        }
        double z = particle.Z;
        if (z < bottomMax) z = bottomMax;
        if (z > headMin) z = headMin;
        if (z > topMin) z = topMin;
        particle.Z = z;
    }
}

int32_t searchElementAround(const Problem& problem, const ElementLocator& locator, double x, double y,
                            double z, int32_t start) {
    const int32_t m = locator.elementAround(x, y, start);
    if (m < 0) return -1;
    const Averages average = elementAverages(problem, m);
    // Written so that a height that is not a number lies outside every element.
    if (!(z >= average.B) || z > average.F || z > average.T) return -1;
    return m;
}

double trackingTimeStep(const Problem& problem, double h) {
    double meanDischarge = std::sqrt(problem.meanQx * problem.meanQx + problem.meanQy * problem.meanQy);
    if (meanDischarge < 1e-6) meanDischarge = 1e-6;
    return 0.01 * h / meanDischarge;
}

TrackReport trackParticles(const Problem& problem, double h, TrackConsumer& consumer, Feedback* feedback,
                           const TrackLimits& limits, const ElementLocator* sharedLocator) {
    TrackReport report;
    if (problem.NP <= 0) return report;

    std::optional<ElementLocator> ownLocator;
    if (!sharedLocator || sharedLocator->elementCount() != problem.usedElementCount())
        ownLocator.emplace(problem);
    const ElementLocator& locator = ownLocator ? *ownLocator : *sharedLocator;
    // The run's own particle table: the problem's stays as it is, for every reader of it.
    std::vector<Particle> particles(problem.particles.begin(),
                                    problem.particles.begin() + problem.usedParticleCount());
    placeParticles(problem, particles, locator);
    report.heights.resize(particles.size());
    for (std::size_t p = 0; p < particles.size(); ++p)
        report.heights[p] = particles[p].Z;

    const int32_t count = static_cast<int32_t>(particles.size());
    const int32_t wells = problem.usedWellCount();
    const int32_t nodes = problem.usedNodeCount();
    std::vector<double> px(idx(count)), py(px.size()), pz(px.size());
    // Where each particle was kStagnationSweeps sweeps ago.
    std::vector<TrackPoint> anchor(px.size());
    int32_t active = 0;
    for (int32_t p = 0; p < count; ++p) {
        const Particle& particle = particles[idx(p)];
        px[idx(p)] = particle.X;
        py[idx(p)] = particle.Y;
        pz[idx(p)] = particle.Z;
        anchor[idx(p)] = TrackPoint{particle.X, particle.Y, particle.Z};
        if (particle.element != -1) ++active;
    }
    const double stagnantDistance = kStagnationFraction * h;

    const double dt = trackingTimeStep(problem, h);
    report.timeStep = dt;
    double elapsed = 0;
    int64_t sweepsSinceMark = 0;
    report.result.outcome = Outcome::Done;

    while (active > 0) {
        if (report.sweeps >= limits.maxSweeps) {
            report.result = Result::failed(
                Outcome::LimitReached,
                format("Particle tracking stopped after %lld sweeps with particles still moving.",
                       static_cast<long long>(report.sweeps)));
            break;
        }
        for (int32_t p = 0; p < count && report.result.outcome == Outcome::Done; ++p) {
            Particle& particle = particles[idx(p)];
            if (particle.element == -1) continue;
            const int32_t e = particle.element;
            const Element& element = problem.elements[idx(e)];
            const std::size_t soilIndex = idx(element.soil);
            if (element.soil < 0 || soilIndex >= problem.soils.size()) {
                // No soil, no porosity: the particle cannot be moved.
                particle.element = -1;
                --active;
                continue;
            }
            const Soil& soil = problem.soils[soilIndex];
            const double c = soil.n * soil.R;
            const Averages average = elementAverages(problem, e);
            const double saturatedTop = average.T < average.F ? average.T : average.F;

            const double x = px[idx(p)];
            const double y = py[idx(p)];
            const double z = pz[idx(p)];
            double xn = x + element.qx * dt / c;
            double yn = y + element.qy * dt / c;
            // Where the saturated thickness vanishes the vertical discharge has no profile: the
            // particle moves horizontally there.
            double dz = 0;
            if (saturatedTop != average.B) {
                const double w = element.bottomSlopeFlow + (element.topSlopeFlow - element.bottomSlopeFlow) *
                                                               (z - average.B) / (saturatedTop - average.B);
                dz = w * dt / c;
                if (!std::isfinite(dz)) dz = 0;
            }
            double zn = z + dz;

            const int32_t m = searchElementAround(problem, locator, xn, yn, zn, e);
            if (m == -1) {
                particle.element = -1;
                --active;
                continue;
            }

            bool captured = false;
            for (int32_t i = 0; i < wells; ++i) {
                const int32_t node = problem.wellNodes[idx(i)];
                if (node < 0 || node >= nodes) continue;
                const Node& well = problem.nodes[idx(node)];
                const double d = std::fabs(well.X - xn) + std::fabs(well.Y - yn);
                if (d < 10 * h && problem.wellQ[idx(i)] < 0) {
                    xn = well.X;
                    yn = well.Y;
                    zn = z + dz * d / h;
                    captured = true;
                }
            }

            if (report.steps >= limits.maxSegments) {
                report.result =
                    Result::failed(Outcome::LimitReached,
                                   format("Particle tracking stopped after %lld steps in all, the most "
                                          "one run draws; the pathlines end where they had got to.",
                                          static_cast<long long>(report.steps)));
                break;
            }
            const TrackPoint from{x, y, z}, to{xn, yn, zn};
            consumer.segment(p, from, to);
            ++report.steps;
            if (sweepsSinceMark == 0) consumer.mark(p, to);

            px[idx(p)] = xn;
            py[idx(p)] = yn;
            pz[idx(p)] = zn;
            const bool standing = xn == x && yn == y && zn == z;
            if (captured || standing) {
                if (standing && !captured) ++report.stagnant;
                particle.element = -1;
                --active;
            } else {
                particle.element = m;
            }
        }
        if (report.result.outcome != Outcome::Done) break;
        elapsed = elapsed + dt;
        ++sweepsSinceMark;
        ++report.sweeps;
        if (report.sweeps % kStagnationSweeps == 0) {
            for (int32_t p = 0; p < count; ++p) {
                Particle& particle = particles[idx(p)];
                if (particle.element == -1) continue;
                const auto i = idx(p);
                TrackPoint& was = anchor[i];
                const double dx = px[i] - was.x, dy = py[i] - was.y, dz = pz[i] - was.z;
                if (std::sqrt(dx * dx + dy * dy + dz * dz) < stagnantDistance) {
                    particle.element = -1;
                    --active;
                    ++report.stagnant;
                }
                was = TrackPoint{px[i], py[i], pz[i]};
            }
        }
        if (elapsed > problem.TM) {
            elapsed = 0;
            sweepsSinceMark = 0;
        }
        if (feedback) {
            Progress progress;
            progress.stage = Stage::Tracking;
            progress.sweep = report.sweeps;
            feedback->progress(progress);
            if (feedback->cancelRequested()) {
                report.result.outcome = Outcome::Cancelled;
                break;
            }
        }
    }

    return report;
}

} // namespace velkor
