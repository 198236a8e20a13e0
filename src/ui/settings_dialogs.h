// The program's two small settings dialogs, shown by QtDialogs: the values Set Nodes writes into
// the caught nodes, and what Export writes. Each checks what was typed before it closes with OK.
#pragma once

#include <QDialog>

#include <optional>

#include "gis/results_export.h"
#include "operations/set_nodes.h"
#include "ui/dialogs.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace velkor {

class SetNodesDialog : public QDialog {
    Q_OBJECT
  public:
    SetNodesDialog(const NodeSettingsRequest& request, QWidget* parent);

    // The settings as the controls give them; nothing while a checked value is no number.
    std::optional<NodeSettings> settings() const;
    // Why the settings cannot be had (empty when they can).
    std::string refusal() const;

    void accept() override;

    QLabel* LabelCaught = nullptr;
    QRadioButton* RadioHead = nullptr;
    QRadioButton* RadioSupply = nullptr;
    QCheckBox* CheckF = nullptr;
    QCheckBox* CheckB = nullptr;
    QCheckBox* CheckT = nullptr;
    QLineEdit* EditF = nullptr;
    QLineEdit* EditB = nullptr;
    QLineEdit* EditT = nullptr;
};

class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    ExportDialog(const ExportChoice& proposal, QWidget* parent);

    std::optional<ExportChoice> choice() const;
    std::string refusal() const;

    void accept() override;

    QRadioButton* RadioCsv = nullptr;
    QRadioButton* RadioGeoPackage = nullptr;
    QCheckBox* CheckNodes = nullptr;
    QCheckBox* CheckElements = nullptr;
    QCheckBox* CheckPathlines = nullptr;
    QCheckBox* CheckBudget = nullptr;
    QLineEdit* EditEpsg = nullptr;
    QLineEdit* EditX0 = nullptr;
    QLineEdit* EditY0 = nullptr;

  private:
    void enableControls();
};

} // namespace velkor
