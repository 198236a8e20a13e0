#include "ui/settings_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/number_text.h"
#include "paint/text_codec.h"

namespace velkor {

namespace {

QString numberText(double value) {
    return fromWindows1252(format("%.3f", value));
}

std::string text(const QLineEdit* edit) {
    return toWindows1252(edit->text());
}

// A value box behind its check box: typed into only when the value is to be set.
QLineEdit* addValueRow(QGridLayout* grid, int row, QCheckBox*& check, const char* caption, double value,
                       bool checked) {
    check = new QCheckBox(fromWindows1252(caption));
    check->setChecked(checked);
    auto* edit = new QLineEdit(numberText(value));
    edit->setEnabled(checked);
    QObject::connect(check, &QCheckBox::toggled, edit, &QLineEdit::setEnabled);
    grid->addWidget(check, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QDialogButtonBox* addButtons(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

// OK closes a dialog only when what was typed can be used; otherwise the user is told why.
bool refused(QWidget* dialog, const std::string& why) {
    if (why.empty()) return false;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VELKOR"), fromWindows1252(why), QMessageBox::Ok,
                    dialog);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return true;
}

} // namespace

// ---- Set Nodes ---------------------------------------------------------------------------------

SetNodesDialog::SetNodesDialog(const NodeSettingsRequest& request, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Set Nodes"));
    auto* layout = new QVBoxLayout(this);
    LabelCaught =
        new QLabel(fromWindows1252(request.nodeCount == 1 ? std::string("1 node caught.")
                                                          : format("%d nodes caught.", request.nodeCount)));
    layout->addWidget(LabelCaught);

    auto* types = new QGroupBox(QStringLiteral("Type"));
    auto* typeLayout = new QVBoxLayout(types);
    RadioHead = new QRadioButton(QStringLiteral("Type 1 : Groundwater head F given"));
    RadioSupply = new QRadioButton(QStringLiteral("Type 0 : Water supply Q given"));
    (request.Type == 1 ? RadioHead : RadioSupply)->setChecked(true);
    typeLayout->addWidget(RadioHead);
    typeLayout->addWidget(RadioSupply);
    layout->addWidget(types);

    auto* values = new QGroupBox(QStringLiteral("Values set in every caught node"));
    auto* grid = new QGridLayout(values);
    EditF = addValueRow(grid, 0, CheckF, "F (m)", request.F, request.setF);
    EditB = addValueRow(grid, 1, CheckB, "B (m)", request.B, request.setB);
    EditT = addValueRow(grid, 2, CheckT, "T (m)", request.T, request.setT);
    layout->addWidget(values);
    layout->addWidget(new QLabel(QStringLiteral("As in Nodes: B is not below 0, T and F not below B.")));
    addButtons(this, layout);
}

std::string SetNodesDialog::refusal() const {
    const struct {
        const QCheckBox* check;
        const QLineEdit* edit;
        const char* name;
    } rows[] = {{CheckF, EditF, "F"}, {CheckB, EditB, "B"}, {CheckT, EditT, "T"}};
    for (const auto& row : rows)
        if (row.check->isChecked() && !isNumberText(text(row.edit), false))
            return std::string("Enter a number for ") + row.name + ".";
    return {};
}

std::optional<NodeSettings> SetNodesDialog::settings() const {
    if (!refusal().empty()) return std::nullopt;
    NodeSettings settings;
    settings.Type = RadioHead->isChecked() ? 1 : 0;
    if (CheckF->isChecked()) settings.F = readReal(text(EditF));
    if (CheckB->isChecked()) settings.B = readReal(text(EditB));
    if (CheckT->isChecked()) settings.T = readReal(text(EditT));
    return settings;
}

void SetNodesDialog::accept() {
    if (!refused(this, refusal())) QDialog::accept();
}

// ---- Export ------------------------------------------------------------------------------------

ExportDialog::ExportDialog(const ExportChoice& proposal, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);

    RadioCsv = new QRadioButton(QStringLiteral("CSV tables, written beside the file name chosen next:"));
    layout->addWidget(RadioCsv);
    auto* tables = new QWidget;
    auto* tableLayout = new QVBoxLayout(tables);
    tableLayout->setContentsMargins(24, 0, 0, 0);
    auto addTable = [&](const char* caption, bool checked) {
        auto* check = new QCheckBox(fromWindows1252(caption));
        check->setChecked(checked);
        tableLayout->addWidget(check);
        return check;
    };
    CheckNodes = addTable("Nodes (NAME-nodes.csv)", proposal.nodes);
    CheckElements = addTable("Elements (NAME-elements.csv)", proposal.elements);
    CheckPathlines = addTable("Pathlines (NAME-pathlines.csv)", proposal.pathlines);
    CheckBudget = addTable("Water budget (NAME-budget.csv)", proposal.budget);
    layout->addWidget(tables);

    RadioGeoPackage =
        new QRadioButton(QStringLiteral("GeoPackage for GIS (contours, pathlines, marks, nodes, "
                                        "wells, blocks)"));
    layout->addWidget(RadioGeoPackage);
    auto* gis = new QWidget;
    auto* grid = new QGridLayout(gis);
    grid->setContentsMargins(24, 0, 0, 0);
    EditEpsg = new QLineEdit(proposal.epsg ? QString::number(*proposal.epsg) : QString());
    EditEpsg->setPlaceholderText(QStringLiteral("none"));
    EditX0 = new QLineEdit(numberText(proposal.originX));
    EditY0 = new QLineEdit(numberText(proposal.originY));
    grid->addWidget(new QLabel(QStringLiteral("EPSG code")), 0, 0);
    grid->addWidget(EditEpsg, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("X0 (m)")), 1, 0);
    grid->addWidget(EditX0, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y0 (m)")), 2, 0);
    grid->addWidget(EditY0, 2, 1);
    auto* note =
        new QLabel(QStringLiteral("The model's (0, 0) lies at (X0, Y0) of the reference. Without an EPSG "
                                  "code the layers carry no reference."));
    note->setWordWrap(true);
    grid->addWidget(note, 3, 0, 1, 2);
    layout->addWidget(gis);

    (proposal.format == ExportFormat::Csv ? RadioCsv : RadioGeoPackage)->setChecked(true);
    connect(RadioCsv, &QRadioButton::toggled, this, &ExportDialog::enableControls);
    enableControls();
    addButtons(this, layout);
}

void ExportDialog::enableControls() {
    const bool csv = RadioCsv->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{CheckNodes, CheckElements, CheckPathlines, CheckBudget})
        control->setEnabled(csv);
    for (QWidget* control : std::initializer_list<QWidget*>{EditEpsg, EditX0, EditY0})
        control->setEnabled(!csv);
}

std::string ExportDialog::refusal() const {
    if (RadioCsv->isChecked()) {
        if (!CheckNodes->isChecked() && !CheckElements->isChecked() && !CheckPathlines->isChecked() &&
            !CheckBudget->isChecked())
            return "Choose at least one table.";
        return {};
    }
    const std::string epsg = text(EditEpsg);
    if (!epsg.empty() && (!isNumberText(epsg, true) || readInteger(epsg) < 1))
        return "Enter the EPSG code of a coordinate reference (for example 25832), or leave it empty.";
    if (!isNumberText(text(EditX0), false) || !isNumberText(text(EditY0), false))
        return "Enter numbers for X0 and Y0.";
    return {};
}

std::optional<ExportChoice> ExportDialog::choice() const {
    if (!refusal().empty()) return std::nullopt;
    ExportChoice choice;
    choice.format = RadioCsv->isChecked() ? ExportFormat::Csv : ExportFormat::GeoPackage;
    choice.nodes = CheckNodes->isChecked();
    choice.elements = CheckElements->isChecked();
    choice.pathlines = CheckPathlines->isChecked();
    choice.budget = CheckBudget->isChecked();
    const std::string epsg = text(EditEpsg);
    if (!epsg.empty()) choice.epsg = readInteger(epsg);
    choice.originX = readReal(text(EditX0));
    choice.originY = readReal(text(EditY0));
    return choice;
}

void ExportDialog::accept() {
    if (!refused(this, refusal())) QDialog::accept();
}

} // namespace velkor
