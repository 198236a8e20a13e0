// Refinement benchmark: Split 4 and Split 2 passes from four blocks up to a million elements and
// more, renumbering alone, and Add Well on a mesh of a million elements. Every series runs three
// times and the fastest time of each row is shown (the machine is shared). The ratio is a pass's
// time over the time of the pass before it; work/tables is the peak memory a pass allocates over
// the size of the used node and element tables it leaves.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "four_blocks.h"
#include "mesh/refinement.h"
#include "model/problem.h"
#include "timing.h"

// Every allocation is counted, so that the work memory of a pass can be set against the tables.
namespace {
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;
} // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + 16);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    liveBytes += size;
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return static_cast<char*>(block) + 16;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - 16;
    liveBytes -= *static_cast<std::size_t*>(block);
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept {
    operator delete(pointer);
}

using namespace velkor;

namespace {

using bench::fourBlocks;
using bench::seconds;

constexpr int kRepeats = 3;

// Peak of the memory allocated while `run` works, beyond what was live before it.
template <typename Run> std::size_t workBytes(Run&& run) {
    const std::size_t before = liveBytes;
    peakBytes = liveBytes;
    run();
    return peakBytes - before;
}

double tableBytes(const Problem& p) {
    return static_cast<double>(p.NN) * sizeof(Node) + static_cast<double>(p.NM) * sizeof(Element);
}

double renumberSeconds(Problem& p) {
    const auto start = std::chrono::steady_clock::now();
    renumberNodes(p);
    renumberElements(p);
    return seconds(start);
}

struct Row {
    int32_t NM = 0, NN = 0;
    double pass = 1e300, renumber = 1e300, share = 0;
};

void keepFastest(std::vector<Row>& rows, std::size_t k, const Row& row) {
    if (rows.size() <= k) rows.resize(k + 1);
    Row& kept = rows[k];
    kept.NM = row.NM;
    kept.NN = row.NN;
    kept.pass = std::min(kept.pass, row.pass);
    kept.renumber = std::min(kept.renumber, row.renumber);
    kept.share = std::max(kept.share, row.share);
}

void printRows(const std::vector<Row>& rows, bool withRenumber) {
    if (withRenumber)
        std::printf("%10s %10s %10s %11s %10s %8s %12s\n", "elements", "nodes", "pass s", "renumber s",
                    "split s", "ratio", "work/tables");
    else
        std::printf("%10s %10s %10s %8s %12s\n", "elements", "nodes", "pass s", "ratio", "work/tables");
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row& r = rows[k];
        const double ratio = k > 0 ? r.pass / rows[k - 1].pass : 0;
        if (withRenumber)
            std::printf("%10d %10d %10.4f %11.4f %10.4f %8.2f %12.2f\n", r.NM, r.NN, r.pass, r.renumber,
                        r.pass - r.renumber, ratio, r.share);
        else
            std::printf("%10d %10d %10.4f %8.2f %12.2f\n", r.NM, r.NN, r.pass, ratio, r.share);
    }
}

void splitFourSeries(Problem& p, const Limits& limits) {
    std::printf("\nSplit 4 passes (pass = the whole operation; renumber = both renumberings run again "
                "alone on its result; split = pass - renumber)\n");
    std::vector<Row> rows;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        fourBlocks(p, limits);
        for (std::size_t k = 0; 4 * int64_t{p.NM} <= limits.MMAX && 4 * int64_t{p.NN} <= limits.NMAX; ++k) {
            Result result;
            const auto start = std::chrono::steady_clock::now();
            const std::size_t work = workBytes([&] { result = splitAllInFour(p); });
            Row row;
            row.pass = seconds(start);
            if (!result.message.empty()) break;
            row.renumber = renumberSeconds(p);
            row.NM = p.NM;
            row.NN = p.NN;
            row.share = static_cast<double>(work) / tableBytes(p);
            keepFastest(rows, k, row);
        }
    }
    printRows(rows, true);
}

void splitTwoSeries(Problem& p, const Limits& limits) {
    std::printf("\nSplit 2 passes (work includes the done marks, one byte per element slot of the table)\n");
    std::vector<Row> rows;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        fourBlocks(p, limits);
        std::size_t k = 0;
        while (p.NM < 1'000'000) {
            Result result;
            const auto start = std::chrono::steady_clock::now();
            const std::size_t work = workBytes([&] { result = splitAllInTwo(p); });
            Row row;
            row.pass = seconds(start);
            if (!result.message.empty()) break;
            if (p.NM < 1000) continue;
            row.NM = p.NM;
            row.NN = p.NN;
            row.share = static_cast<double>(work) / tableBytes(p);
            keepFastest(rows, k++, row);
        }
    }
    printRows(rows, false);
}

void addWellOnAMillion(Problem& p, const Limits& limits) {
    std::printf("\nAdd Well on a mesh of a million elements (mean of 10 wells at random points)\n");
    fourBlocks(p, limits);
    while (p.NM < 1'000'000)
        if (!splitAllInFour(p).message.empty()) return;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, p.LX), y(0, p.LY);
    double total = 0, renumber = 0;
    const int wells = 10;
    for (int w = 0; w < wells; ++w) {
        const auto start = std::chrono::steady_clock::now();
        addWell(p, x(random), y(random));
        total += seconds(start);
        renumber += renumberSeconds(p);
    }
    std::printf("%10s %10s %12s %12s %14s\n", "elements", "wells", "add well s", "renumber s", "without s");
    std::printf("%10d %10d %12.4f %12.4f %14.4f\n", p.NM, p.NW, total / wells, renumber / wells,
                (total - renumber) / wells);
}

} // namespace

int main() {
    Limits limits;
    limits.BMAX = 48;
    limits.NMAX = 2'200'000;
    limits.MMAX = 4'200'000;
    limits.PMAX = 0;
    Problem p;
    splitFourSeries(p, limits);
    splitTwoSeries(p, limits);
    addWellOnAMillion(p, limits);
    return 0;
}
