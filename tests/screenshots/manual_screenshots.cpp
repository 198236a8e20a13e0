// Pictures of the manual for a person to look at (make screenshots): the window on a few pages,
// and printed sheets rendered from the PDF by pdftoppm.
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>

#include "pdf/manual_pdf.h"
#include "screenshot_support.h"
#include "ui/manual_window.h"

using namespace velkor;
using namespace velkor::testing;

using ScreenshotsManual = ScreenshotTest;

TEST_F(ScreenshotsManual, PagesAndPrintedSheets) {
    click(main().SpeedButtonManual);
    auto& manual = static_cast<TFormManual&>(app->window(WindowId::Manual));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manual));
    for (const int page : {1, 2, 3, 6, 10, 12}) {
        QLineEdit* editor = manual.ComboBoxPage->lineEdit();
        editor->selectAll();
        QTest::keyClicks(editor, QString::number(page));
        QTest::keyClick(editor, Qt::Key_Return);
        ASSERT_EQ(manual.currentPage(), page);
        save(QStringLiteral("manual_page%1.png").arg(page, 2, 10, QLatin1Char('0')).toLatin1().constData(),
             &manual);
    }

    const QString pdf = QDir(folder).filePath(QStringLiteral("manual_printed.pdf"));
    ASSERT_TRUE(writeManualPdf(pdf.toStdString()).ok());
    for (const int sheet : {1, 3, 9}) {
        const QString number = QString::number(sheet);
        const QString name =
            QDir(folder).filePath(QStringLiteral("manual_sheet%1").arg(sheet, 2, 10, QLatin1Char('0')));
        const int status = QProcess::execute(
            QStringLiteral("pdftoppm"),
            {QStringLiteral("-f"), number, QStringLiteral("-l"), number, QStringLiteral("-r"),
             QStringLiteral("100"), QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, name});
        EXPECT_EQ(status, 0) << "pdftoppm, sheet " << sheet;
    }
    QFile::remove(pdf);
}
