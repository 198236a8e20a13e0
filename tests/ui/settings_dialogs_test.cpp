// The desktop's Set Nodes and Export dialogs behind QtDialogs: what they show for a request, the
// settings their controls give, and the typed values they refuse before OK closes them.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/settings_dialogs.h"

using namespace velkor;

namespace {

void typeInto(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

// A click on the box itself: a check box or radio button laid out wider than its text takes
// clicks only on its box and text.
void clickBox(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

void clickOk(QDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

} // namespace

TEST(SetNodesDialog, ShowsTheRequestAndGivesTheCheckedValues) {
    NodeSettingsRequest request;
    request.nodeCount = 5;
    request.Type = 0;
    request.F = 12.5;
    request.B = 1;
    request.T = 10;
    SetNodesDialog dialog(request, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.LabelCaught->text(), QStringLiteral("5 nodes caught."));
    EXPECT_TRUE(dialog.RadioSupply->isChecked());
    EXPECT_EQ(dialog.EditF->text(), QStringLiteral("12.500"));
    EXPECT_EQ(dialog.EditT->text(), QStringLiteral("10.000"));
    EXPECT_TRUE(dialog.EditF->isEnabled());
    EXPECT_FALSE(dialog.EditB->isEnabled()); // B and T are set only when asked for
    ASSERT_TRUE(dialog.settings());
    EXPECT_FALSE(dialog.settings()->B);
    EXPECT_EQ(dialog.settings()->F, 12.5);

    clickBox(dialog.CheckB);
    ASSERT_TRUE(dialog.EditB->isEnabled());
    typeInto(dialog.EditB, "two");
    EXPECT_EQ(dialog.refusal(), "Enter a number for B.");
    EXPECT_FALSE(dialog.settings());
    typeInto(dialog.EditB, " 2.25");
    typeInto(dialog.EditF, "7");
    clickBox(dialog.RadioHead);
    const std::optional<NodeSettings> settings = dialog.settings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->Type, 1);
    EXPECT_EQ(settings->F, 7);
    EXPECT_EQ(settings->B, 2.25);
    EXPECT_FALSE(settings->T);
    clickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    request.nodeCount = 1;
    const SetNodesDialog one(request, nullptr);
    EXPECT_EQ(one.LabelCaught->text(), QStringLiteral("1 node caught."));
}

TEST(ExportDialog, ChoosesTablesOrAGeoPackageWithItsReference) {
    ExportChoice proposal;
    proposal.elements = false;
    ExportDialog dialog(proposal, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.RadioCsv->isChecked());
    EXPECT_TRUE(dialog.CheckNodes->isChecked());
    EXPECT_FALSE(dialog.CheckElements->isChecked());
    EXPECT_FALSE(dialog.EditEpsg->isEnabled());
    for (QCheckBox* table : {dialog.CheckNodes, dialog.CheckBudget})
        clickBox(table);
    EXPECT_EQ(dialog.refusal(), "Choose at least one table.");
    clickBox(dialog.CheckPathlines);
    std::optional<ExportChoice> csv = dialog.choice();
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->format, ExportFormat::Csv);
    EXPECT_TRUE(csv->pathlines);
    EXPECT_FALSE(csv->nodes || csv->elements || csv->budget);

    clickBox(dialog.RadioGeoPackage);
    EXPECT_FALSE(dialog.CheckPathlines->isEnabled());
    ASSERT_TRUE(dialog.EditEpsg->isEnabled());
    EXPECT_FALSE(dialog.choice()->epsg); // empty: no reference
    typeInto(dialog.EditEpsg, "EPSG:25832");
    EXPECT_EQ(dialog.refusal(),
              "Enter the EPSG code of a coordinate reference (for example 25832), or leave it empty.");
    typeInto(dialog.EditEpsg, "25832");
    typeInto(dialog.EditX0, "500000");
    typeInto(dialog.EditY0, "5500000.5");
    const std::optional<ExportChoice> gis = dialog.choice();
    ASSERT_TRUE(gis);
    EXPECT_EQ(gis->format, ExportFormat::GeoPackage);
    EXPECT_EQ(gis->epsg, 25832);
    EXPECT_EQ(gis->originX, 500000);
    EXPECT_EQ(gis->originY, 5500000.5);
    typeInto(dialog.EditY0, "north");
    EXPECT_EQ(dialog.refusal(), "Enter numbers for X0 and Y0.");
    typeInto(dialog.EditY0, "0");
    clickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
