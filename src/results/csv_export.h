// Results as CSV tables for spreadsheets, scripts and GIS: nodes, elements, pathlines and the
// water budget.
//
// Every table is plain RFC 4180: a header line of column names, records ending in CR LF, fields
// separated by commas, a field quoted (with its quotes doubled) only when it holds a comma, a
// quote or a line break. Numbers have a decimal point and the shortest form that reads back as
// the same double (std::to_chars), so nothing of the stored value is lost. A value that is not a
// finite number is written as an empty field, the common mark of a missing value (pandas reads
// NaN there), never as "nan" or "inf"; the writers count such fields. Text is UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "io/text_file.h"
#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"
#include "results/particle_tracker.h"
#include "results/water_budget.h"

namespace velkor {

class ElementLocator;

// Builds CSV records into a buffer and hands it to the sink in large pieces.
class CsvWriter {
  public:
    explicit CsvWriter(TextSink& sink);
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    void number(double value); // empty when not finite
    void integer(int64_t value);
    void text(std::string_view utf8); // quoted where needed
    void empty();
    void endRecord();
    // Hands everything buffered to the sink.
    void flush();

    int64_t emptiedValues() const { return emptied_; }

  private:
    void separate();

    TextSink& sink_;
    std::string buffer_;
    bool firstField_ = true;
    int64_t emptied_ = 0;
};

// Windows-1252 text (the program's own) as UTF-8.
std::string utf8FromWindows1252(std::string_view text);

// node,x,y,bottom,top,head,type,Q: one record per node, numbers 1-based.
Result writeNodesCsv(const Problem& problem, TextSink& sink);

// element,node1,node2,node3,soil,vx,vy: one record per element, numbers 1-based; vx and vy are
// the element's specific discharge qx and qy (m/d).
Result writeElementsCsv(const Problem& problem, TextSink& sink);

// kind,particle,x,y,z,x_to,y_to,z_to,time: the steps of a tracking run in the order they are
// taken, as the drawings see them. A "seg" record is one step from (x, y, z) to (x_to, y_to,
// z_to), with time the days since the start of the particle at its end; a "mark" record is the
// mark at (x, y, z) after it (its x_to, y_to, z_to empty), time its travel time. Particles are
// 1-based. Runs the tracker (which places the particles and leaves every element -1).
TrackReport writePathlinesCsv(const Problem& problem, double h, TextSink& sink, Feedback* feedback = nullptr,
                              const ElementLocator* locator = nullptr);

// item,number,name,nodes,head_min,head_max,in,out,discrepancy_percent,out_of_date: the water
// budget as the window lists it. item is boundary (number, extent, nodes and head range of the
// group), well (number, "node N"), infiltration (soil number), infiltration_total, and total,
// the last record, with the discrepancy and whether the results are out of date (1) or not (0).
// Without a solution nothing is written and the outcome is NothingToDo, "Solve first.".
Result writeBudgetCsv(const WaterBudget& budget, TextSink& sink);

// Writes a table through the program's file replacement: the file gets all of it, or stays as
// it was (also when the writer refuses). FileError "Cannot write the file PATH: why" when the
// file cannot be replaced.
Result writeCsvFile(const std::string& path, const std::function<Result(TextSink&)>& writer);

// The Done result of a table, noting the values left empty.
Result csvWritten(int64_t emptiedValues);

} // namespace velkor
