#include "ui/manual_pdf.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include <memory>

#include "manual/manual_pages.h"
#include "ui/manual_print.h"

namespace velkor {

Result writeManualPdf(const std::string& path) {
    std::unique_ptr<QGuiApplication> ownApplication;
    if (!QCoreApplication::instance()) {
        // Fonts and painting need an application object; a command-line run has no screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velkor-batch";
        static char* argv[] = {name, nullptr};
        // Its remarks about the session (no runtime folder, no window manager) are not the
        // program's messages: standard error carries only those.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        ownApplication = std::make_unique<QGuiApplication>(argc, argv);
    }
    const QString fileName = QFile::decodeName(path.c_str());
    Result result;
    {
        QPdfWriter writer(fileName);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QStringLiteral("VELKOR - Manual"));
        writer.setCreator(QStringLiteral("VELKOR"));
        PagedDeviceSink sink(writer);
        result = manual::printManual(sink);
    }
    if (!result.ok())
        return Result::failed(Outcome::FileError, "The manual could not be written to " + path + ".");
    return result;
}

} // namespace velkor
