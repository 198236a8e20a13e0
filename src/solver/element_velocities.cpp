#include "solver/element_velocities.h"

#include <algorithm>
#include <cmath>

#include "model/table.h"

namespace velkor {

void computeElementVelocities(Problem& problem) {
    double sumX = 0, sumY = 0;
    const int32_t count = problem.usedElementCount();
    const int32_t nodeCount = problem.usedNodeCount();
    for (int32_t m = 0; m < count; ++m) {
        Element& e = problem.elements[idx(m)];
        e.qx = e.qy = e.bottomSlopeFlow = e.topSlopeFlow = 0;
        // An element that names a node or soil outside the tables keeps zero results.
        if (e.node[0] < 0 || e.node[0] >= nodeCount || e.node[1] < 0 || e.node[1] >= nodeCount ||
            e.node[2] < 0 || e.node[2] >= nodeCount || e.soil < 0 || idx(e.soil) >= problem.soils.size())
            continue;
        const Node* corner[3];
        for (int k = 0; k < 3; ++k)
            corner[k] = &problem.nodes[idx(e.node[k])];

        // Coordinates relative to the centroid keep the gradients accurate far from the origin.
        const double cx = (corner[0]->X + corner[1]->X + corner[2]->X) / 3;
        const double cy = (corner[0]->Y + corner[1]->Y + corner[2]->Y) / 3;
        const double x1 = corner[0]->X - cx, x2 = corner[1]->X - cx, x3 = corner[2]->X - cx;
        const double y1 = corner[0]->Y - cy, y2 = corner[1]->Y - cy, y3 = corner[2]->Y - cy;
        const double b[3] = {y2 - y3, y3 - y1, y1 - y2};
        const double c[3] = {x3 - x2, x1 - x3, x2 - x1};
        const double delta = x1 * b[0] + x2 * b[1] + x3 * b[2];
        if (!(std::fabs(delta) > 0)) continue;

        const Soil& soil = problem.soils[idx(e.soil)];
        double dBdx = 0, dBdy = 0, dSdx = 0, dSdy = 0;
        double qx = 0, qy = 0;
        for (int j = 0; j < 3; ++j) {
            const double dNdx = b[j] / delta;
            const double dNdy = c[j] / delta;
            // The saturated top: the water table where it lies below the aquifer top.
            const double S = corner[j]->F <= corner[j]->T ? corner[j]->F : corner[j]->T;
            dBdx += dNdx * corner[j]->B;
            dBdy += dNdy * corner[j]->B;
            dSdx += dNdx * S;
            dSdy += dNdy * S;
            qx -= dNdx * soil.K * corner[j]->F;
            qy -= dNdy * soil.K * corner[j]->F;
        }
        e.qx = qx;
        e.qy = qy;
        sumX += std::fabs(qx);
        sumY += std::fabs(qy);
        e.bottomSlopeFlow = qx * dBdx + qy * dBdy;
        e.topSlopeFlow = qx * dSdx - soil.I + qy * dSdy;
    }
    problem.meanQx = problem.NM > 0 ? sumX / problem.NM : 0;
    problem.meanQy = problem.NM > 0 ? sumY / problem.NM : 0;
}

} // namespace velkor
