#include "mesh/mesh_test_support.h"

#include <cmath>
#include <sstream>

namespace velkor::test {

namespace {
std::size_t at(int32_t i) {
    return static_cast<std::size_t>(i);
}
} // namespace

std::vector<Corners> elementCorners(const Problem& p) {
    std::vector<Corners> out;
    for (int32_t e = 0; e < p.NM; ++e) {
        const Element& m = p.elements[at(e)];
        out.push_back({m.node[0] + 1, m.node[1] + 1, m.node[2] + 1});
    }
    return out;
}

std::string firstDifference(const Problem& a, const Problem& b) {
    std::ostringstream out;
    if (a.NN != b.NN || a.NM != b.NM || a.NW != b.NW || a.NA != b.NA) {
        out << "counts NN " << a.NN << "/" << b.NN << " NM " << a.NM << "/" << b.NM << " NW " << a.NW << "/"
            << b.NW;
        return out.str();
    }
    for (int32_t i = 0; i < a.NN; ++i) {
        const Node &m = a.nodes[at(i)], &n = b.nodes[at(i)];
        if (m.X != n.X || m.Y != n.Y || m.B != n.B || m.T != n.T || m.F != n.F || m.Q != n.Q ||
            m.Type != n.Type) {
            out << "node " << i << ": (" << m.X << "," << m.Y << " type " << m.Type << ") vs (" << n.X << ","
                << n.Y << " type " << n.Type << ")";
            return out.str();
        }
    }
    for (int32_t e = 0; e < a.NM; ++e) {
        const Element &m = a.elements[at(e)], &n = b.elements[at(e)];
        if (m.node[0] != n.node[0] || m.node[1] != n.node[1] || m.node[2] != n.node[2] || m.soil != n.soil) {
            out << "element " << e << ": " << m.node[0] << "," << m.node[1] << "," << m.node[2] << " vs "
                << n.node[0] << "," << n.node[1] << "," << n.node[2];
            return out.str();
        }
    }
    for (int32_t w = 0; w < a.NW; ++w)
        if (a.wellNodes[at(w)] != b.wellNodes[at(w)]) {
            out << "well " << w;
            return out.str();
        }
    if (a.saved.NN != b.saved.NN || a.saved.NM != b.saved.NM) return "saved counts";
    if (a.resultsStale != b.resultsStale) return "results-stale flag";
    return {};
}

namespace byScans {

void heapsort(std::vector<double>& key, std::vector<int32_t>& perm, int32_t first, int32_t last) {
    if (first >= last) return;
    const int32_t n = last - first + 1;
    auto k = [&](int32_t i) -> double& { return key[at(first + i - 1)]; };
    auto q = [&](int32_t i) -> int32_t& { return perm[at(first + i - 1)]; };
    int32_t l = n / 2 + 1, ir = n;
    for (;;) {
        double rk;
        int32_t rq;
        if (l > 1) {
            --l;
            rk = k(l);
            rq = q(l);
        } else {
            rk = k(ir);
            rq = q(ir);
            k(ir) = k(1);
            q(ir) = q(1);
            if (--ir == 1) {
                k(1) = rk;
                q(1) = rq;
                break;
            }
        }
        int32_t i = l, j = l + l;
        while (j <= ir) {
            if (j < ir && k(j) < k(j + 1)) ++j;
            if (rk < k(j)) {
                k(i) = k(j);
                q(i) = q(j);
                i = j;
                j = j + j;
            } else {
                j = ir + 1;
            }
        }
        k(i) = rk;
        q(i) = rq;
    }
}

namespace {

const char* const kSplit4 =
    "Capacity exceeded\n\n"
    "The number of nodes or elements in the problem is too large to split all elements "
    "into 4 elements.\n\n"
    "The capacity of the program can be increased by increasing the values of NMAX and "
    "MMAX in the main window.";
const char* const kSplit2 =
    "Capacity exceeded\n\n"
    "The number of nodes or elements in the problem is too large to split all elements "
    "into 2 elements.\n\n"
    "The capacity of the program can be increased by increasing the values of NMAX and "
    "MMAX in the main window.";
const char* const kInterior = "Capacity exceeded\n\n"
                              "The number of nodes and/or elements in the problem is too large to add "
                              "an interior node.\n\n"
                              "The capacity of the program can be increased by increasing the values of "
                              "NMAX and MMAX in the main window.";

int32_t newNode(const Problem& p, double x, double y, double t, int32_t first, int32_t last) {
    int32_t found = -1;
    double best = t;
    for (int32_t i = first; i < last; ++i) {
        const double d = std::fabs(p.nodes[at(i)].X - x) + std::fabs(p.nodes[at(i)].Y - y);
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

int32_t neighbour(const Problem& p, int32_t a, int32_t b, int32_t skip) {
    for (int32_t e = 0; e < p.NM; ++e) {
        if (e == skip) continue;
        const int32_t* n = p.elements[at(e)].node;
        if ((n[0] == a || n[1] == a || n[2] == a) && (n[0] == b || n[1] == b || n[2] == b)) return e;
    }
    return -1;
}

int32_t third(const Element& k, int32_t a, int32_t b) {
    if (k.node[0] != a && k.node[0] != b) return k.node[0];
    if (k.node[1] != a && k.node[1] != b) return k.node[1];
    return k.node[2];
}

void setMid(Node& m, const Node& a, const Node& b) {
    m.X = (a.X + b.X) * 0.5;
    m.Y = (a.Y + b.Y) * 0.5;
    m.B = (a.B + b.B) * 0.5;
    m.T = (a.T + b.T) * 0.5;
    m.F = (a.F + b.F) * 0.5;
    m.Q = 0;
    m.Type = static_cast<int32_t>((int64_t{a.Type} + b.Type) / 2);
}

void put(Problem& p, int32_t e, int32_t a, int32_t b, int32_t c, int32_t soil) {
    Element& m = p.elements[at(e)];
    m.node[0] = a;
    m.node[1] = b;
    m.node[2] = c;
    m.soil = soil;
}

void renumberBoth(Problem& p) {
    byScans::renumberNodes(p);
    byScans::renumberElements(p);
}

} // namespace

void renumberNodes(Problem& p) {
    std::vector<double> key(at(p.NN));
    std::vector<int32_t> perm(at(p.NN)), inverse(at(p.NN));
    for (int32_t i = 0; i < p.NN; ++i) {
        key[at(i)] = p.nodes[at(i)].X + 0.001 * p.nodes[at(i)].Y;
        perm[at(i)] = i;
    }
    heapsort(key, perm, p.NA, p.NN - 1);
    for (int32_t i = 0; i < p.NN; ++i)
        inverse[at(perm[at(i)])] = i;
    std::vector<Node> old(p.nodes.begin(), p.nodes.begin() + p.NN);
    for (int32_t i = 0; i < p.NN; ++i) {
        const Node& o = old[at(perm[at(i)])];
        Node& n = p.nodes[at(i)];
        n.X = o.X, n.Y = o.Y, n.B = o.B, n.T = o.T, n.F = o.F, n.Q = o.Q, n.Type = o.Type;
    }
    for (int32_t w = 0; w < p.NW; ++w)
        p.wellNodes[at(w)] = inverse[at(p.wellNodes[at(w)])];
    for (int32_t e = 0; e < p.NM; ++e)
        for (int32_t& n : p.elements[at(e)].node)
            n = inverse[at(n)];
}

void renumberElements(Problem& p) {
    std::vector<double> key(at(p.NM));
    std::vector<int32_t> perm(at(p.NM));
    auto nodeKey = [&](int32_t n) { return p.nodes[at(n)].X + 0.001 * p.nodes[at(n)].Y; };
    for (int32_t e = 0; e < p.NM; ++e) {
        const Element& m = p.elements[at(e)];
        double k = nodeKey(m.node[0]);
        if (nodeKey(m.node[1]) < k) k = nodeKey(m.node[1]);
        if (nodeKey(m.node[2]) < k) k = nodeKey(m.node[2]);
        key[at(e)] = k;
        perm[at(e)] = e;
    }
    heapsort(key, perm, 0, p.NM - 1);
    std::vector<Element> old(p.elements.begin(), p.elements.begin() + p.NM);
    for (int32_t e = 0; e < p.NM; ++e) {
        const Element& o = old[at(perm[at(e)])];
        put(p, e, o.node[0], o.node[1], o.node[2], o.soil);
    }
}

Result splitAllInFour(Problem& p) {
    Result r;
    const int32_t NMAX = p.limits.NMAX, MMAX = p.limits.MMAX;
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    const double t = 0.00001 * std::sqrt(p.LX * p.LY / p.NN);
    if (NMAX / 4 < p.NN || MMAX / 4 < p.NM) {
        r.message = kSplit4;
    } else {
        for (int32_t e = 0; e < p.saved.NM; ++e) {
            const int32_t n1 = p.elements[at(e)].node[0], n2 = p.elements[at(e)].node[1],
                          n3 = p.elements[at(e)].node[2];
            Node m[3];
            setMid(m[0], p.nodes[at(n2)], p.nodes[at(n3)]);
            setMid(m[1], p.nodes[at(n3)], p.nodes[at(n1)]);
            setMid(m[2], p.nodes[at(n1)], p.nodes[at(n2)]);
            int32_t f[3];
            for (int s = 0; s < 3; ++s)
                f[s] = newNode(p, m[s].X, m[s].Y, t, p.saved.NN, p.NN);
            if (p.NN + (f[0] < 0) + (f[1] < 0) + (f[2] < 0) > NMAX || p.NM + 3 > MMAX) {
                r.message = kSplit4;
                break;
            }
            int32_t idx[3];
            for (int s = 0; s < 3; ++s) {
                if (f[s] < 0) {
                    idx[s] = p.NN++;
                } else {
                    idx[s] = f[s];
                    m[s].Type = 0;
                }
            }
            for (int s = 0; s < 3; ++s) {
                Node& row = p.nodes[at(idx[s])];
                row.X = m[s].X, row.Y = m[s].Y, row.B = m[s].B, row.T = m[s].T, row.F = m[s].F;
                row.Q = 0, row.Type = m[s].Type;
            }
            const int32_t soil = p.elements[at(e)].soil;
            put(p, e, idx[0], idx[1], idx[2], soil);
            put(p, p.NM, n1, idx[2], idx[1], soil);
            put(p, p.NM + 1, n2, idx[0], idx[2], soil);
            put(p, p.NM + 2, n3, idx[1], idx[0], soil);
            p.NM += 3;
        }
    }
    p.resultsStale = true;
    renumberBoth(p);
    return r;
}

Result splitAllInTwo(Problem& p) {
    Result r;
    const int32_t NMAX = p.limits.NMAX, MMAX = p.limits.MMAX;
    std::vector<char> done(at(MMAX), 0);
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    const double t = 0.00001 * std::sqrt(p.LX * p.LY / p.NN);
    if (NMAX / 2 < p.NN || MMAX / 2 < p.NM) {
        r.message = kSplit2;
    } else {
        for (int32_t i = 0; i < p.saved.NM; ++i) {
            if (done[at(i)]) continue;
            const int32_t n1 = p.elements[at(i)].node[0], n2 = p.elements[at(i)].node[1],
                          n3 = p.elements[at(i)].node[2], soil = p.elements[at(i)].soil;
            Node m23, m31, m12;
            setMid(m23, p.nodes[at(n2)], p.nodes[at(n3)]);
            setMid(m31, p.nodes[at(n3)], p.nodes[at(n1)]);
            setMid(m12, p.nodes[at(n1)], p.nodes[at(n2)]);
            int32_t found = -1, side = -1;
            int32_t k = newNode(p, m23.X, m23.Y, t, p.saved.NN, p.NN);
            if (k >= 0) found = k, side = 0;
            k = newNode(p, m31.X, m31.Y, t, p.saved.NN, p.NN);
            if (k >= 0) found = k, side = 1;
            k = newNode(p, m12.X, m12.Y, t, p.saved.NN, p.NN);
            if (k >= 0) found = k, side = 2;
            if (found >= 0) {
                if (p.NM + 1 > MMAX) {
                    r.message = kSplit2;
                    break;
                }
                if (side == 0) put(p, i, n1, n2, found, soil), put(p, p.NM, n1, n3, found, soil);
                if (side == 1) put(p, i, n2, n3, found, soil), put(p, p.NM, n2, n1, found, soil);
                if (side == 2) put(p, i, n3, n1, found, soil), put(p, p.NM, n3, n2, found, soil);
                ++p.NM;
                p.nodes[at(found)].Type = 0;
                continue;
            }
            const Node &a1 = p.nodes[at(n1)], &a2 = p.nodes[at(n2)], &a3 = p.nodes[at(n3)];
            const double l23 = std::sqrt((a3.X - a2.X) * (a3.X - a2.X) + (a3.Y - a2.Y) * (a3.Y - a2.Y));
            const double l31 = std::sqrt((a1.X - a3.X) * (a1.X - a3.X) + (a1.Y - a3.Y) * (a1.Y - a3.Y));
            const double l12 = std::sqrt((a2.X - a1.X) * (a2.X - a1.X) + (a2.Y - a1.Y) * (a2.Y - a1.Y));
            int32_t a = n1, b = n2, c = n3;
            Node mid = m23;
            double len = l23;
            if (l31 > len) a = n2, b = n3, c = n1, mid = m31, len = l31;
            if (l12 > len) a = n3, b = n1, c = n2, mid = m12;
            const int32_t nb = neighbour(p, b, c, i);
            if (p.NN + 1 > NMAX || p.NM + (nb >= 0 ? 2 : 1) > MMAX) {
                r.message = kSplit2;
                break;
            }
            const int32_t m = p.NN;
            Node& row = p.nodes[at(m)];
            row.X = mid.X, row.Y = mid.Y, row.B = mid.B, row.T = mid.T, row.F = mid.F, row.Q = 0;
            row.Type = mid.Type;
            put(p, i, a, b, m, soil);
            put(p, p.NM, a, c, m, soil);
            ++p.NM;
            ++p.NN;
            if (nb >= 0) {
                const int32_t o = third(p.elements[at(nb)], b, c), ks = p.elements[at(nb)].soil;
                put(p, nb, o, b, m, ks);
                put(p, p.NM, o, c, m, ks);
                ++p.NM;
                p.nodes[at(m)].Type = 0;
                done[at(nb)] = 1;
            }
        }
    }
    p.resultsStale = true;
    renumberBoth(p);
    return r;
}

Result addWell(Problem& p, double x, double y) {
    Result r;
    const double radius = 0.1 * std::sqrt(p.LX * p.LY / p.NN);
    int32_t snap = -1;
    for (int32_t i = 0; i < p.NN && snap < 0; ++i) {
        const Node& n = p.nodes[at(i)];
        if (std::sqrt((n.X - x) * (n.X - x) + (n.Y - y) * (n.Y - y)) < radius) snap = i;
    }
    if (p.NW >= p.limits.BMAX) {
        r.message = kWellCapacityMessage;
    } else if (snap >= 0) {
        p.wellNodes[at(p.NW++)] = snap;
    } else if (p.NM > p.limits.MMAX - 8 || p.NN > p.limits.NMAX - 4) {
        r.message = kInterior;
    } else {
        int32_t j = -1;
        for (int32_t e = 0; e < p.NM && j < 0; ++e)
            j = pointInElement(p, x, y, e);
        if (j < 0) {
            r.message = "Well outside mesh\n\nA new well must be located inside the mesh of finite elements.";
        } else {
            const int32_t n1 = p.elements[at(j)].node[0], n2 = p.elements[at(j)].node[1],
                          n3 = p.elements[at(j)].node[2], s = p.elements[at(j)].soil;
            const int32_t c = p.NN;
            Node& cn = p.nodes[at(c)];
            const Node &a = p.nodes[at(n1)], &b = p.nodes[at(n2)], &d = p.nodes[at(n3)];
            cn.X = (a.X + b.X + d.X) / 3, cn.Y = (a.Y + b.Y + d.Y) / 3, cn.B = (a.B + b.B + d.B) / 3;
            cn.T = (a.T + b.T + d.T) / 3, cn.F = (a.F + b.F + d.F) / 3, cn.Q = 0, cn.Type = 0;
            ++p.NN;
            p.wellNodes[at(p.NW++)] = c;
            put(p, j, c, n2, n3, s);
            const int32_t e2 = p.NM, e3 = p.NM + 1;
            put(p, e2, c, n1, n2, s);
            put(p, e3, c, n1, n3, s);
            p.NM += 2;
            for (const int32_t sub : {j, e2, e3}) {
                const int32_t u = p.elements[at(sub)].node[1], v = p.elements[at(sub)].node[2];
                const int32_t k = neighbour(p, u, v, sub);
                const int32_t m = p.NN;
                setMid(p.nodes[at(m)], p.nodes[at(u)], p.nodes[at(v)]);
                if (k >= 0) p.nodes[at(m)].Type = 0;
                put(p, sub, c, u, m, s);
                put(p, p.NM++, c, v, m, s);
                if (k >= 0) {
                    const int32_t o = third(p.elements[at(k)], u, v), ks = p.elements[at(k)].soil;
                    put(p, k, o, u, m, ks);
                    put(p, p.NM++, o, v, m, ks);
                }
                ++p.NN;
            }
            p.resultsStale = true;
        }
    }
    renumberBoth(p);
    return r;
}

} // namespace byScans
} // namespace velkor::test
