// The water budget of the solution in the problem: where the water enters and leaves the aquifer,
// by boundary, well and soil, with the totals and the discrepancy. A stay-on-top window like the
// tables; it reads the problem only. The budget is worked out when the problem or its results
// change (at most once per pass of the event loop), never for a repaint.
#pragma once

#include <QTimer>

#include "model/changes.h"
#include "ui/secondary_window.h"

class QPlainTextEdit;
class QToolButton;

namespace velkor {

class TFormBudget : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormBudget(Application& app);

    void FormCreate();
    // The budget worked out anew and shown.
    void FormPaint();
    void SpeedButtonHelpClick();

    // How often the budget has been worked out.
    int computations() const { return computations_; }

    QWidget* ToolStrip = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;
    QPlainTextEdit* BudgetText = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void documentChanged(Change what);
    void refreshWhenFree();

    QTimer refreshTimer_;
    bool stale_ = true;
    int computations_ = 0;
};

} // namespace velkor
