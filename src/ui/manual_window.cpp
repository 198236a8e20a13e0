#include "ui/manual_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

#include "manual/manual_pages.h"
#include "model/number_text.h"
#include "paint/qt_canvas.h"
#include "paint/text_codec.h"
#include "ui/application.h"
#include "ui/manual_print.h"
#include "ui/tool_glyphs.h"

namespace velkor {

namespace {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 580;
constexpr int kStripHeight = 30;
constexpr int kButtonSize = 25;
constexpr int kPageLabelLeft = 450;

const char* const kHelpText =
    "Manual\n\n"
    "This window shows a manual of the program, including a description of its "
    "operation. The manual can be printed by clicking the PRINT key in this window.";

void setBackground(QWidget* widget, Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QToolButton* makeToolButton(QWidget* parent, ToolGlyph glyph, const char* hint) {
    auto* button = new QToolButton(parent);
    button->setIcon(toolGlyph(glyph));
    button->setIconSize(QSize(21, 21));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(kButtonSize, kButtonSize);
    return button;
}

} // namespace

TFormManual::TFormManual(Application& app) : SecondaryWindow(app, WindowId::Manual, "Manual") {
    // Kept above the main window while it is read; it can be resized and maximised, the figure
    // column taking the width it is given.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setBackground(this, kAqua);

    PanelTools = new QWidget(this);
    setBackground(PanelTools, kLime);
    SpeedButtonPrint = makeToolButton(PanelTools, ToolGlyph::Print, "Print Manual");
    LabelPage = new QLabel(QStringLiteral("Page :"), PanelTools);
    ComboBoxPage = new QComboBox(PanelTools);
    ComboBoxPage->setEditable(true);
    ComboBoxPage->setInsertPolicy(QComboBox::NoInsert);
    // Typed text is read as a page number, not completed to an item.
    ComboBoxPage->setCompleter(nullptr);
    SpeedButtonHelp = makeToolButton(PanelTools, ToolGlyph::Help, "Help on Manual");

    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormManual::SpeedButtonPrintClick);
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TFormManual::SpeedButtonHelpClick);
    connect(ComboBoxPage, &QComboBox::activated, this, [this] { ComboBoxPageChange(); });
    connect(ComboBoxPage->lineEdit(), &QLineEdit::editingFinished, this, &TFormManual::ComboBoxPageChange);
    connect(ComboBoxPage->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { showPage(manual::clampedPage(readInteger(toWindows1252(text)))); });
    FormCreate();
}

void TFormManual::FormCreate() {
    const QSize screen = screenSize();
    // The client area of the pages and figures; the frame around it is placed where the window goes.
    setMinimumSize(manual::kPageBoxRight + 10, 200);
    placeClient(screen.width() <= 800 ? QPoint(10, 0) : QPoint(30, 70), QSize(kClientWidth, kClientHeight));

    PanelTools->setGeometry(0, 0, width(), kStripHeight);
    SpeedButtonPrint->move(2, (kStripHeight - kButtonSize) / 2);
    LabelPage->adjustSize();
    LabelPage->move(kPageLabelLeft, (kStripHeight - LabelPage->height()) / 2);
    for (int page = 1; page <= manual::kPageCount; ++page)
        ComboBoxPage->addItem(fromWindows1252(format("%2d", page)));
    ComboBoxPage->setMaxVisibleItems(manual::kPageCount);
    ComboBoxPage->resize(56, 22);
    ComboBoxPage->move(LabelPage->x() + LabelPage->width() + 10, (kStripHeight - ComboBoxPage->height()) / 2);
    placeHelpButton();

    page_ = 1;
    ComboBoxPage->setCurrentIndex(0);
}

void TFormManual::placeHelpButton() {
    PanelTools->resize(width(), kStripHeight);
    SpeedButtonHelp->move(width() - 34, (kStripHeight - kButtonSize) / 2);
}

void TFormManual::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    placeHelpButton();
}

void TFormManual::ComboBoxPageChange() {
    const int page = manual::clampedPage(readInteger(toWindows1252(ComboBoxPage->currentText())));
    // Selecting the item writes its text back over what was typed, also when the typed number
    // names the page already shown.
    ComboBoxPage->setCurrentIndex(page - 1);
    showPage(page);
}

void TFormManual::showPage(int page) {
    if (page == page_) return;
    page_ = page;
    update();
}

void TFormManual::paintEvent(QPaintEvent*) {
    FormPaint();
}

void TFormManual::FormPaint() {
    QPainter painter(this);
    QtCanvas canvas(painter);
    manual::drawScreenPage(canvas, page_, width());
}

void TFormManual::SpeedButtonPrintClick() {
    const Result printed = printManualWithDialog(app_.dialogs);
    if (printed.outcome == Outcome::FileError) app_.dialogs.message(printed.message);
}

void TFormManual::SpeedButtonHelpClick() {
    app_.dialogs.help(kHelpText);
}

} // namespace velkor
