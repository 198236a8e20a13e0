// Result outputs of velkor-batch: pathlines as CSV (the table of csv_export.h), contour levels, and the
// pictures of the contour window and the 3D-graph window as SVG. They run after all operations, in this
// order: tracking, levels, pictures. Every tracking run leaves the heights it clamped the particles to
// in the particle table, as the windows do, so that -o writes them.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "batch/batch.h"
#include "io/text_file.h"
#include "model/number_text.h"
#include "operations/work_copies.h"
#include "results/contour_levels.h"
#include "results/contour_plot.h"
#include "results/csv_export.h"
#include "results/particle_tracker.h"
#include "results/svg_canvas.h"
#include "results/three_d_graph.h"
#include "results/zoom_view.h"

namespace velkor::batch {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Closes an output written through a replacement: the requested file either holds all of it or
// is as it was. False, with a message, when anything failed.
bool finishOutput(FileReplacement& file, const std::string& path) {
    if (file.commit()) return true;
    reportMessage("Cannot write the file " + path + ": " + file.error());
    return false;
}

} // namespace

bool parseSurfaces(std::string_view list, GraphChoices& choices) {
    choices.CheckWater = choices.CheckCont = choices.CheckBottom = choices.CheckTop = false;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        if (word == "water") {
            choices.CheckWater = true;
        } else if (word == "contours") {
            choices.CheckCont = true;
        } else if (word == "bottom") {
            choices.CheckBottom = true;
        } else if (word == "top") {
            choices.CheckTop = true;
        } else if (!word.empty()) {
            reportMessage("Unknown surface \"" + std::string(word) +
                          "\" in --surfaces; use water, contours, bottom and top");
            return false;
        }
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return true;
}

void reportUnfinishedRun(const TrackReport& report) {
    if (report.result.outcome == Outcome::LimitReached) reportMessage(report.result.message);
}

bool produceResultOutputs(State& state) {
    const Options& options = state.options;
    Problem& problem = state.problem;

    GraphChoices choices;
    if (!options.threeDSvg.empty()) {
        if (!parseSurfaces(options.surfaces, choices)) return false;
        choices.angleDegrees = options.angle;
    }

    if (!options.trackCsv.empty()) {
        const auto start = std::chrono::steady_clock::now();
        const double h = options.trackH ? *options.trackH : planTrackingLength(problem);
        FileReplacement file(options.trackCsv);
        const TrackReport track = writePathlinesCsv(problem, h, file);
        takeParticleHeights(problem, track.heights);
        reportUnfinishedRun(track);
        if (track.result.outcome == Outcome::Done && !track.result.message.empty())
            reportMessage(track.result.message);
        if (!finishOutput(file, options.trackCsv)) return false;
        state.times.emplace_back("track", secondsSince(start));
    }

    if (options.levels) {
        const ContourLevels levels = computeContourLevels(problem);
        std::string text;
        for (const double level : levels.levels)
            text += format("%.17g\n", level);
        text += levels.legend + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }

    if (!options.contoursSvg.empty()) {
        const auto start = std::chrono::steady_clock::now();
        FileReplacement file(options.contoursSvg);
        SvgCanvas canvas(file, options.width, options.height, kSilver);
        PlanOptions plan;
        plan.labelContours = options.report.CheckLabelContours;
        plan.scaleBar = options.report.CheckScaleBar;
        PlanScale window;
        if (options.view) {
            // The window as a box zoom of the picture would show it: centred, as large as it fits.
            const PlanView fit = screenPlanView(problem, options.width, options.height);
            if (fit.valid) {
                const PlanScale full = fit.planScale();
                const CanvasArea area = fit.drawingArea();
                ZoomView zoom;
                zoom.setFit(full, area.left, area.top, area.right, area.bottom);
                zoom.showWorld(*options.view);
                window = zoom.mapping();
                if (!zoom.atFit()) plan.view = &window;
            }
        }
        const PlotReport report = drawContourPlot(problem, canvas, options.width, options.height, {}, plan);
        reportUnfinishedRun(report.track);
        takeParticleHeights(problem, report.track.heights);
        drawCaptionPanel(canvas, options.width, report.legend);
        canvas.finish();
        if (!finishOutput(file, options.contoursSvg)) return false;
        state.times.emplace_back("contours-svg", secondsSince(start));
    }

    if (!options.threeDSvg.empty()) {
        const auto start = std::chrono::steady_clock::now();
        FileReplacement file(options.threeDSvg);
        SvgCanvas canvas(file, options.width, options.height, kSilver);
        const PlotReport report = draw3DGraph(problem, canvas, options.width, options.height, choices);
        reportUnfinishedRun(report.track);
        takeParticleHeights(problem, report.track.heights);
        drawCaptionPanel(canvas, options.width, report.contoursDrawn ? report.legend : std::string());
        canvas.finish();
        if (!finishOutput(file, options.threeDSvg)) return false;
        state.times.emplace_back("3d-svg", secondsSince(start));
    }
    return true;
}

} // namespace velkor::batch
