#include "solver/reference_support.h"

#include <cmath>

namespace velkor::test {

namespace {

int64_t buildStructurePlainly(Problem& p, std::vector<int32_t>& col) {
    const int64_t capacity = p.matrixEntryCapacity();
    // The plain row building may run past the capacity inside the row that crosses it.
    col.assign(static_cast<std::size_t>(capacity + p.NN + 1), -1);
    std::vector<int32_t> first(static_cast<std::size_t>(p.NN), p.NM);
    for (int32_t i = 0; i < p.NN; ++i)
        p.nodes[i].rowEnd = 0;
    for (int32_t m = p.NM - 1; m >= 0; --m)
        for (int k = 0; k < 3; ++k) {
            const int32_t e = p.elements[m].node[k];
            ++p.nodes[e].rowEnd;
            first[e] = m;
        }
    int64_t total = 0;
    for (int32_t i = 0; i < p.NN; ++i) {
        const int64_t rowStart = total;
        col[total++] = i;
        const int32_t count = p.nodes[i].rowEnd;
        int32_t found = 0;
        for (int32_t m = first[i]; m < p.NM && found < count; ++m) {
            const Element& el = p.elements[m];
            if (el.node[0] != i && el.node[1] != i && el.node[2] != i) continue;
            ++found;
            for (int k = 0; k < 3; ++k) {
                const int32_t e = el.node[k];
                if (e <= i) continue;
                bool present = false;
                for (int64_t s = rowStart; s < total; ++s)
                    present = present || col[s] == e;
                if (!present) col[total++] = e;
            }
        }
        p.nodes[i].rowEnd = static_cast<int32_t>(total);
        if (total >= capacity) return total;
    }
    return total;
}

int64_t rowStart(const Problem& p, int32_t i) {
    return i == 0 ? 0 : p.nodes[i - 1].rowEnd;
}

void assemblePlainly(Problem& p, int32_t c, const std::vector<int32_t>& col, std::vector<double>& val) {
    for (int32_t i = 0; i < p.NN; ++i)
        p.nodes[i].supply = 0;
    for (int32_t w = 0; w < p.NW; ++w)
        p.nodes[p.wellNodes[w]].supply += p.wellQ[w];
    for (double& v : val)
        v = 0;
    for (int32_t m = 0; m < p.NM; ++m) {
        const Element& el = p.elements[m];
        const Node& a = p.nodes[el.node[0]];
        const Node& b = p.nodes[el.node[1]];
        const Node& d = p.nodes[el.node[2]];
        const double Bm = a.B * (1.0 / 3.0) + b.B * (1.0 / 3.0) + d.B * (1.0 / 3.0);
        const double Tm = a.T * (1.0 / 3.0) + b.T * (1.0 / 3.0) + d.T * (1.0 / 3.0);
        const double Fm = a.F * (1.0 / 3.0) + b.F * (1.0 / 3.0) + d.F * (1.0 / 3.0);
        double top = Tm;
        if (c > 0 && !(Fm >= Tm)) top = Fm;
        double D = top - Bm;
        if (!(D >= 0.01)) D = 0.01;
        const double bb[3] = {b.Y - d.Y, d.Y - a.Y, a.Y - b.Y};
        const double cc[3] = {d.X - b.X, a.X - d.X, b.X - a.X};
        const double delta = a.X * bb[0] + b.X * bb[1] + d.X * bb[2];
        const double C = p.soils[el.soil].K * D / (2 * std::fabs(delta));
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const int32_t ni = el.node[i], nj = el.node[j];
                for (int64_t s = rowStart(p, ni); s < p.nodes[ni].rowEnd; ++s)
                    if (col[s] == nj) {
                        val[s] += C * (bb[i] * bb[j] + cc[i] * cc[j]);
                        break;
                    }
            }
        for (int k = 0; k < 3; ++k)
            p.nodes[el.node[k]].supply += p.soils[el.soil].I * std::fabs(delta) / 6;
    }
}

void product(const Problem& p, const std::vector<int32_t>& col, const std::vector<double>& val,
             const std::vector<double>& x, std::vector<double>& y) {
    for (double& v : y)
        v = 0;
    for (int32_t k = 0; k < p.NN; ++k) {
        const int64_t s0 = rowStart(p, k);
        y[k] += val[s0] * x[k];
        for (int64_t s = s0 + 1; s < p.nodes[k].rowEnd; ++s) {
            y[k] += val[s] * x[col[s]];
            y[col[s]] += val[s] * x[k];
        }
    }
}

ReferenceCycle solvePlainly(Problem& p, int32_t c, const std::vector<int32_t>& col,
                            const std::vector<double>& val, bool pre) {
    const int32_t NN = p.NN;
    double tol = 1e-4;
    for (int32_t k = 0; k < c; ++k)
        tol *= 1e-4;
    p.warning = false;
    int64_t it = 0;
    std::vector<double> r(NN), pp(NN), q(NN), d(NN);
    for (int32_t k = 0; k < NN; ++k)
        d[k] = val[rowStart(p, k)];
    for (int32_t k = 0; k < NN; ++k)
        if (p.nodes[k].Type == 0) p.nodes[k].F = p.nodes[k].supply / d[k];
    for (int32_t k = 0; k < NN; ++k)
        r[k] = p.nodes[k].supply;
    for (int32_t k = 0; k < NN; ++k) {
        const int64_t s0 = rowStart(p, k);
        r[k] -= val[s0] * p.nodes[k].F;
        for (int64_t s = s0 + 1; s < p.nodes[k].rowEnd; ++s) {
            r[k] -= val[s] * p.nodes[col[s]].F;
            r[col[s]] -= val[s] * p.nodes[k].F;
        }
        if (p.nodes[k].Type > 0) r[k] = 0;
    }
    double rho = 0;
    if (pre) {
        std::vector<double> z(NN);
        for (int32_t k = 0; k < NN; ++k)
            z[k] = r[k] / d[k];
        pp = z;
        for (int32_t k = 0; k < NN; ++k)
            rho += r[k] * z[k];
    } else {
        pp = r;
        for (int32_t k = 0; k < NN; ++k)
            rho += r[k] * r[k];
    }
    while (it <= 2 * static_cast<int64_t>(NN) && std::fabs(rho) > tol) {
        product(p, col, val, pp, q);
        double pq = 0;
        for (int32_t k = 0; k < NN; ++k)
            pq += pp[k] * q[k];
        const double alpha = rho / pq;
        for (int32_t k = 0; k < NN; ++k)
            if (p.nodes[k].Type == 0) {
                p.nodes[k].F += alpha * pp[k];
                r[k] -= alpha * q[k];
            }
        double next = 0;
        for (int32_t k = 0; k < NN; ++k)
            next += pre ? r[k] * r[k] / d[k] : r[k] * r[k];
        const double beta = next / rho;
        for (int32_t k = 0; k < NN; ++k)
            pp[k] = (pre ? r[k] / d[k] : r[k]) + beta * pp[k];
        rho = next;
        ++it;
    }
    for (int32_t k = 0; k < NN; ++k)
        if (!(p.nodes[k].F >= p.nodes[k].B)) p.warning = true;
    return {static_cast<int32_t>(it), rho};
}

} // namespace

ReferenceRun referenceSolve(Problem& problem, bool preconditioned) {
    ReferenceRun run;
    run.entries = buildStructurePlainly(problem, run.columns);
    if (run.entries >= problem.matrixEntryCapacity()) return run;
    run.values.assign(run.columns.size(), 0);
    for (int32_t c = 0; c < 6; ++c) {
        assemblePlainly(problem, c, run.columns, run.values);
        run.cycles.push_back(solvePlainly(problem, c, run.columns, run.values, preconditioned));
    }
    std::vector<double> F(problem.NN), Q(problem.NN);
    for (int32_t k = 0; k < problem.NN; ++k)
        F[k] = problem.nodes[k].F;
    product(problem, run.columns, run.values, F, Q);
    for (int32_t k = 0; k < problem.NN; ++k)
        problem.nodes[k].Q = Q[k];
    return run;
}

} // namespace velkor::test
