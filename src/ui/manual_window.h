// The built-in manual, page by page, beside its figures; printable as a whole.
#pragma once

#include "ui/secondary_window.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace velkor {

class TFormManual : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormManual(Application& app);

    // Reads the page list's text as a number, holds it to 1..13, selects that item and shows
    // the page. Runs when an item is chosen and when typing in the list ends (Enter, or the
    // list losing the focus); while the user types, the page follows the typed number.
    void ComboBoxPageChange();
    void SpeedButtonPrintClick();
    void SpeedButtonHelpClick();

    int currentPage() const { return page_; }

    QWidget* PanelTools = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QLabel* LabelPage = nullptr;
    QComboBox* ComboBoxPage = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FormCreate();
    // The strip across the window, the help button at its right end.
    void placeHelpButton();
    // Draws the current page; runs from the paint event, the one place a window can paint.
    void FormPaint();
    void showPage(int page);

    int page_ = 1;
};

} // namespace velkor
