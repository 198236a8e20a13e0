#include "pdf/paged_sink.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>

#include "paint/text_codec.h"

namespace velkor {

PageCanvas::PageCanvas(QPainter& painter) : QtCanvas(painter), painter_(painter) {
    PageCanvas::setFont(FontNormal);
}

void PageCanvas::setBrush(Colour colour) {
    QtCanvas::setBrush(colour);
    brush_ = toQColor(colour);
}

void PageCanvas::setFont(const Font& font) {
    QtCanvas::setFont(font);
    const QFont& used = painter_.font();
    const QFontMetrics metrics(used, painter_.device());
    fixedPitch_ = QFontInfo(used).fixedPitch();
    advance_ = QFontMetricsF(used, painter_.device()).horizontalAdvance(QLatin1Char(' '));
    ascent_ = metrics.ascent();
    height_ = metrics.height();
    rawFont_ = QRawFont::fromFont(QFont(used, painter_.device()));
    fixedPitch_ = fixedPitch_ && rawFont_.isValid();
    run_.setRawFont(rawFont_);
}

void PageCanvas::text(int x, int y, std::string_view text) {
    if (!fixedPitch_) {
        QtCanvas::text(x, y, text);
        return;
    }
    const QString shown = fromWindows1252(text);
    const QPen pen = painter_.pen();
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(x, y, qRound(shown.size() * advance_), height_, brush_);
    painter_.setPen(Qt::black);
    glyphs_.clear();
    positions_.clear();
    const QList<quint32> indexes = rawFont_.glyphIndexesForString(shown);
    for (qsizetype k = 0; k < shown.size() && k < indexes.size(); ++k) {
        if (shown[k] == QLatin1Char(' ')) continue;
        glyphs_.append(indexes[k]);
        positions_.append(QPointF(k * advance_, 0));
    }
    if (!glyphs_.isEmpty()) {
        run_.setGlyphIndexes(glyphs_);
        run_.setPositions(positions_);
        painter_.drawGlyphRun(QPointF(x, y + ascent_), run_);
    }
    painter_.setPen(pen);
    painter_.setCompositionMode(mode);
}

PagedDeviceSink::PagedDeviceSink(QPagedPaintDevice& device) : device_(device) {}

bool PagedDeviceSink::beginDocument() {
    if (!painter_.begin(&device_)) {
        failed_ = true;
        return false;
    }
    canvas_.emplace(painter_);
    return true;
}

void PagedDeviceSink::newPage() {
    if (!device_.newPage()) failed_ = true;
}

void PagedDeviceSink::endDocument() {
    if (painter_.isActive() && !painter_.end()) failed_ = true;
}

} // namespace velkor
