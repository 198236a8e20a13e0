#include "results/csv_export.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

// A buffer of this size goes to the sink at once.
constexpr std::size_t kFlushSize = 1 << 16;

// The characters 0x80..0x9F of Windows-1252 as Unicode; 0 where the code page has none.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

class CsvTrack : public TrackConsumer {
  public:
    CsvTrack(CsvWriter& csv, int32_t particles, double timeStep)
        : csv_(csv), steps_(idx(particles > 0 ? particles : 0), 0), timeStep_(timeStep) {}

    void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) override {
        // Every particle still moving takes one step per sweep: its k-th step ends k steps of
        // time after its start.
        const auto steps = ++steps_[idx(particle)];
        time_ = static_cast<double>(steps) * timeStep_;
        csv_.text("seg");
        csv_.integer(particle + 1);
        csv_.number(from.x);
        csv_.number(from.y);
        csv_.number(from.z);
        csv_.number(to.x);
        csv_.number(to.y);
        csv_.number(to.z);
        csv_.number(time_);
        csv_.endRecord();
    }
    void mark(int32_t particle, const TrackPoint& at) override {
        // A mark follows the step it ends.
        csv_.text("mark");
        csv_.integer(particle + 1);
        csv_.number(at.x);
        csv_.number(at.y);
        csv_.number(at.z);
        csv_.empty();
        csv_.empty();
        csv_.empty();
        csv_.number(time_);
        csv_.endRecord();
    }

  private:
    CsvWriter& csv_;
    std::vector<int64_t> steps_;
    double timeStep_;
    double time_ = 0;
};

void header(CsvWriter& csv, std::initializer_list<const char*> names) {
    for (const char* name : names)
        csv.text(name);
    csv.endRecord();
}

} // namespace

CsvWriter::CsvWriter(TextSink& sink) : sink_(sink) {
    buffer_.reserve(kFlushSize + 1024);
}

CsvWriter::~CsvWriter() {
    flush();
}

void CsvWriter::separate() {
    if (!firstField_) buffer_.push_back(',');
    firstField_ = false;
}

void CsvWriter::number(double value) {
    separate();
    if (!std::isfinite(value)) {
        ++emptied_;
        return;
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    buffer_.append(text, end);
}

void CsvWriter::integer(int64_t value) {
    separate();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    buffer_.append(text, end);
}

void CsvWriter::text(std::string_view utf8) {
    separate();
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        buffer_.append(utf8);
        return;
    }
    buffer_.push_back('"');
    for (const char c : utf8) {
        if (c == '"') buffer_.push_back('"');
        buffer_.push_back(c);
    }
    buffer_.push_back('"');
}

void CsvWriter::empty() {
    separate();
}

void CsvWriter::endRecord() {
    buffer_.append("\r\n");
    firstField_ = true;
    if (buffer_.size() >= kFlushSize) flush();
}

void CsvWriter::flush() {
    if (buffer_.empty()) return;
    sink_.write(buffer_);
    buffer_.clear();
}

std::string utf8FromWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80 && c < 0xA0) {
            const char16_t mapped = kWindows1252High[c - 0x80];
            appendUtf8(out, mapped != 0 ? mapped : 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

Result csvWritten(int64_t emptiedValues) {
    if (emptiedValues == 0) return Result::done();
    if (emptiedValues == 1) return {Outcome::Done, "1 value that was not a number was left empty."};
    return {Outcome::Done, format("%lld values that were not numbers were left empty.",
                                  static_cast<long long>(emptiedValues))};
}

Result writeNodesCsv(const Problem& problem, TextSink& sink) {
    CsvWriter csv(sink);
    header(csv, {"node", "x", "y", "bottom", "top", "head", "type", "Q"});
    const int32_t count = problem.usedNodeCount();
    for (int32_t i = 0; i < count; ++i) {
        const Node& node = problem.nodes[idx(i)];
        csv.integer(i + 1);
        csv.number(node.X);
        csv.number(node.Y);
        csv.number(node.B);
        csv.number(node.T);
        csv.number(node.F);
        csv.integer(node.Type);
        csv.number(node.Q);
        csv.endRecord();
    }
    csv.flush();
    return csvWritten(csv.emptiedValues());
}

Result writeElementsCsv(const Problem& problem, TextSink& sink) {
    CsvWriter csv(sink);
    header(csv, {"element", "node1", "node2", "node3", "soil", "vx", "vy"});
    const int32_t count = problem.usedElementCount();
    for (int32_t m = 0; m < count; ++m) {
        const Element& element = problem.elements[idx(m)];
        csv.integer(m + 1);
        for (const int32_t node : element.node)
            csv.integer(int64_t{node} + 1);
        csv.integer(int64_t{element.soil} + 1);
        csv.number(element.qx);
        csv.number(element.qy);
        csv.endRecord();
    }
    csv.flush();
    return csvWritten(csv.emptiedValues());
}

TrackReport writePathlinesCsv(const Problem& problem, double h, TextSink& sink, Feedback* feedback,
                              const ElementLocator* locator) {
    CsvWriter csv(sink);
    header(csv, {"kind", "particle", "x", "y", "z", "x_to", "y_to", "z_to", "time"});
    CsvTrack track(csv, problem.usedParticleCount(), trackingTimeStep(problem, h));
    TrackReport report = trackParticles(problem, h, track, feedback, {}, locator);
    csv.flush();
    if (csv.emptiedValues() > 0 && report.result.message.empty())
        report.result.message = csvWritten(csv.emptiedValues()).message;
    return report;
}

Result writeBudgetCsv(const WaterBudget& budget, TextSink& sink) {
    if (!budget.solved) return Result::failed(Outcome::NothingToDo, kSolveFirstMessage);
    CsvWriter csv(sink);
    header(csv, {"item", "number", "name", "nodes", "head_min", "head_max", "in", "out",
                 "discrepancy_percent", "out_of_date"});
    auto flows = [&](double in, double out) {
        csv.number(in);
        csv.number(out);
        csv.empty();
        csv.empty();
        csv.endRecord();
    };
    for (std::size_t g = 0; g < budget.groups.size(); ++g) {
        const BoundaryGroup& group = budget.groups[g];
        csv.text("boundary");
        csv.integer(static_cast<int64_t>(g + 1));
        csv.text(utf8FromWindows1252(group.extent));
        csv.integer(group.nodeCount);
        csv.number(group.headMin);
        csv.number(group.headMax);
        flows(group.in, group.out);
    }
    for (std::size_t w = 0; w < budget.wells.size(); ++w) {
        const WellBudget& well = budget.wells[w];
        csv.text("well");
        csv.integer(static_cast<int64_t>(w + 1));
        csv.text(format("node %d", well.node + 1));
        csv.empty();
        csv.empty();
        csv.empty();
        flows(well.in, well.out);
    }
    for (std::size_t s = 0; s < budget.soils.size(); ++s) {
        csv.text("infiltration");
        csv.integer(static_cast<int64_t>(s + 1));
        csv.text(format("soil %d", static_cast<int>(s + 1)));
        csv.empty();
        csv.empty();
        csv.empty();
        flows(budget.soils[s].in, budget.soils[s].out);
    }
    csv.text("infiltration_total");
    for (int k = 0; k < 5; ++k)
        csv.empty();
    flows(budget.infiltrationIn, budget.infiltrationOut);
    csv.text("total");
    for (int k = 0; k < 5; ++k)
        csv.empty();
    csv.number(budget.totalIn);
    csv.number(budget.totalOut);
    csv.number(budget.discrepancyPercent);
    csv.integer(budget.outOfDate ? 1 : 0);
    csv.endRecord();
    csv.flush();
    return csvWritten(csv.emptiedValues());
}

Result writeCsvFile(const std::string& path, const std::function<Result(TextSink&)>& writer) {
    FileReplacement file(path);
    const Result written = writer(file);
    // A table the writer refused leaves the file as it was; the replacement is dropped unused.
    if (written.outcome != Outcome::Done && written.outcome != Outcome::LimitReached) return written;
    if (!file.commit())
        return Result::failed(Outcome::FileError, "Cannot write the file " + path + ": " + file.error());
    return written;
}

} // namespace velkor
