#include "gis/geopackage_export.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "io/text_file.h"
#include "model/number_text.h"
#include "model/table.h"
#include "results/contour_levels.h"
#include "results/contour_plot.h"

namespace velkor {

namespace {

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL reports errors through a handler; while an export runs they are kept quiet and the last
// one becomes the message of the result.
class QuietErrors {
  public:
    QuietErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

    static std::string last(const char* otherwise) {
        const char* message = CPLGetLastErrorMsg();
        return message != nullptr && *message != '\0' ? std::string(message) : std::string(otherwise);
    }
};

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// A file of GDAL's in-memory file system, removed when it goes.
class MemoryFile {
  public:
    MemoryFile() {
        static std::atomic<unsigned> counter{0};
        name_ = format("/vsimem/velkor_export_%u.gpkg", counter++);
    }
    ~MemoryFile() { VSIUnlink(name_.c_str()); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

class Layers {
  public:
    Layers(GDALDataset& dataset, OGRSpatialReference* reference, double originX, double originY)
        : dataset_(dataset), reference_(reference), originX_(originX), originY_(originY) {}

    // A new layer with its fields; false (and the message kept) when GDAL refuses it.
    bool create(const char* name, OGRwkbGeometryType type,
                std::initializer_list<std::pair<const char*, OGRFieldType>> fields) {
        layer_ = dataset_.CreateLayer(name, reference_, type, nullptr);
        if (layer_ == nullptr) return fail("The layer could not be made.");
        for (const auto& [field, kind] : fields) {
            OGRFieldDefn definition(field, kind);
            if (layer_->CreateField(&definition) != OGRERR_NONE) return fail("A field could not be made.");
        }
        feature_.reset(OGRFeature::CreateFeature(layer_->GetLayerDefn()));
        return feature_ != nullptr || fail("A feature could not be made.");
    }
    bool begin() {
        return layer_->StartTransaction() == OGRERR_NONE || fail("The layer could not be written.");
    }
    bool commit() {
        return layer_->CommitTransaction() == OGRERR_NONE || fail("The layer could not be written.");
    }

    OGRFeature& feature() { return *feature_; }
    double worldX(double x) const { return originX_ + x; }
    double worldY(double y) const { return originY_ + y; }

    void setReal(int field, double value) {
        if (std::isfinite(value))
            feature_->SetField(field, value);
        else
            feature_->SetFieldNull(field);
    }
    // Stores the feature with this geometry (owned by the caller); false when GDAL refuses.
    bool add(OGRGeometry& geometry, int64_t& count) {
        feature_->SetFID(OGRNullFID);
        feature_->SetGeometry(&geometry);
        if (layer_->CreateFeature(feature_.get()) != OGRERR_NONE)
            return fail("A feature could not be written.");
        ++count;
        return true;
    }
    bool addPoint(double x, double y, int64_t& count) {
        if (!std::isfinite(x) || !std::isfinite(y)) return true;
        OGRPoint point(worldX(x), worldY(y));
        return add(point, count);
    }

    const std::string& error() const { return error_; }

  private:
    bool fail(const char* otherwise) {
        error_ = QuietErrors::last(otherwise);
        return false;
    }

    struct FeatureDeleter {
        void operator()(OGRFeature* feature) const { OGRFeature::DestroyFeature(feature); }
    };

    GDALDataset& dataset_;
    OGRSpatialReference* reference_;
    double originX_, originY_;
    OGRLayer* layer_ = nullptr;
    std::unique_ptr<OGRFeature, FeatureDeleter> feature_;
    std::string error_;
};

// Collects the pathlines in plan: a point where a particle's path turns (it enters another
// element, a well captures it), its start and its end; points where the path runs straight on
// are left out. Marks are kept with their travel time.
class PathCollector : public TrackConsumer {
  public:
    struct Mark {
        int32_t particle;
        double x, y, z, time;
    };

    PathCollector(int32_t particles, double timeStep)
        : paths_(idx(particles > 0 ? particles : 0)), timeStep_(timeStep) {}

    void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) override {
        Path& path = paths_[idx(particle)];
        ++path.steps;
        const double dx = to.x - from.x, dy = to.y - from.y;
        if (path.points.empty()) {
            path.points.push_back(from.x);
            path.points.push_back(from.y);
        } else if (!runsOn(path, dx, dy)) {
            path.points.push_back(from.x);
            path.points.push_back(from.y);
        }
        path.dx = dx;
        path.dy = dy;
        path.endX = to.x;
        path.endY = to.y;
    }
    void mark(int32_t particle, const TrackPoint& at) override {
        marks_.push_back(
            Mark{particle, at.x, at.y, at.z, static_cast<double>(paths_[idx(particle)].steps) * timeStep_});
    }

    // The plan path of a particle as x, y pairs; empty when it never moved.
    std::vector<double> path(int32_t particle) const {
        const Path& path = paths_[idx(particle)];
        std::vector<double> points = path.points;
        if (!points.empty()) {
            points.push_back(path.endX);
            points.push_back(path.endY);
        }
        return points;
    }
    const std::vector<Mark>& marks() const { return marks_; }

  private:
    struct Path {
        std::vector<double> points; // kept points, the end of the path not yet among them
        double dx = 0, dy = 0;      // the last step
        double endX = 0, endY = 0;
        int64_t steps = 0;
    };

    // The step goes on in the direction of the step before: within one element every step has
    // the same displacement, up to the rounding of the positions it is added to.
    static bool runsOn(const Path& path, double dx, double dy) {
        const double cross = path.dx * dy - path.dy * dx;
        const double dot = path.dx * dx + path.dy * dy;
        const double lengths = std::hypot(path.dx, path.dy) * std::hypot(dx, dy);
        return dot > 0 && std::fabs(cross) <= 1e-9 * lengths;
    }

    std::vector<Path> paths_;
    std::vector<Mark> marks_;
    double timeStep_;
};

GeoPackageReport refused(Outcome outcome, std::string message) {
    GeoPackageReport report;
    report.result = Result::failed(outcome, std::move(message));
    return report;
}

bool writeContours(const Problem& problem, Layers& layers, int64_t& count) {
    if (!layers.create("contours", wkbMultiLineString, {{"head", OFTReal}})) return false;
    const ContourLevels levels = computeContourLevels(problem);
    std::vector<OGRMultiLineString> lines(levels.levels.size());
    forEachContourSegment(problem, levels.levels, [&](std::size_t level, const ContourSegment& segment) {
        if (!std::isfinite(segment.x1) || !std::isfinite(segment.y1) || !std::isfinite(segment.x2) ||
            !std::isfinite(segment.y2))
            return;
        auto* line = new OGRLineString();
        line->setNumPoints(2);
        line->setPoint(0, layers.worldX(segment.x1), layers.worldY(segment.y1));
        line->setPoint(1, layers.worldX(segment.x2), layers.worldY(segment.y2));
        lines[level].addGeometryDirectly(line);
    });
    if (!layers.begin()) return false;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].IsEmpty()) continue;
        // The head of the level itself, not the nudged value that finds the extreme contours:
        // levels lie on whole tenths of a metre.
        const double head = std::round((levels.minimum + static_cast<double>(k) * levels.interval) * 10) / 10;
        layers.setReal(0, head);
        if (!layers.add(lines[k], count)) return false;
    }
    return layers.commit();
}

bool writePaths(const PathCollector& paths, int32_t particles, Layers& layers, int64_t& pathCount,
                int64_t& markCount) {
    if (!layers.create("pathlines", wkbLineString, {{"particle", OFTInteger}}) || !layers.begin())
        return false;
    for (int32_t p = 0; p < particles; ++p) {
        const std::vector<double> points = paths.path(p);
        if (points.size() < 4) continue;
        bool finite = true;
        OGRLineString line;
        line.setNumPoints(static_cast<int>(points.size() / 2));
        for (std::size_t k = 0; k < points.size(); k += 2) {
            finite = finite && std::isfinite(points[k]) && std::isfinite(points[k + 1]);
            line.setPoint(static_cast<int>(k / 2), layers.worldX(points[k]), layers.worldY(points[k + 1]));
        }
        if (!finite) continue;
        layers.feature().SetField(0, p + 1);
        if (!layers.add(line, pathCount)) return false;
    }
    if (!layers.commit()) return false;

    if (!layers.create("marks", wkbPoint, {{"particle", OFTInteger}, {"time", OFTReal}, {"z", OFTReal}}) ||
        !layers.begin())
        return false;
    for (const PathCollector::Mark& mark : paths.marks()) {
        layers.feature().SetField(0, mark.particle + 1);
        layers.setReal(1, mark.time);
        layers.setReal(2, mark.z);
        if (!layers.addPoint(mark.x, mark.y, markCount)) return false;
    }
    return layers.commit();
}

bool writeNodesAndWells(const Problem& problem, Layers& layers, int64_t& nodeCount, int64_t& wellCount) {
    if (!layers.create("nodes", wkbPoint,
                       {{"node", OFTInteger},
                        {"head", OFTReal},
                        {"type", OFTInteger},
                        {"Q", OFTReal},
                        {"bottom", OFTReal},
                        {"top", OFTReal}}) ||
        !layers.begin())
        return false;
    const int32_t nodes = problem.usedNodeCount();
    OGRFeature& feature = layers.feature();
    for (int32_t i = 0; i < nodes; ++i) {
        const Node& node = problem.nodes[idx(i)];
        feature.SetField(0, i + 1);
        layers.setReal(1, node.F);
        feature.SetField(2, node.Type);
        layers.setReal(3, node.Q);
        layers.setReal(4, node.B);
        layers.setReal(5, node.T);
        if (!layers.addPoint(node.X, node.Y, nodeCount)) return false;
    }
    if (!layers.commit()) return false;

    if (!layers.create("wells", wkbPoint, {{"well", OFTInteger}, {"node", OFTInteger}, {"Q", OFTReal}}) ||
        !layers.begin())
        return false;
    for (int32_t w = 0; w < problem.usedWellCount(); ++w) {
        const int32_t node = problem.wellNodes[idx(w)];
        if (node < 0 || node >= nodes) continue;
        layers.feature().SetField(0, w + 1);
        layers.feature().SetField(1, node + 1);
        layers.setReal(2, problem.wellQ[idx(w)]);
        const Node& at = problem.nodes[idx(node)];
        if (!layers.addPoint(at.X, at.Y, wellCount)) return false;
    }
    return layers.commit();
}

bool writeBlocks(const Problem& problem, Layers& layers, int64_t& count) {
    if (!layers.create("blocks", wkbPolygon, {{"block", OFTInteger}, {"soil", OFTInteger}}) ||
        !layers.begin())
        return false;
    const int32_t nodes = problem.usedNodeCount();
    for (int32_t b = 0; b < problem.usedBlockCount(); ++b) {
        const Block& block = problem.blocks[idx(b)];
        OGRLinearRing ring;
        bool usable = true;
        for (int k = 0; k <= 3 && usable; ++k) {
            const int32_t n = block.node[k % 3];
            usable = n >= 0 && n < nodes && std::isfinite(problem.nodes[idx(n)].X) &&
                     std::isfinite(problem.nodes[idx(n)].Y);
            if (usable) {
                const Node& node = problem.nodes[idx(n)];
                ring.addPoint(layers.worldX(node.X), layers.worldY(node.Y));
            }
        }
        if (!usable) continue;
        OGRPolygon polygon;
        polygon.addRing(&ring);
        layers.feature().SetField(0, b + 1);
        layers.feature().SetField(1, block.soil + 1);
        if (!layers.add(polygon, count)) return false;
    }
    return layers.commit();
}

// Copies the finished file out of GDAL's memory through the program's file replacement.
Result copyToFile(const MemoryFile& memory, const std::string& path) {
    vsi_l_offset length = 0;
    const GByte* data = VSIGetMemFileBuffer(memory.name().c_str(), &length, FALSE);
    if (data == nullptr) return Result::failed(Outcome::FileError, "The GeoPackage could not be made.");
    FileReplacement file(path);
    constexpr vsi_l_offset kPiece = 1 << 20;
    for (vsi_l_offset at = 0; at < length && !file.failed(); at += kPiece) {
        const vsi_l_offset size = length - at < kPiece ? length - at : kPiece;
        file.write(
            std::string_view(reinterpret_cast<const char*>(data + at), static_cast<std::size_t>(size)));
    }
    if (!file.commit())
        return Result::failed(Outcome::FileError, "Cannot write the file " + path + ": " + file.error());
    return Result::done();
}

} // namespace

Result checkEpsgCode(int code) {
    registerDrivers();
    const QuietErrors quiet;
    OGRSpatialReference reference;
    if (reference.importFromEPSG(code) != OGRERR_NONE)
        return Result::failed(Outcome::BadInput,
                              format("EPSG:%d is not a coordinate reference GDAL knows: ", code) +
                                  QuietErrors::last("unknown code."));
    return Result::done();
}

GeoPackageReport writeGeoPackage(const Problem& problem, const std::string& path,
                                 const GeoPackageOptions& options, Feedback* feedback,
                                 const ElementLocator* locator) {
    registerDrivers();
    if (!std::isfinite(options.originX) || !std::isfinite(options.originY))
        return refused(Outcome::BadInput, "The origin is not a number.");
    if (options.epsg) {
        const Result known = checkEpsgCode(*options.epsg);
        if (!known.ok()) return refused(known.outcome, known.message);
    }

    // The pathlines first: a cancelled run writes nothing.
    const double h = options.trackingLength > 0 ? options.trackingLength : planTrackingLength(problem);
    const int32_t particles = problem.usedParticleCount();
    PathCollector paths(particles, trackingTimeStep(problem, h));
    GeoPackageReport report;
    report.track = trackParticles(problem, h, paths, feedback, {}, locator);
    if (const Result& tracked = report.track.result;
        tracked.outcome == Outcome::Cancelled || tracked.outcome == Outcome::Busy) {
        report.result = tracked;
        return report;
    }

    const QuietErrors quiet;
    OGRSpatialReference reference;
    if (options.epsg) {
        reference.importFromEPSG(*options.epsg);
        // x east, y north, whatever axis order the reference names.
        reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    } else {
        // A layer given no reference would be stored as "undefined geographic", and GIS programs
        // would take the metres for degrees; this name is the GeoPackage's undefined Cartesian
        // reference (srs_id -1), which readers hand back as none.
        reference.SetFromUserInput("LOCAL_CS[\"Undefined Cartesian SRS\"]");
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (driver == nullptr) return refused(Outcome::FileError, "GDAL has no GeoPackage driver.");
    const MemoryFile memory;
    {
        Dataset dataset(driver->Create(memory.name().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!dataset)
            return refused(Outcome::FileError, QuietErrors::last("The GeoPackage could not be made."));
        Layers layers(*dataset, &reference, options.originX, options.originY);
        const bool written = writeContours(problem, layers, report.contours) &&
                             writePaths(paths, particles, layers, report.pathlines, report.marks) &&
                             writeNodesAndWells(problem, layers, report.nodes, report.wells) &&
                             writeBlocks(problem, layers, report.blocks);
        if (!written)
            return refused(Outcome::FileError, "The GeoPackage could not be written: " + layers.error());
    }
    report.result = copyToFile(memory, path);
    if (report.result.ok() && report.track.result.outcome == Outcome::LimitReached)
        report.result = report.track.result;
    return report;
}

} // namespace velkor
