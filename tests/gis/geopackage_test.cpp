// The GeoPackage read back through OGR: layers, features, attributes, the origin and the CRS.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <sys/stat.h>

#include "batch_run.h"
#include "default_problem.h"
#include "gis/geopackage_export.h"
#include "io/datafile.h"
#include "solver/element_velocities.h"

using namespace velkor;

namespace {

struct Closer {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, Closer>;

Dataset openVector(const std::filesystem::path& path) {
    return Dataset(static_cast<GDALDataset*>(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

class GeoPackage : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("velkor_gpkg_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
        problem_ = test::defaultProblem();
        ASSERT_TRUE(readDatafile(problem_, std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem").ok());
        computeElementVelocities(problem_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
    Problem problem_;
};

} // namespace

TEST_F(GeoPackage, LayersFeaturesAndAttributesWithOriginAndReference) {
    const auto path = folder_ / "val1.gpkg";
    GeoPackageOptions options;
    options.epsg = 25832;
    options.originX = 500000;
    options.originY = 5500000;
    const GeoPackageReport report = writeGeoPackage(problem_, path.string(), options);
    ASSERT_EQ(report.result.outcome, Outcome::Done) << report.result.message;

    Dataset dataset = openVector(path);
    ASSERT_TRUE(dataset);
    ASSERT_EQ(dataset->GetLayerCount(), 6);
    const char* names[] = {"contours", "pathlines", "marks", "nodes", "wells", "blocks"};
    for (int k = 0; k < 6; ++k)
        EXPECT_STREQ(dataset->GetLayer(k)->GetName(), names[k]);

    // Heads 15 .. 10 m: 17 levels 10, 10.3, ..., 14.8, one feature each.
    OGRLayer* contours = dataset->GetLayerByName("contours");
    EXPECT_EQ(contours->GetFeatureCount(), 17);
    EXPECT_EQ(report.contours, 17);
    // h = 15 - 0.005 x: the contour of 12.7 m runs across the strip at x = 460 m.
    bool found = false;
    for (auto& feature : *contours) {
        if (feature->GetFieldAsDouble("head") != 12.7) continue;
        found = true;
        OGREnvelope box;
        feature->GetGeometryRef()->getEnvelope(&box);
        EXPECT_NEAR(box.MinX, 500460, 0.1);
        EXPECT_NEAR(box.MaxX, 500460, 0.1);
        EXPECT_NEAR(box.MinY, 5500000, 1e-6);
        EXPECT_NEAR(box.MaxY, 5500100, 1e-6);
    }
    EXPECT_TRUE(found);

    // Nodes: every one, node 2 at (1000, 0) moved by the origin, with its head and type.
    OGRLayer* nodes = dataset->GetLayerByName("nodes");
    EXPECT_EQ(nodes->GetFeatureCount(), problem_.NN);
    std::unique_ptr<OGRFeature> second(nodes->GetFeature(2));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetFieldAsInteger("node"), 2);
    const auto* point = second->GetGeometryRef()->toPoint();
    EXPECT_EQ(point->getX(), 501000);
    EXPECT_EQ(point->getY(), 5500000);
    EXPECT_EQ(second->GetFieldAsDouble("head"), 10);
    EXPECT_EQ(second->GetFieldAsInteger("type"), 1);

    // One pathline per particle, blocks and no wells; every layer in EPSG:25832.
    EXPECT_EQ(dataset->GetLayerByName("pathlines")->GetFeatureCount(), problem_.NP);
    EXPECT_EQ(dataset->GetLayerByName("wells")->GetFeatureCount(), 0);
    EXPECT_EQ(dataset->GetLayerByName("blocks")->GetFeatureCount(), 2);
    for (int k = 0; k < 6; ++k) {
        const OGRSpatialReference* reference = dataset->GetLayer(k)->GetSpatialRef();
        ASSERT_NE(reference, nullptr) << names[k];
        EXPECT_STREQ(reference->GetAuthorityCode(nullptr), "25832") << names[k];
    }
}

TEST_F(GeoPackage, MarksCarryTheirTravelTime) {
    // Uniform flow at 0.0125 m/d: a mark's distance from the start of its pathline is 0.0125 t.
    const auto path = folder_ / "marks.gpkg";
    ASSERT_TRUE(writeGeoPackage(problem_, path.string(), {}).result.ok());
    Dataset dataset = openVector(path);
    ASSERT_TRUE(dataset);
    OGRLayer* pathlines = dataset->GetLayerByName("pathlines");
    std::unique_ptr<OGRFeature> first(pathlines->GetFeature(1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetFieldAsInteger("particle"), 1);
    const auto* line = first->GetGeometryRef()->toLineString();
    const double startX = line->getX(0);
    // A straight path keeps few of its thousands of steps.
    EXPECT_LT(line->getNumPoints(), 100);
    int marks = 0;
    for (auto& mark : *dataset->GetLayerByName("marks")) {
        if (mark->GetFieldAsInteger("particle") != 1) continue;
        ++marks;
        const double travelled = mark->GetGeometryRef()->toPoint()->getX() - startX;
        EXPECT_NEAR(travelled, 0.0125 * mark->GetFieldAsDouble("time"), 0.01 * travelled + 1e-3);
    }
    EXPECT_GE(marks, 3);
    // Without a reference the layers carry GeoPackage's undefined Cartesian one (not the undefined
    // geographic one, which would make metres degrees), in model coordinates.
    OGRLayer* contents = dataset->ExecuteSQL("SELECT DISTINCT srs_id FROM gpkg_contents", nullptr, nullptr);
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->GetFeatureCount(), 1);
    std::unique_ptr<OGRFeature> srs(contents->GetNextFeature());
    EXPECT_EQ(srs->GetFieldAsInteger(0), -1);
    dataset->ReleaseResultSet(contents);
    EXPECT_EQ(dataset->GetLayerByName("nodes")->GetSpatialRef()->GetAuthorityCode(nullptr), nullptr);
    std::unique_ptr<OGRFeature> node(dataset->GetLayerByName("nodes")->GetFeature(2));
    EXPECT_EQ(node->GetGeometryRef()->toPoint()->getX(), 1000);
}

TEST_F(GeoPackage, UnknownReferenceIsRefusedBeforeAnythingIsWritten) {
    const auto path = folder_ / "old.gpkg";
    {
        std::ofstream old(path);
        old << "the old file";
    }
    chmod(path.c_str(), 0640);
    GeoPackageOptions options;
    options.epsg = 999999;
    const GeoPackageReport report = writeGeoPackage(problem_, path.string(), options);
    EXPECT_EQ(report.result.outcome, Outcome::BadInput);
    EXPECT_EQ(report.result.message.rfind("EPSG:999999 is not a coordinate reference GDAL knows: ", 0), 0u)
        << report.result.message;
    EXPECT_GT(report.result.message.size(), 60u); // GDAL's own words follow
    EXPECT_EQ(checkEpsgCode(999999).outcome, Outcome::BadInput);
    EXPECT_TRUE(checkEpsgCode(4326).ok());
    EXPECT_EQ(velkor::test::readText(path), "the old file");

    // A written file replaces the old one whole and keeps its mode.
    ASSERT_TRUE(writeGeoPackage(problem_, path.string(), {}).result.ok());
    EXPECT_EQ(velkor::test::readText(path).rfind("SQLite format 3", 0), 0u);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    // A folder that does not exist: a file error, nothing left behind.
    const GeoPackageReport missing = writeGeoPackage(problem_, (folder_ / "no" / "x.gpkg").string(), {});
    EXPECT_EQ(missing.result.outcome, Outcome::FileError);
}

TEST_F(GeoPackage, ValuesThatAreNoNumberAreStoredAsNull) {
    problem_.nodes[5].Q = std::numeric_limits<double>::infinity();
    problem_.nodes[6].X = std::numeric_limits<double>::infinity();
    const auto path = folder_ / "nan.gpkg";
    const GeoPackageReport report = writeGeoPackage(problem_, path.string(), {});
    ASSERT_TRUE(report.result.ok()) << report.result.message;
    Dataset dataset = openVector(path);
    OGRLayer* nodes = dataset->GetLayerByName("nodes");
    // Node 7 has no place: it is left out; node 6 keeps its place with a Q of NULL.
    EXPECT_EQ(nodes->GetFeatureCount(), problem_.NN - 1);
    std::unique_ptr<OGRFeature> sixth(nodes->GetFeature(6));
    ASSERT_TRUE(sixth);
    EXPECT_EQ(sixth->GetFieldAsInteger("node"), 6);
    EXPECT_TRUE(sixth->IsFieldNull(sixth->GetFieldIndex("Q")));
    EXPECT_FALSE(sixth->IsFieldNull(sixth->GetFieldIndex("head")));
}
