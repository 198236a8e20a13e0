#include "ui/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QVBoxLayout>

#include "paint/text_codec.h"
#include "ui/settings_dialogs.h"

namespace velkor {

namespace {

QString programCaption() {
    return QStringLiteral("VELKOR");
}

// Kept above the windows that stay on top (Options, Contours, 3D-Graph, the editors): a box behind
// them would leave the program looking frozen, waiting for an answer nobody can see. A window kept
// on top is raised above the others kept on top when it is shown.
void keepOnTop(QWidget& dialog) {
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.setWindowModality(Qt::ApplicationModal);
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

QWidget* workingWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    // No window of the program is active (another program's is): the main window.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && qobject_cast<QMainWindow*>(window)) return window;
    return nullptr;
}

QStringList helpLines(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& written : text.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(written) <= width) {
            lines << written;
            continue;
        }
        // Wider than the box can be: broken between words, each part as wide as fits.
        QString line;
        for (const QString& word : written.split(QLatin1Char(' '))) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    return lines;
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
    QFileDialog dialog(workingWindow(), programCaption(), QFile::decodeName(request.initialDirectory.c_str()),
                       dialogFilter(request.filter));
    // The program's own dialog: one of the desktop's would not stay above the windows kept on top.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    keepOnTop(dialog);
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
    return path.toStdString();
}

} // namespace

void QtDialogs::message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, programCaption(), fromWindows1252(text), QMessageBox::Ok,
                    workingWindow());
    // The texts are plain: "<=" in a message must never be taken for markup.
    box.setTextFormat(Qt::PlainText);
    keepOnTop(box);
    box.exec();
}

void QtDialogs::help(const std::string& text) {
    // A message box breaks its lines at half the screen's width, which tears the aligned columns
    // of the help texts apart: the help box shows the lines as they are written.
    QDialog box(workingWindow());
    box.setWindowTitle(programCaption());
    keepOnTop(box);
    auto* label = new QLabel(&box);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    // The texts align their explanations in columns of blanks: a font of one width for every
    // character keeps them aligned.
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setObjectName(QStringLiteral("helpText"));
    const QScreen* screen = box.screen();
    const int width = (screen ? screen->availableGeometry().width() : 1024) * 9 / 10 - 40;
    label->setText(helpLines(fromWindows1252(text), label->fontMetrics(), width).join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    box.exec();
}

SaveChoice QtDialogs::askToSave(const std::string& text) {
    QMessageBox box(QMessageBox::Question, programCaption(), fromWindows1252(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, workingWindow());
    box.setTextFormat(Qt::PlainText);
    keepOnTop(box);
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
                    QMessageBox::Yes | QMessageBox::No, workingWindow());
    box.setTextFormat(Qt::PlainText);
    keepOnTop(box);
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
    QPrintDialog dialog(&printer, workingWindow());
    dialog.setWindowTitle(programCaption());
    keepOnTop(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, workingWindow());
    dialog.setWindowTitle(programCaption());
    keepOnTop(dialog);
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
