// The report's pages on a Qt paged device - a QPdfWriter or a QPrinter - drawn through QtCanvas.
// The device takes every finished page when the next one starts, so a long report is never held
// in memory as a whole.
#pragma once

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRawFont>

#include <optional>

#include "paint/qt_canvas.h"
#include "results/canvas.h"

namespace velkor {

// QtCanvas on a page. Text in a fixed-pitch font goes to the device as its runs of non-blank
// characters, each at its place in the line: a PDF page carries every glyph with its own
// position, and the blanks between the report's number columns are half of a row's glyphs and
// half of the time to write it. The box of the brush colour still spans the whole text.
class PageCanvas : public QtCanvas {
  public:
    explicit PageCanvas(QPainter& painter);

    void setBrush(Colour colour) override;
    void setFont(const Font& font) override;
    void text(int x, int y, std::string_view text) override;

  private:
    QPainter& painter_;
    QColor brush_ = Qt::white;
    bool fixedPitch_ = false;
    qreal advance_ = 0; // of every character, in a fixed-pitch font
    int ascent_ = 0, height_ = 0;
    QRawFont rawFont_;
    // Reused from text to text.
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
    QGlyphRun run_;
};

class PagedDeviceSink : public PageSink {
  public:
    explicit PagedDeviceSink(QPagedPaintDevice& device);

    // The canvas exists from here on.
    bool beginDocument() override;
    void newPage() override;
    void endDocument() override;

    int pageWidth() const override { return device_.width(); }
    int pageHeight() const override { return device_.height(); }

    // Valid between beginDocument and endDocument.
    Canvas& canvas() override { return *canvas_; }

    // The device refused a page or the end of the document: the output is incomplete.
    bool failed() const { return failed_; }

  private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    std::optional<PageCanvas> canvas_;
    bool failed_ = false;
};

} // namespace velkor
