// Result outputs of velkor-batch: pathlines as CSV, contour levels, and the pictures of the contour
// window and the 3D-graph window as SVG. They run after all operations, in this order: tracking,
// levels, pictures.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "batch/batch.h"
#include "model/number_text.h"
#include "results/contour_levels.h"
#include "results/contour_plot.h"
#include "results/particle_tracker.h"
#include "results/svg_canvas.h"
#include "results/three_d_graph.h"

namespace velkor::batch {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A file written beside its target and renamed over it once every write has succeeded, so that a
// failed output never leaves a truncated file under the requested name.
class OutputFile {
  public:
    explicit OutputFile(std::string path) : path_(std::move(path)), temporary_(path_ + ".part") {
        file_ = std::fopen(temporary_.c_str(), "wb");
        ok_ = file_ != nullptr;
    }
    ~OutputFile() {
        if (file_ != nullptr) std::fclose(file_);
        if (!committed_) std::remove(temporary_.c_str());
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view text) {
        if (ok_ && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) ok_ = false;
    }
    // Closes and renames; false (and a message) when anything failed.
    bool commit() {
        if (file_ != nullptr) {
            if (std::fclose(file_) != 0) ok_ = false;
            file_ = nullptr;
        }
        if (ok_ && std::rename(temporary_.c_str(), path_.c_str()) != 0) ok_ = false;
        committed_ = ok_;
        if (!ok_) reportMessage("Cannot write the file " + path_);
        return ok_;
    }

  private:
    std::string path_, temporary_;
    std::FILE* file_ = nullptr;
    bool ok_ = false;
    bool committed_ = false;
};

// Pathline rows in the order the tracker hands them over; particles 1-based.
class CsvTrack : public TrackConsumer {
  public:
    explicit CsvTrack(OutputFile& file) : file_(file) {}
    void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) override {
        file_.write(format("seg,%d,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g\n", particle + 1, from.x, from.y, from.z,
                           to.x, to.y, to.z));
    }
    void mark(int32_t particle, const TrackPoint& at) override {
        file_.write(format("mark,%d,%.9g,%.9g,%.9g\n", particle + 1, at.x, at.y, at.z));
    }

  private:
    OutputFile& file_;
};

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

namespace {

bool writePicture(const std::string& path, const SvgCanvas& canvas) {
    OutputFile file(path);
    file.write(canvas.document());
    return file.commit();
}

} // namespace

void reportUnfinishedRun(const TrackReport& report) {
    if (report.outcome == Outcome::LimitReached)
        reportMessage(format("Particle tracking stopped after %lld sweeps with particles still moving.",
                             static_cast<long long>(report.sweeps)));
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
        OutputFile file(options.trackCsv);
        CsvTrack rows(file);
        reportUnfinishedRun(trackParticles(problem, h, rows));
        if (!file.commit()) return false;
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
        SvgCanvas canvas(options.width, options.height, kSilver);
        const PlotReport report = drawContourPlot(problem, canvas, options.width, options.height);
        reportUnfinishedRun(report.track);
        drawCaptionPanel(canvas, options.width, report.legend);
        if (!writePicture(options.contoursSvg, canvas)) return false;
        state.times.emplace_back("contours-svg", secondsSince(start));
    }

    if (!options.threeDSvg.empty()) {
        const auto start = std::chrono::steady_clock::now();
        SvgCanvas canvas(options.width, options.height, kSilver);
        const PlotReport report = draw3DGraph(problem, canvas, options.width, options.height, choices);
        reportUnfinishedRun(report.track);
        drawCaptionPanel(canvas, options.width, report.contoursDrawn ? report.legend : std::string());
        if (!writePicture(options.threeDSvg, canvas)) return false;
        state.times.emplace_back("3d-svg", secondsSince(start));
    }
    return true;
}

} // namespace velkor::batch
