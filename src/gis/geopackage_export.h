// The results as one GeoPackage file for GIS programs, written with GDAL/OGR. Library velkor_gis:
// no Qt, linked by velkor-batch and the program.
//
// Layers:
//   contours   MultiLineString per contour level with its head (the levels and segments the
//              contour plot draws)
//   pathlines  LineString per particle (its plan path; points where the path runs straight on
//              are left out) with the particle number
//   marks      Point per time mark with particle, travel time (d) and z
//   nodes      Point per node with node, head, type, Q, bottom and top
//   wells      Point per well with well, node and Q
//   blocks     Polygon per block with block and soil
// With an EPSG code the layers carry that coordinate reference and the coordinates are moved by
// the origin (X0 + x, Y0 + y); without one they carry none, and the coordinates are those of the
// model moved by the origin (0, 0 unless given). A value that is not a finite number is stored
// as NULL; a feature whose geometry would hold one is left out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"
#include "results/particle_tracker.h"

namespace velkor {

class ElementLocator;

struct GeoPackageOptions {
    std::optional<int> epsg;         // coordinate reference; none: no CRS
    double originX = 0, originY = 0; // world position of the model's (0, 0)
    double trackingLength = 0;       // h of the pathlines; 0 or less: that of the contour plot
};

struct GeoPackageReport {
    // Done: the file holds every layer. BadInput: the EPSG code is unknown to GDAL, or the origin
    // is not a finite number (the message says which; nothing was written). FileError: GDAL could
    // not create the layers, or the file could not be replaced; the old file is as it was.
    // Cancelled: the tracking run was stopped; nothing was written. LimitReached: the tracking
    // run stopped at its bound; the file holds the pathlines as far as they got, the message
    // says so.
    Result result;
    TrackReport track;
    int64_t contours = 0, pathlines = 0, marks = 0, nodes = 0, wells = 0, blocks = 0; // features
};

// Whether GDAL knows the EPSG code: Done, or BadInput with GDAL's message.
Result checkEpsgCode(int code);

// Writes every layer to path. The file is made in memory and copied to path through the
// program's file replacement (old file whole on any failure, its mode kept). Runs the particle
// tracker for the pathlines and marks.
GeoPackageReport writeGeoPackage(const Problem& problem, const std::string& path,
                                 const GeoPackageOptions& options, Feedback* feedback = nullptr,
                                 const ElementLocator* locator = nullptr);

} // namespace velkor
