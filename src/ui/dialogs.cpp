#include "ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/settings_dialogs.h"
#include "ui/text_codec.h"

namespace velkor {

namespace {

QString programCaption() {
    return QStringLiteral("VELKOR");
}

// "FEM(*.fem)|*.fem" -> "FEM (*.fem)", the form the desktop dialogs understand: the pattern is
// named once, after the description. Several pairs ("A|*.a|B|*.b") become "A (*.a);;B (*.b)".
QString dialogFilter(const std::string& filter) {
    const QStringList parts = fromWindows1252(filter).split(QLatin1Char('|'));
    if (parts.size() < 2) return parts.value(0);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& pattern = parts[i + 1];
        QString description = parts[i];
        const QString named = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.endsWith(named)) description.chop(named.size());
        filters << description.trimmed() + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

std::string desktopFilter(const std::string& filter) {
    return toWindows1252(dialogFilter(filter));
}

namespace {

QString defaultSuffix(const std::string& extension) {
    QString suffix = fromWindows1252(extension);
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

QString proposedPath(const FileDialogRequest& request) {
    const QString name = QFile::decodeName(request.fileName.c_str());
    const QString directory = QFile::decodeName(request.initialDirectory.c_str());
    if (name.isEmpty() || QFileInfo(name).isAbsolute() || directory.isEmpty()) return name;
    return QDir(directory).filePath(name);
}

std::optional<std::string> runFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow(), programCaption(),
                       QFile::decodeName(request.initialDirectory.c_str()), dialogFilter(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(request.defaultExtension));
    // With several kinds of file on offer, a name typed without extension gets the chosen kind's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& selected) {
        const qsizetype open = selected.lastIndexOf(QLatin1Char('(')),
                        close = selected.lastIndexOf(QLatin1Char(')'));
        if (open >= 0 && close > open)
            dialog.setDefaultSuffix(defaultSuffix(toWindows1252(selected.mid(open + 1, close - open - 1))));
    });
    const QString proposal = proposedPath(request);
    if (!proposal.isEmpty()) dialog.selectFile(proposal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QByteArray path = QFile::encodeName(dialog.selectedFiles().constFirst());
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

} // namespace

void QtDialogs::message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, programCaption(), fromWindows1252(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // The texts are plain: "<=" in a message must never be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

SaveChoice QtDialogs::askToSave(const std::string& text) {
    QMessageBox box(QMessageBox::Question, programCaption(), fromWindows1252(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

bool QtDialogs::askYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, programCaption(), fromWindows1252(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave);
}

bool QtDialogs::printSetup(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(programCaption());
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(programCaption());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(*target); });
    dialog.exec();
}

std::optional<NodeSettings> QtDialogs::nodeSettings(const NodeSettingsRequest& request) {
    SetNodesDialog dialog(request, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.settings();
}

std::optional<ExportChoice> QtDialogs::exportChoice(const ExportChoice& proposal) {
    ExportDialog dialog(proposal, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

} // namespace velkor
