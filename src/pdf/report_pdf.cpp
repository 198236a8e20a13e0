#include "pdf/report_pdf.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>
#include <memory>

#include "paint/text_codec.h"
#include "pdf/paged_sink.h"
#include "pdf/replacement_device.h"

namespace velkor {

namespace {

// Qt's own notes (a missing runtime directory of the offscreen platform) are not the program's
// messages; while the report is written only Qt's errors get through.
void keepQtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

class QuietQt {
  public:
    QuietQt() : previous_(qInstallMessageHandler(keepQtErrorsOnly)) {}
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt&) = delete;
    QuietQt& operator=(const QuietQt&) = delete;

  private:
    QtMessageHandler previous_;
};

// Fonts need a GUI application; a program without one gets one on the offscreen platform, which
// needs no display.
std::unique_ptr<QGuiApplication> guiApplicationForFonts() {
    if (QCoreApplication::instance() != nullptr) return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velkor";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

PrintReport fileError(const std::string& path, const std::string& why) {
    PrintReport report;
    report.result =
        Result::failed(Outcome::FileError, "Cannot write the file " + path + (why.empty() ? "" : ": " + why));
    return report;
}

} // namespace

bool writePdf(const std::string& path, const std::string& title, const PdfPage& page,
              const std::function<bool(PageSink&)>& draw, std::string* why) {
    const QuietQt quiet;
    const std::unique_ptr<QGuiApplication> application = guiApplicationForFonts();

    ReplacementDevice file(path);
    const auto failed = [&] {
        if (why) *why = file.error();
        return false;
    };
    if (!file.isOpen()) return failed();
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("VELKOR"));
        writer.setTitle(fromWindows1252(title));
        writer.setResolution(page.dpi);
        const QPageSize size =
            page.width > 0 && page.height > 0
                ? QPageSize(QSizeF(double(page.width) / page.dpi, double(page.height) / page.dpi),
                            QPageSize::Inch, QString(), QPageSize::ExactMatch)
                : QPageSize(QPageSize::A4);
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        PagedDeviceSink sink(writer);
        if (!draw(sink) || sink.failed()) return failed();
    }
    return file.commit() || failed();
}

PrintReport writeReportPdf(const Problem& problem, const OptionSettings& options, const std::string& path,
                           const PdfPage& page) {
    PrintReport report;
    std::string why;
    const bool written = writePdf(
        path, "VELKOR : " + problem.problemName, page,
        [&](PageSink& sink) {
            report = printReport(problem, sink, options);
            return report.result.outcome != Outcome::FileError;
        },
        &why);
    if (!written) return fileError(path, why);
    return report;
}

} // namespace velkor
