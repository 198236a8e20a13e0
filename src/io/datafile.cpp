#include "io/datafile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "io/line_reader.h"
#include "io/text_file.h"
#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

constexpr const char* kReadFailed = "Reading datafile failed.  Unknown name ?";
constexpr const char* kWriteFailed = "Writing datafile failed.  Disk full ?";
constexpr const char* kNoMemoryForTables =
    "Reading datafile failed.\n\nNot enough memory for the file's tables.";
// Names on the two name lines are kept to 40 characters when read.
constexpr std::size_t kNameReadLength = 40;

// ---- values a datafile holds ----------------------------------------------------------------

// No quantity of a groundwater problem comes near 1e15 m, days or m3/d. Below this size the
// midpoints and centres of the mesh operations, the element geometry of the assembly and the
// distances of the tracker stay far from overflowing, and every value prints to a field that
// reads back.
constexpr double kLargestValue = 1e15;
// The sizes of the problem area are stored with three decimals: a smaller one would read back as 0.
constexpr double kSmallestSize = 0.001;
// The smallest porosity the soils table accepts, and the smallest that six decimals can hold.
constexpr double kSmallestPorosity = 0.000001;

// False also for infinities and values that are not a number.
bool storable(double value) {
    return std::fabs(value) <= kLargestValue;
}

bool storableSize(double value) {
    return value >= kSmallestSize && storable(value);
}

// What makes a soil physically impossible, as a sentence about soil index + 1; empty for none.
std::string brokenSoilRule(int32_t index, const Soil& soil) {
    if (!(soil.K >= 0))
        return format("soil %d has permeability %g, but a permeability cannot be negative.", index + 1,
                      soil.K);
    if (!(soil.n >= kSmallestPorosity && soil.n <= 1))
        return format("soil %d has porosity %g, but a porosity lies between 0.000001 and 1.", index + 1,
                      soil.n);
    if (!(soil.R >= 1))
        return format("soil %d has retardation factor %g, but a retardation factor cannot be smaller than 1.",
                      index + 1, soil.R);
    return {};
}

} // namespace

std::string unstorableValue(const Problem& problem) {
    const auto outOfRange = [](const char* record, int32_t index, const char* field, double value) {
        return format("%s %d : %s is %g; a datafile holds finite values of at most 1e15 only.", record,
                      index + 1, field, value);
    };
    if (!storableSize(problem.LX) || !storableSize(problem.LY))
        return format(
            "LX is %g and LY is %g; the sizes of the problem area must lie between 0.001 m and 1e15 m.",
            problem.LX, problem.LY);
    if (!storable(problem.TM))
        return format("TM is %g; a datafile holds finite values of at most 1e15 only.", problem.TM);
    for (int32_t i = 0; i < problem.usedNodeCount(); ++i) {
        const Node& node = problem.nodes[idx(i)];
        const std::pair<const char*, double> fields[] = {{"X", node.X}, {"Y", node.Y}, {"B", node.B},
                                                         {"T", node.T}, {"F", node.F}, {"Q", node.Q}};
        for (const auto& [field, value] : fields)
            if (!storable(value)) return outOfRange("Node", i, field, value);
    }
    for (int32_t i = 0; i < problem.usedBlockCount(); ++i) {
        const Soil& soil = problem.soils[idx(i)];
        const std::pair<const char*, double> fields[] = {
            {"K", soil.K}, {"n", soil.n}, {"R", soil.R}, {"I", soil.I}};
        for (const auto& [field, value] : fields)
            if (!storable(value)) return outOfRange("Soil", i, field, value);
        if (std::string broken = brokenSoilRule(i, soil); !broken.empty()) {
            broken[0] = 'S';
            return broken;
        }
    }
    for (int32_t i = 0; i < problem.usedWellCount(); ++i)
        if (!storable(problem.wellQ[idx(i)])) return outOfRange("Well", i, "Q", problem.wellQ[idx(i)]);
    for (int32_t i = 0; i < problem.usedParticleCount(); ++i) {
        const Particle& particle = problem.particles[idx(i)];
        const std::pair<const char*, double> fields[] = {
            {"X", particle.X}, {"Y", particle.Y}, {"Z", particle.Z}};
        for (const auto& [field, value] : fields)
            if (!storable(value)) return outOfRange("Particle", i, field, value);
    }
    return {};
}

namespace {

// ---- writing ---------------------------------------------------------------------------------

// Writes comma-terminated fields in the fixed printf widths of the file. The digits come from
// writeFixed and std::to_chars, which produce exactly what printf("%*.*f") / printf("%*d") produce
// in the C locale, so the file is the same whatever locale the program runs in, and much faster to
// build.
// The text goes to the sink in pieces of a bounded size, so a large problem is never held as a
// whole text.
class FieldWriter {
  public:
    explicit FieldWriter(TextSink& sink) : sink_(sink), buffer_(kPiece + kRoom) {}

    void text(std::string_view text) {
        if (text.size() > kRoom) {
            handOver(0);
            sink_.write(text);
            return;
        }
        handOver(text.size());
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    void integer(int64_t value, int width) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        append(digits, result.ptr, width);
    }

    void real(double value, int width, int precision) {
        // The longest fixed form of a finite double has 309 integer digits.
        char digits[400];
        append(digits, writeFixed(digits, value, precision), width);
    }

    void endLine() { text("\r\n"); }

    // Hands over what is left; the writer is done.
    void finish() {
        sink_.write(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

  private:
    static constexpr std::size_t kPiece = 1 << 16;
    static constexpr std::size_t kRoom = 512; // more than any field with its padding takes

    void append(const char* first, const char* last, int width) {
        const auto length = static_cast<std::size_t>(last - first);
        const std::size_t padding = static_cast<std::size_t>(std::max(width, 0)) > length
                                        ? static_cast<std::size_t>(width) - length
                                        : 0;
        handOver(padding + length + 1);
        char* out = buffer_.data() + used_;
        std::memset(out, ' ', padding);
        std::memcpy(out + padding, first, length);
        out[padding + length] = ',';
        used_ += padding + length + 1;
    }

    // Makes room for the next bytes, handing the text so far over once a piece is full.
    void handOver(std::size_t next) {
        if (used_ + next <= kPiece) return;
        sink_.write(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

    TextSink& sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

void writeDatafileText(const Problem& problem, std::string_view fileName, TextSink& sink) {
    // Counts as far as the tables hold them; a valid model never needs the clamp.
    const int32_t NN = problem.usedNodeCount();
    const int32_t NA = problem.usedMainNodeCount();
    const int32_t NB = problem.usedBlockCount();
    const int32_t NM = problem.usedElementCount();
    const int32_t NW = problem.usedWellCount();
    const int32_t NP = problem.usedParticleCount();

    FieldWriter field(sink);

    field.text("#  VELKOR -- Finite Element Method for Plane Groundwater Flow\r\n");
    field.text("#  File Name\r\n");
    field.text(nameLineText(fileName));
    field.text(",\r\n");
    field.text("#  Problem Name\r\n");
    field.text(nameLineText(problem.problemName));
    field.text(",\r\n");

    field.text("#        LX (m)          LY (m)\r\n");
    field.real(problem.LX, 15, 3);
    field.real(problem.LY, 15, 3);
    field.endLine();

    field.text("#      NA        NB        NN        NM        NW        NP       TM (d)\r\n");
    for (const int32_t count : {NA, NB, NN, NM, NW, NP})
        field.integer(count, 9);
    field.real(problem.TM, 12, 3);
    field.endLine();

    field.text("#   Node      X (m)      Y (m)    B (m)    T (m)   F (m)   Q (m\xB3/d) Type\r\n");
    for (int32_t i = 0; i < NN; ++i) {
        const Node& node = problem.nodes[idx(i)];
        field.integer(i + 1, 8);
        field.real(node.X, 10, 3);
        field.real(node.Y, 10, 3);
        field.real(node.B, 8, 3);
        field.real(node.T, 8, 3);
        field.real(node.F, 8, 3);
        field.real(node.Q, 8, 3);
        field.integer(node.Type, 4);
        field.endLine();
    }

    // Blocks and elements share one line layout: number, three nodes and soil, all 1-based.
    auto writeCornerLine = [&field](int32_t index, const int32_t(&nodes)[3], int32_t soil) {
        field.integer(index + 1, 8);
        for (const int32_t node : nodes)
            field.integer(int64_t{node} + 1, 8);
        field.integer(int64_t{soil} + 1, 8);
        field.endLine();
    };

    field.text("#  Block    Node 1   Node 2   Node 3     Soil\r\n");
    for (int32_t i = 0; i < NB; ++i) {
        const Block& block = problem.blocks[idx(i)];
        writeCornerLine(i, block.node, block.soil);
    }

    field.text("#   Soil     K (m/d)       n            R           I (m/d)\r\n");
    for (int32_t i = 0; i < NB; ++i) {
        const Soil& soil = problem.soils[idx(i)];
        field.integer(i + 1, 8);
        field.real(soil.K, 12, 6);
        field.real(soil.n, 12, 6);
        field.real(soil.R, 12, 6);
        field.real(soil.I, 12, 6);
        field.endLine();
    }

    field.text("# Element   Node 1   Node 2   Node 3     Soil\r\n");
    for (int32_t i = 0; i < NM; ++i) {
        const Element& element = problem.elements[idx(i)];
        writeCornerLine(i, element.node, element.soil);
    }

    if (NW > 0) {
        field.text("#    Well     Node    F (m)       Q (m\xB3/d)    Type\r\n");
        for (int32_t i = 0; i < NW; ++i) {
            const int32_t nodeIndex = problem.wellNodes[idx(i)];
            // A well has no head or type of its own: they are its node's.
            const bool known = nodeIndex >= 0 && idx(nodeIndex) < problem.nodes.size();
            const Node* node = known ? &problem.nodes[idx(nodeIndex)] : nullptr;
            field.integer(i + 1, 8);
            field.integer(int64_t{nodeIndex} + 1, 8);
            field.real(node ? node->F : 0.0, 12, 6);
            field.real(problem.wellQ[idx(i)], 12, 6);
            field.integer(node ? node->Type : 0, 4);
            field.endLine();
        }
    }

    if (NP > 0) {
        field.text("#  Particle   X (m)        Y (m)        Z (m)\r\n");
        for (int32_t i = 0; i < NP; ++i) {
            const Particle& particle = problem.particles[idx(i)];
            field.integer(i + 1, 8);
            field.real(particle.X, 12, 6);
            field.real(particle.Y, 12, 6);
            field.real(particle.Z, 12, 6);
            field.endLine();
        }
    }
    field.finish();
}

// ---- reading ---------------------------------------------------------------------------------

struct NodeFields {
    double X, Y, B, T, F, Q;
    int32_t Type;
};

struct ElementFields {
    int32_t node[3];
    int32_t soil;
};

struct ParticleFields {
    double X, Y, Z;
};

// Everything a file holds, read aside so that a file that fails half-way leaves the problem as
// it was.
struct DatafileContent {
    std::string fileName, problemName;
    double LX = 0, LY = 0, TM = 0;
    int32_t NA = 0, NB = 0, NN = 0, NM = 0, NW = 0, NP = 0;
    std::vector<NodeFields> nodes;
    std::vector<Block> blocks;
    std::vector<Soil> soils;
    std::vector<ElementFields> elements;
    std::vector<int32_t> wellNodes;
    std::vector<double> wellQ;
    std::vector<ParticleFields> particles;
    bool headBelowBottom = false;
};

std::string capacityMessage(const char* table, const char* limit) {
    std::string message = "Capacity exceeded\n\n";
    message += "The number of ";
    message += table;
    message += " in the problem is too large.\n\n";
    message += "The capacity of the program can be increased by increasing the value of ";
    message += limit;
    message += " in the Installation Grid.";
    return message;
}

// A field as it may be quoted in a message: short, and without control characters.
std::string quoted(std::string_view field) {
    std::string text = "\"";
    for (const char c : field.substr(0, 20)) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    if (field.size() > 20) text += "...";
    text += '"';
    return text;
}

// Reads the data lines of a datafile one record at a time; every failure leaves a message that
// names the line.
class DatafileParser {
  public:
    explicit DatafileParser(LineReader& reader) : reader_(reader) {}

    const std::string& error() const { return error_; }

    bool fail(const std::string& sentence) {
        error_ =
            "Reading datafile failed.\n\nLine " + std::to_string(reader_.lineNumber()) + " : " + sentence;
        return false;
    }

    bool nameLine(std::string& name) {
        if (!dataLine()) return false;
        name = cutTo(nameField(line_), kNameReadLength);
        return true;
    }

    // Reads the next data line and splits it into at least wanted fields.
    bool numberLine(std::size_t wanted) {
        if (!dataLine()) return false;
        const std::size_t found = splitFields(line_, fields_, wanted);
        if (found < wanted)
            return fail(
                format("%d numbers expected, %d found.", static_cast<int>(wanted), static_cast<int>(found)));
        return true;
    }

    bool real(std::size_t k, double& value) {
        const ScannedNumber number = scanReal(fields_[k]);
        if (!number.found) return fail(quoted(fields_[k]) + " is not a number.");
        if (number.overflow || !storable(number.value)) return fail(quoted(fields_[k]) + " is too large.");
        value = number.value;
        return true;
    }

    // A size of the problem area: the merge and snap distances of the mesh operations grow from it.
    bool size(std::size_t k, const char* name, double& value) {
        if (!real(k, value)) return false;
        if (!storableSize(value))
            return fail(format("%s is %s, but the problem area must measure at least 0.001 m each way.", name,
                               quoted(fields_[k]).c_str()));
        return true;
    }

    // An integer field holds an integer and nothing else: "1e3" read as 1 would shift every later
    // section when it is a count, and name the wrong record when it is a reference.
    bool integer(std::size_t k, int32_t& value) {
        // The field of nearly every integer of a file: one to nine digits, read here directly.
        const std::string_view field = fields_[k];
        if (!field.empty() && field.size() <= 9) {
            int32_t digits = 0;
            std::size_t i = 0;
            for (; i < field.size(); ++i) {
                const auto digit = static_cast<unsigned>(field[i] - '0');
                if (digit > 9) break;
                digits = digits * 10 + static_cast<int32_t>(digit);
            }
            if (i == field.size()) {
                value = digits;
                return true;
            }
        }
        const ScannedNumber number = scanInteger(fields_[k]);
        if (!number.found) return fail(quoted(fields_[k]) + " is not a number.");
        if (number.overflow) return fail(quoted(fields_[k]) + " is too large for an integer.");
        if (number.length != fields_[k].size()) return fail(quoted(fields_[k]) + " is not a whole number.");
        value = static_cast<int32_t>(number.value);
        return true;
    }

    // A 1-based reference on file, checked against the count it refers to and made 0-based.
    bool reference(std::size_t k, int32_t count, const char* what, int32_t record, const char* target,
                   int32_t& index) {
        int32_t number = 0;
        if (!integer(k, number)) return false;
        if (number < 1 || number > count) {
            const std::string existing = count == 0   ? format("there are no %ss", target)
                                         : count == 1 ? format("there is only 1 %s", target)
                                                      : format("there are only %d %ss", count, target);
            return fail(
                format("%s %d refers to %s %d, but %s.", what, record, target, number, existing.c_str()));
        }
        index = number - 1;
        return true;
    }

  private:
    bool dataLine() {
        if (!reader_.nextDataLine(line_)) {
            switch (reader_.status()) {
            case LineReader::Status::LineTooLong:
                // The line being refused is the one after the last returned.
                error_ =
                    format("Reading datafile failed.\n\nLine %d : the line is longer than %d characters; "
                           "this is not a datafile.",
                           reader_.lineNumber() + 1, static_cast<int>(LineReader::kLongestLine));
                break;
            case LineReader::Status::End:
                error_ = reader_.lineNumber() == 0 ? "Reading datafile failed.\n\nThe file is empty."
                                                   : kReadFailed;
                break;
            default:
                error_ = kReadFailed;
                break;
            }
            return false;
        }
        // A zero byte never occurs in a text datafile: it marks a binary file, which is refused
        // rather than read as a string of zeros.
        if (std::memchr(line_.data(), '\0', line_.size()) != nullptr)
            return fail("the line holds a zero byte; this is not a text datafile.");
        return true;
    }

    LineReader& reader_;
    std::string_view line_;
    std::string_view fields_[8];
    std::string error_;
};

// Room for the records of one section, never more than the text can hold (a record line has at
// least four fields, eight bytes), so that a short file whose counts promise millions of records
// costs no more memory than it holds. Where the size is not known the records grow as they come.
template <typename Record>
void expect(std::vector<Record>& records, int32_t count, const LineReader& reader) {
    const std::size_t room = reader.knownSize() > 0 ? reader.knownSize() / 8 + 1 : 4096;
    records.clear();
    records.reserve(std::min(idx(std::max(count, 0)), room));
}

// Done: the whole file is in content. RefusedCapacity: a count passes the tables' capacity.
// BadInput: a line cannot be read (the message names it).
Result parseDatafile(LineReader& reader, const Limits& limits, DatafileContent& content) {
    DatafileParser parser(reader);
    auto failed = [&] { return Result::failed(Outcome::BadInput, parser.error()); };

    if (!parser.nameLine(content.fileName) || !parser.nameLine(content.problemName)) return failed();

    if (!parser.numberLine(2) || !parser.size(0, "LX", content.LX) || !parser.size(1, "LY", content.LY))
        return failed();

    if (!parser.numberLine(7)) return failed();
    int32_t* const counts[6] = {&content.NA, &content.NB, &content.NN, &content.NM, &content.NW, &content.NP};
    for (std::size_t k = 0; k < 6; ++k)
        if (!parser.integer(k, *counts[k])) return failed();
    if (!parser.real(6, content.TM)) return failed();

    // The tables are never reallocated by reading: a file larger than them is refused first.
    const char* table = nullptr;
    const char* limit = nullptr;
    if (content.NP > limits.PMAX) {
        table = "particles", limit = "PMAX";
    } else if (content.NW > limits.BMAX) {
        table = "wells", limit = "BMAX";
    } else if (content.NN > limits.NMAX || content.NA > limits.NMAX) {
        table = "nodes", limit = "NMAX";
    } else if (content.NM > limits.MMAX) {
        table = "elements", limit = "MMAX";
    } else if (content.NB > limits.BMAX) {
        table = "blocks", limit = "BMAX";
    }
    if (table) return Result::failed(Outcome::RefusedCapacity, capacityMessage(table, limit));

    const char* const countNames[6] = {"NA", "NB", "NN", "NM", "NW", "NP"};
    for (std::size_t k = 0; k < 6; ++k) {
        if (*counts[k] < 0) {
            parser.fail(format("%s is %d, but a count cannot be negative.", countNames[k], *counts[k]));
            return failed();
        }
    }
    if (content.NA > content.NN) {
        parser.fail(format("NA (%d) is larger than NN (%d); the main nodes are the first nodes.", content.NA,
                           content.NN));
        return failed();
    }

    expect(content.nodes, content.NN, reader);
    for (int32_t i = 0; i < content.NN; ++i) {
        NodeFields node{};
        if (!parser.numberLine(8) || !parser.real(1, node.X) || !parser.real(2, node.Y) ||
            !parser.real(3, node.B) || !parser.real(4, node.T) || !parser.real(5, node.F) ||
            !parser.real(6, node.Q) || !parser.integer(7, node.Type))
            return failed();
        // Only 0 (computed) and 1 (prescribed) are defined; larger types act as prescribed in the
        // solver and are kept, a negative one has no meaning at all.
        if (node.Type < 0) {
            parser.fail(format("node %d has type %d, but a type cannot be negative.", i + 1, node.Type));
            return failed();
        }
        if (!(node.F >= node.B)) content.headBelowBottom = true;
        content.nodes.push_back(node);
    }

    expect(content.blocks, content.NB, reader);
    for (int32_t i = 0; i < content.NB; ++i) {
        Block block;
        if (!parser.numberLine(5)) return failed();
        for (std::size_t k = 0; k < 3; ++k)
            if (!parser.reference(k + 1, content.NA, "block", i + 1, "main node", block.node[k]))
                return failed();
        if (!parser.reference(4, content.NB, "block", i + 1, "soil", block.soil)) return failed();
        content.blocks.push_back(block);
    }

    expect(content.soils, content.NB, reader);
    for (int32_t i = 0; i < content.NB; ++i) {
        Soil soil;
        if (!parser.numberLine(5) || !parser.real(1, soil.K) || !parser.real(2, soil.n) ||
            !parser.real(3, soil.R) || !parser.real(4, soil.I))
            return failed();
        if (const std::string broken = brokenSoilRule(i, soil); !broken.empty()) {
            parser.fail(broken);
            return failed();
        }
        content.soils.push_back(soil);
    }

    expect(content.elements, content.NM, reader);
    for (int32_t i = 0; i < content.NM; ++i) {
        ElementFields element{};
        if (!parser.numberLine(5)) return failed();
        for (std::size_t k = 0; k < 3; ++k)
            if (!parser.reference(k + 1, content.NN, "element", i + 1, "node", element.node[k]))
                return failed();
        if (!parser.reference(4, content.NB, "element", i + 1, "soil", element.soil)) return failed();
        content.elements.push_back(element);
    }

    expect(content.wellNodes, content.NW, reader);
    expect(content.wellQ, content.NW, reader);
    for (int32_t i = 0; i < content.NW; ++i) {
        int32_t node = 0, type = 0;
        double head = 0, discharge = 0;
        if (!parser.numberLine(5) || !parser.reference(1, content.NN, "well", i + 1, "node", node) ||
            !parser.real(2, head) || !parser.real(3, discharge) || !parser.integer(4, type))
            return failed();
        if (type < 0) {
            parser.fail(format("well %d has type %d, but a type cannot be negative.", i + 1, type));
            return failed();
        }
        // A well's head and type are those of its node: the well line overrides the node line.
        content.wellNodes.push_back(node);
        content.wellQ.push_back(discharge);
        content.nodes[idx(node)].F = head;
        content.nodes[idx(node)].Type = type;
    }

    expect(content.particles, content.NP, reader);
    for (int32_t i = 0; i < content.NP; ++i) {
        ParticleFields particle{};
        if (!parser.numberLine(4) || !parser.real(1, particle.X) || !parser.real(2, particle.Y) ||
            !parser.real(3, particle.Z))
            return failed();
        content.particles.push_back(particle);
    }
    return Result::done();
}

void commit(const DatafileContent& content, Problem& problem) {
    problem.fileName = content.fileName;
    problem.problemName = content.problemName;
    problem.LX = content.LX;
    problem.LY = content.LY;
    problem.TM = content.TM;
    problem.NA = content.NA;
    problem.NB = content.NB;
    problem.NN = content.NN;
    problem.NM = content.NM;
    problem.NW = content.NW;
    problem.NP = content.NP;

    // Only the fields the file holds are replaced; solver bookkeeping and results stay as they were.
    for (std::size_t i = 0; i < content.nodes.size(); ++i) {
        const NodeFields& in = content.nodes[i];
        Node& node = problem.nodes[i];
        node.X = in.X;
        node.Y = in.Y;
        node.B = in.B;
        node.T = in.T;
        node.F = in.F;
        node.Q = in.Q;
        node.Type = in.Type;
    }
    std::copy(content.blocks.begin(), content.blocks.end(), problem.blocks.begin());
    std::copy(content.soils.begin(), content.soils.end(), problem.soils.begin());
    for (std::size_t i = 0; i < content.elements.size(); ++i) {
        Element& element = problem.elements[i];
        std::copy(std::begin(content.elements[i].node), std::end(content.elements[i].node), element.node);
        element.soil = content.elements[i].soil;
    }
    std::copy(content.wellNodes.begin(), content.wellNodes.end(), problem.wellNodes.begin());
    std::copy(content.wellQ.begin(), content.wellQ.end(), problem.wellQ.begin());
    for (std::size_t i = 0; i < content.particles.size(); ++i) {
        Particle& particle = problem.particles[i];
        particle.X = content.particles[i].X;
        particle.Y = content.particles[i].Y;
        particle.Z = content.particles[i].Z;
    }
    // The flag is only ever set here; the solver clears it when it recomputes the heads.
    if (content.headBelowBottom) problem.warning = true;
}

// Reads a whole datafile through the reader into the problem: nothing changes unless the file
// reads to its end, apart from the restore of a capacity refusal.
Result readFrom(Problem& problem, LineReader& reader) {
    // The limits checked are those of the tables as they are actually allocated.
    Limits limits;
    limits.NMAX = static_cast<int32_t>(std::min<std::size_t>(problem.nodes.size(), INT32_MAX));
    limits.MMAX = static_cast<int32_t>(std::min<std::size_t>(problem.elements.size(), INT32_MAX));
    limits.BMAX =
        static_cast<int32_t>(std::min({problem.blocks.size(), problem.soils.size(), problem.wellNodes.size(),
                                       problem.wellQ.size(), std::size_t{INT32_MAX}}));
    limits.PMAX = static_cast<int32_t>(std::min<std::size_t>(problem.particles.size(), INT32_MAX));

    DatafileContent content;
    Result parsed;
    try {
        parsed = parseDatafile(reader, limits, content);
    } catch (const std::bad_alloc&) {
        return Result::failed(Outcome::OutOfMemory, kNoMemoryForTables);
    } catch (const std::length_error&) {
        return Result::failed(Outcome::OutOfMemory, kNoMemoryForTables);
    }

    if (parsed.outcome == Outcome::BadInput && reader.status() == LineReader::Status::ReadError)
        parsed.outcome = Outcome::FileError;
    if (parsed.outcome == Outcome::RefusedCapacity) {
        // The previous records stay under the counts of the last restore point.
        problem.fileName = "Data1.fem";
        problem.problemName = "Example 1";
        problem.restoreCountsFromSaved();
        problem.copyCountsToSaved();
    }
    if (!parsed.ok()) return parsed;
    commit(content, problem);
    problem.copyCountsToSaved();
    return Result::done();
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

Result readDatafileText(Problem& problem, std::string_view text) {
    LineReader reader(text);
    return readFrom(problem, reader);
}

Result readDatafile(Problem& problem, const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return Result::failed(Outcome::FileError, kReadFailed);
    LineReader reader(file.get());
    return readFrom(problem, reader);
}

std::string datafileText(const Problem& problem) {
    StringSink text;
    writeDatafileText(problem, problem.fileName, text);
    return std::move(text.text());
}

Result writeDatafile(Problem& problem, const std::string& path) {
    // A value the reader would refuse is not written: the file would not read back.
    if (const std::string unstorable = unstorableValue(problem); !unstorable.empty())
        return Result::failed(Outcome::BadInput, "Writing datafile failed.\n\n" + unstorable);
    const std::string name = cutTo(baseName(path), kNameLength);
    FileReplacement file(path);
    writeDatafileText(problem, name, file);
    // The system's reason ("Permission denied", "No space left on device") follows on a line of
    // its own: the program's line alone guesses a full disk for every failure.
    if (!file.commit()) return Result::failed(Outcome::FileError, withReason(kWriteFailed, file.error()));
    problem.fileName = name;
    return Result::done();
}

} // namespace velkor
