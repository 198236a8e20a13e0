// The manual window as a reader uses it: opened from the main window, paged through the page
// list, printed, and the printed manual read back from the PDF that velkor-batch writes.
#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPaintEvent>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QScreen>

#include <deque>
#include <filesystem>

#include "manual/manual_pages.h"
#include "paint/qt_canvas.h"
#include "ui/manual_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

// Scripted dialogs that also answer the print dialog: with a PDF file to print into, or cancel.
class PrintingDialogs : public ScriptedDialogs {
  public:
    std::deque<std::optional<std::string>> printAnswers;
    int printRequests = 0;

    bool printSetup(QPrinter& printer) override {
        ++printRequests;
        if (printAnswers.empty() || !printAnswers.front()) {
            if (!printAnswers.empty()) printAnswers.pop_front();
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(*printAnswers.front()));
        printAnswers.pop_front();
        return true;
    }
};

// The text of each page of a PDF, as pdftotext reads it.
std::vector<std::string> pdfPages(const std::string& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    const std::string text = process.readAllStandardOutput().toStdString();
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\f'); feed != std::string::npos; feed = text.find('\f', start)) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return pages;
}

std::vector<std::string> linesOf(const std::string& page) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < page.size()) {
        std::size_t end = page.find('\n', start);
        if (end == std::string::npos) end = page.size();
        std::string line = page.substr(start, end - start);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// True when the lines hold every one of wanted as a whole line, in this order.
bool holdsInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    auto from = lines.begin();
    for (const std::string& line : wanted) {
        from = std::find(from, lines.end(), line);
        if (from == lines.end()) return false;
        ++from;
    }
    return true;
}

const std::vector<std::vector<std::string>> kSheetHeadings = {
    {"Introduction", "Figure 1 : Finite Element Mesh."},
    {"The aquifer", "Figure 2 : Vertical cross section.", "Capacity"},
    {"Operation of the program", "Figure 3 : Blocks.", "Figure 4 : Elements."},
    {"File commands", "Help commands", "Installation Data", "General Data"},
    {"New", "Figure 5 : New."},
    {"Edit", "Figure 6 : Edit."},
    {"Print", "Options", "Properties"},
    {"Nodes", "Figure 7 : Blocks and Elements."},
    {"Elements", "Mesh", "Figure 7 : Blocks and Elements."},
    {"Wells", "Particles"},
    {"Solve", "Contours", "3D-Graph"},
    {"Validations", "Validation 1", "Validation 2", "Validation 3"},
    {"Literature"},
    {"Setting a side", "Water Budget", "Export"},
};

void expectTheFourteenSheets(const std::string& pdf) {
    const std::vector<std::string> pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 14u) << "pdftotext read " << pages.size() << " pages of " << pdf;
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const std::vector<std::string> lines = linesOf(pages[k]);
        std::vector<std::string> wanted = kSheetHeadings[k];
        wanted.insert(wanted.begin(), "VELKOR - Manual");
        EXPECT_TRUE(holdsInOrder(lines, wanted)) << "sheet " << k + 1 << ":\n" << pages[k];
        const std::string label = "page " + std::to_string(k + 1);
        EXPECT_EQ(std::find(lines.begin(), lines.end(), label) != lines.end(), k > 0) << label;
    }
}

class ManualWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        app = startProgram(dialogs);
        QTest::mouseClick(app->mainWindow().SpeedButtonManual, Qt::LeftButton);
        ASSERT_TRUE(manual().isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&manual()));
    }
    void TearDown() override { app.reset(); }

    TFormManual& manual() { return static_cast<TFormManual&>(app->window(WindowId::Manual)); }

    // Types into the page list and ends the typing with Enter, as a reader does.
    void typePage(const QString& text) {
        QLineEdit* editor = manual().ComboBoxPage->lineEdit();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    QImage windowPicture() {
        QCoreApplication::processEvents();
        return manual().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    PrintingDialogs dialogs;
    std::unique_ptr<Application> app;
};

} // namespace

TEST_F(ManualWindow, OpensFromTheMainWindowAtItsPlaceAndSize) {
    EXPECT_TRUE(app->isShown(WindowId::Manual));
    EXPECT_EQ(manual().size(), QSize(770, 580));
    EXPECT_TRUE(manual().windowFlags() & Qt::WindowStaysOnTopHint);
    const int screenWidth = manual().screen()->geometry().width();
    EXPECT_EQ(manual().pos(), screenWidth <= 800 ? QPoint(10, 0) : QPoint(30, 70)) << screenWidth;

    EXPECT_EQ(manual().PanelTools->geometry(), QRect(0, 0, 770, 30));
    EXPECT_EQ(manual().PanelTools->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(manual().palette().color(QPalette::Window), QColor(0, 255, 255));
    EXPECT_LT(manual().SpeedButtonPrint->x(), 10);
    EXPECT_EQ(manual().SpeedButtonPrint->toolTip(), QStringLiteral("Print Manual"));
    EXPECT_EQ(manual().LabelPage->text(), QStringLiteral("Page :"));
    EXPECT_EQ(manual().LabelPage->x(), 450);
    EXPECT_EQ(manual().ComboBoxPage->x(), manual().LabelPage->geometry().right() + 1 + 10);
    EXPECT_EQ(manual().SpeedButtonHelp->x(), 770 - 34);
    EXPECT_EQ(manual().SpeedButtonHelp->toolTip(), QStringLiteral("Help on Manual"));

    // The page box is yellow, the strip lime.
    const QImage picture = windowPicture();
    EXPECT_EQ(QColor(picture.pixel(520, 550)), QColor(255, 255, 0));
    EXPECT_EQ(QColor(picture.pixel(300, 15)), QColor(0, 255, 0));

    QTest::mouseClick(app->mainWindow().SpeedButtonManual, Qt::LeftButton);
    EXPECT_FALSE(manual().isVisible());
    EXPECT_FALSE(app->isShown(WindowId::Manual));
}

TEST_F(ManualWindow, PageListHoldsTypedNumbersToThePages) {
    QComboBox& list = *manual().ComboBoxPage;
    ASSERT_EQ(list.count(), 14);
    EXPECT_EQ(list.itemText(0), QStringLiteral(" 1"));
    EXPECT_EQ(list.itemText(13), QStringLiteral("14"));
    EXPECT_EQ(list.maxVisibleItems(), 14);
    EXPECT_EQ(manual().currentPage(), 1);

    typePage(QStringLiteral("7"));
    EXPECT_EQ(manual().currentPage(), 7);
    EXPECT_EQ(list.currentText(), QStringLiteral(" 7"));
    typePage(QStringLiteral("20"));
    EXPECT_EQ(manual().currentPage(), 14);
    EXPECT_EQ(list.currentText(), QStringLiteral("14"));
    // Typed on the page already shown, the number is still written back as the item.
    typePage(QStringLiteral("99"));
    EXPECT_EQ(manual().currentPage(), 14);
    EXPECT_EQ(list.currentText(), QStringLiteral("14"));
    typePage(QStringLiteral("0"));
    EXPECT_EQ(manual().currentPage(), 1);
    EXPECT_EQ(list.currentText(), QStringLiteral(" 1"));
    typePage(QStringLiteral("12"));
    typePage(QStringLiteral("abc"));
    EXPECT_EQ(manual().currentPage(), 1);
    EXPECT_EQ(list.currentText(), QStringLiteral(" 1"));
    EXPECT_EQ(list.count(), 14); // nothing typed was added to the list

    // The arrow key steps through the items, and the window paints the page it shows anew.
    struct PaintedRegion : QObject {
        QRegion region;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } painted;
    QCoreApplication::processEvents();
    manual().installEventFilter(&painted);
    QTest::keyClick(list.lineEdit(), Qt::Key_Down);
    EXPECT_EQ(manual().currentPage(), 2);
    QCoreApplication::processEvents();
    manual().removeEventFilter(&painted);
    EXPECT_TRUE(painted.region.contains(QPoint(manual().width() / 2, manual().height() / 2)));

    // The page survives hiding and showing.
    typePage(QStringLiteral("9"));
    manual().FormClose();
    QTest::mouseClick(app->mainWindow().SpeedButtonManual, Qt::LeftButton);
    EXPECT_EQ(manual().currentPage(), 9);
}

TEST_F(ManualWindow, FigureColumnEmptyOnPagesWithoutFigures) {
    const QRect column(542, 100, 218, 431);
    auto columnColours = [&] {
        const QImage picture = windowPicture();
        std::set<QRgb> colours;
        for (int y = column.top(); y <= column.bottom(); ++y)
            for (int x = column.left(); x <= column.right(); ++x)
                colours.insert(picture.pixel(x, y));
        return colours;
    };
    for (int page = 10; page <= 14; ++page) {
        typePage(QStringLiteral("6"));
        EXPECT_GT(columnColours().size(), 3u) << "page 6 shows two figures";
        typePage(QString::number(page));
        EXPECT_EQ(columnColours(), std::set<QRgb>{QColor(0, 255, 255).rgb()}) << page;
    }
}

// Lines are broken in the text, never at run time: each must fit the yellow box in the body font
// as the window measures it, and each page must end above the box's foot.
TEST_F(ManualWindow, EveryLineFitsThePageBox) {
    QImage surface(770, 580, QImage::Format_RGB32);
    surface.setDotsPerMeterX(qRound(manual().logicalDpiX() / 0.0254));
    surface.setDotsPerMeterY(qRound(manual().logicalDpiY() / 0.0254));
    QPainter painter(&surface);
    QtCanvas canvas(painter);
    for (int page = 1; page <= manual::kPageCount; ++page) {
        const manual::LaidOutPage laid = manual::layoutScreenPage(canvas, page, 770);
        for (const manual::PlacedText& text : laid.texts) {
            canvas.setFont(manual::manualFont(text.style, manual::Medium::Screen));
            const int right = text.x + canvas.textWidth(text.text);
            const int bottom = text.y + canvas.textHeight(text.text);
            if (text.style == manual::TextStyle::Caption) {
                EXPECT_GE(text.x, 542) << text.text;
                EXPECT_LE(right, 760) << text.text;
                EXPECT_LE(bottom, manual::figureColumnBottom()) << text.text;
            } else {
                EXPECT_LE(right, 530 - 3) << "page " << page << ": " << text.text;
                EXPECT_LE(bottom, 560 - 3) << "page " << page << ": " << text.text;
            }
        }
    }
}

// On paper the body is larger (10 pt) but the page wider: every line must end before the right
// margin (half the left one), and the fourteen sheets must each fit their A4 page.
TEST_F(ManualWindow, EveryPrintedLineFitsTheA4Page) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    QtCanvas canvas(painter);
    const int width = writer.width(), height = writer.height();
    const std::vector<manual::LaidOutPage> pages = manual::layoutPrintedManual(canvas, width, height);
    EXPECT_EQ(pages.size(), 14u);
    const int left = width / 8;
    for (const manual::LaidOutPage& page : pages) {
        for (const manual::PlacedText& text : page.texts) {
            canvas.setFont(manual::manualFont(text.style, manual::Medium::Paper));
            EXPECT_LE(text.x + canvas.textWidth(text.text), width - left / 2) << text.text;
            EXPECT_LE(text.y + canvas.textHeight(text.text), height - left / 2) << text.text;
        }
        for (const manual::PlacedFigure& figure : page.figures)
            EXPECT_LE(figure.top + figure.height, height - left / 2) << figure.figure;
    }
}

TEST_F(ManualWindow, HelpButtonExplainsTheWindow) {
    QTest::mouseClick(manual().SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Manual\n\nThis window shows a manual of the program, including a description "
              "of its operation. The manual can be printed by clicking the PRINT key in "
              "this window.");
}

TEST_F(ManualWindow, PrintButtonPrintsTheFourteenSheetsOrNothing) {
    typePage(QStringLiteral("5"));
    const std::string path = (std::filesystem::current_path() / "printed_manual.pdf").string();
    dialogs.printAnswers.push_back(std::nullopt);
    QTest::mouseClick(manual().SpeedButtonPrint, Qt::LeftButton);
    EXPECT_EQ(dialogs.printRequests, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.printAnswers.push_back(path);
    QTest::mouseClick(manual().SpeedButtonPrint, Qt::LeftButton);
    EXPECT_EQ(dialogs.printRequests, 2);
    EXPECT_TRUE(dialogs.messages.empty());
    expectTheFourteenSheets(path);
    EXPECT_EQ(manual().currentPage(), 5);
}

// velkor-batch writes the printed manual without a display; read back, its sheets carry the
// headings and captions in the order of the print table.
TEST(ManualPdf, BatchWritesTheFourteenSheets) {
    const std::string path = (std::filesystem::current_path() / "batch_manual.pdf").string();
    QProcess batch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    batch.setProcessEnvironment(environment);
    batch.start(QStringLiteral(VELKOR_BATCH_PROGRAM),
                {QStringLiteral("-"), QStringLiteral("--manual-pdf"), QString::fromStdString(path)});
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    expectTheFourteenSheets(path);
}

TEST(ManualPdf, BatchReportsAFileItCannotWrite) {
    QProcess batch;
    batch.start(QStringLiteral(VELKOR_BATCH_PROGRAM), {QStringLiteral("-"), QStringLiteral("--manual-pdf"),
                                                       QStringLiteral("/nonexistent/folder/m.pdf")});
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 3);
    EXPECT_NE(
        batch.readAllStandardError().indexOf("The manual could not be written to /nonexistent/folder/m.pdf."),
        -1);
}
