#include "results/contour_labels.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

// A label needs this much straight line beyond its text, and stands this far from the next one
// on the same line (in text heights).
constexpr double kClearance = 1.0;
constexpr double kSpacing = 12.0;
// A stretch of line counts as straight when no point of it lies further than this from its chord
// (in text heights) and the chord is nearly as long as the stretch.
constexpr double kStraightness = 0.2;
constexpr double kChordShare = 0.97;
// A picture of a dense mesh has a great many short lines; beyond this many labels it is full.
constexpr std::size_t kMostLabels = 400;

bool overlaps(const PlacedLabel& a, const PlacedLabel& b, int gap) {
    return a.left - gap < b.right && b.left - gap < a.right && a.top - gap < b.bottom &&
           b.top - gap < a.bottom;
}

} // namespace

std::string contourLabelText(double level) {
    std::string text = format("%.1f", std::round(level * 10) / 10);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
    if (text == "-0") text = "0";
    return text;
}

void ContourLabels::add(int32_t level, double ax, double ay, uint64_t sideA, double bx, double by,
                        uint64_t sideB) {
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return;
    segments_.push_back(Segment{ax, ay, bx, by, sideA, sideB, level});
}

void ContourLabels::joinLines(std::vector<std::vector<Point>>& lines, std::vector<int32_t>& levels) const {
    const std::size_t count = segments_.size();
    // Every segment end by the side it lies on; two ends on one side of one level meet.
    struct End {
        uint64_t side;
        int32_t level;
        uint32_t end; // 2 x segment + (0 for a, 1 for b)
    };
    std::vector<End> ends;
    ends.reserve(2 * count);
    for (std::size_t s = 0; s < count; ++s) {
        ends.push_back(End{segments_[s].sideA, segments_[s].level, static_cast<uint32_t>(2 * s)});
        ends.push_back(End{segments_[s].sideB, segments_[s].level, static_cast<uint32_t>(2 * s + 1)});
    }
    std::sort(ends.begin(), ends.end(), [](const End& p, const End& q) {
        return std::tie(p.side, p.level, p.end) < std::tie(q.side, q.level, q.end);
    });
    std::vector<int64_t> link(2 * count, -1);
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        if (ends[i].side != ends[i + 1].side || ends[i].level != ends[i + 1].level) continue;
        link[ends[i].end] = ends[i + 1].end;
        link[ends[i + 1].end] = ends[i].end;
        ++i; // a side shared by more than two elements joins its first two
    }

    auto pointAt = [this](uint32_t end) {
        const Segment& s = segments_[end / 2];
        return (end & 1) ? Point{s.bx, s.by} : Point{s.ax, s.ay};
    };
    std::vector<uint8_t> taken(count, 0);
    for (std::size_t first = 0; first < count; ++first) {
        if (taken[first]) continue;
        // Back to one end of the line (or round a closed one to where it began).
        uint32_t start = static_cast<uint32_t>(2 * first);
        for (std::size_t steps = 0; steps < count; ++steps) {
            const int64_t other = link[start];
            if (other < 0) break;
            const uint32_t entered = static_cast<uint32_t>(other);
            const uint32_t beyond = entered ^ 1u; // the far end of the neighbour
            if (beyond / 2 == first) break;
            start = beyond;
        }
        std::vector<Point> line{pointAt(start)};
        uint32_t at = start;
        while (true) {
            const std::size_t segment = at / 2;
            if (taken[segment]) break;
            taken[segment] = 1;
            const uint32_t leave = at ^ 1u;
            line.push_back(pointAt(leave));
            const int64_t next = link[leave];
            if (next < 0) break;
            at = static_cast<uint32_t>(next);
        }
        levels.push_back(segments_[first].level);
        lines.push_back(std::move(line));
    }
}

std::vector<PlacedLabel> ContourLabels::draw(Canvas& canvas, const std::vector<std::string>& texts,
                                             const CanvasArea& area, const std::vector<CanvasArea>& taken) {
    std::vector<PlacedLabel> placed;
    if (segments_.empty()) return placed;
    std::vector<std::vector<Point>> lines;
    std::vector<int32_t> lineLevels;
    joinLines(lines, lineLevels);

    canvas.setFont(kContourLabelFont);
    const double textHeight = canvas.textHeight("8");
    const int padding = std::max(1, static_cast<int>(textHeight / 6));
    for (std::size_t l = 0; l < lines.size() && placed.size() < kMostLabels; ++l) {
        const std::vector<Point>& line = lines[l];
        const int32_t level = lineLevels[l];
        if (level < 0 || idx(level) >= texts.size()) continue;
        const std::string& text = texts[idx(level)];
        const int width = canvas.textWidth(text) + 2 * padding;
        const int height = static_cast<int>(textHeight);
        const double need = width + kClearance * textHeight;
        const double spacing = need + kSpacing * textHeight;

        std::vector<double> along(line.size(), 0);
        for (std::size_t i = 1; i < line.size(); ++i)
            along[i] = along[i - 1] + std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
        const double length = along.back();
        if (!(length >= need)) continue;

        // The labels of a long line are spread evenly: the first one half a spacing in from the
        // middle of the spare length.
        double from = std::fmod(length - need, spacing) * 0.5;
        std::size_t i = 0, j = 0;
        while (from + need <= length && placed.size() < kMostLabels) {
            while (i + 1 < line.size() && along[i + 1] <= from)
                ++i;
            j = std::max(j, i + 1);
            while (j < line.size() && along[j] - along[i] < need)
                ++j;
            if (j >= line.size()) break;
            // The stretch from point i to point j: straight when its chord is nearly its length
            // and no point in between strays from the chord.
            const Point a = line[i], b = line[j];
            const double chord = std::hypot(b.x - a.x, b.y - a.y);
            bool straight = chord >= kChordShare * (along[j] - along[i]);
            for (std::size_t k = i + 1; straight && k < j; ++k) {
                const double off =
                    std::fabs((b.x - a.x) * (line[k].y - a.y) - (b.y - a.y) * (line[k].x - a.x)) / chord;
                straight = off <= kStraightness * textHeight;
            }
            if (straight) {
                // The label sits on the middle of the stretch.
                const double middle = (along[i] + along[j]) * 0.5;
                std::size_t k = i;
                while (k + 1 < j && along[k + 1] < middle)
                    ++k;
                const double piece = along[k + 1] - along[k];
                const double t = piece > 0 ? (middle - along[k]) / piece : 0;
                const double cx = line[k].x + t * (line[k + 1].x - line[k].x);
                const double cy = line[k].y + t * (line[k + 1].y - line[k].y);
                PlacedLabel label;
                label.left = static_cast<int>(std::lround(cx - width * 0.5));
                label.top = static_cast<int>(std::lround(cy - height * 0.5));
                label.right = label.left + width;
                label.bottom = label.top + height;
                label.level = level;
                const bool inside = label.left >= area.left && label.right <= area.right &&
                                    label.top >= area.top && label.bottom <= area.bottom;
                bool free = inside;
                for (const PlacedLabel& other : placed)
                    free = free && !overlaps(label, other, height / 2);
                for (const CanvasArea& box : taken)
                    free =
                        free && !overlaps(label, PlacedLabel{box.left, box.top, box.right, box.bottom, 0}, 2);
                if (free) {
                    placed.push_back(label);
                    from += spacing;
                    continue;
                }
            }
            from = along[i + 1] > from ? along[i + 1] : from + 1;
        }
    }

    // The boxes first, then the texts: a label never hides part of another.
    canvas.setPenColour(kWhite);
    canvas.setBrush(kWhite);
    for (const PlacedLabel& label : placed)
        canvas.rectangle(label.left, label.top, label.right, label.bottom);
    for (const PlacedLabel& label : placed)
        canvas.text(label.left + padding, label.top, texts[idx(label.level)]);
    canvas.setPenColour(kBlack);
    return placed;
}

} // namespace velkor
