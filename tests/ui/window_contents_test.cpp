// Every window as it opens, described control by control: place and size, text, hint, font,
// colour, state, the first rows of its grids. The descriptions are compared with the ones kept in
// tests/data/window_contents, so that any change of what a window shows at its opening (a caption,
// a missing button, a font, a box checked, the cell the cursor stands on) is seen and has to be
// accepted on purpose: VELKOR_UPDATE_WINDOW_CONTENTS=1 writes the descriptions anew.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "editors_support.h"
#include "forms/table_form.h"
#include "plots_support.h"
#include "tables_support.h"
#include "ui/edit_blocks_window.h"
#include "ui/mesh_window.h"
#include "ui/table_grid.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

std::string text(const QString& value) {
    std::string out = value.toStdString();
    for (char& c : out)
        if (c == '\n') c = '|';
    return out;
}

std::string colour(const QColor& value) {
    return value.name().toStdString();
}

// One line per control shown, indented by its depth below the window.
std::string describe(QWidget& window) {
    std::ostringstream out;
    std::function<void(QWidget&, int)> walk = [&](QWidget& widget, int depth) {
        if (&widget != &window && !widget.isVisibleTo(&window)) return;
        const QRect place = widget.geometry();
        out << std::string(2 * static_cast<std::size_t>(depth), ' ') << widget.metaObject()->className()
            << " " << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
        if (&widget == &window) out << " title \"" << text(widget.windowTitle()) << "\"";
        const QFont font = widget.font();
        out << " font " << text(font.family()) << "/"
            << (font.pointSize() > 0 ? std::to_string(font.pointSize())
                                     : std::to_string(font.pixelSize()) + "px")
            << (font.bold() ? "/bold" : "") << (font.italic() ? "/italic" : "");
        if (!widget.isEnabled()) out << " disabled";
        if (widget.autoFillBackground())
            out << " fill " << colour(widget.palette().color(widget.backgroundRole()));
        if (widget.palette().color(QPalette::WindowText) != QColor(Qt::black))
            out << " ink " << colour(widget.palette().color(QPalette::WindowText));
        if (!widget.toolTip().isEmpty()) out << " hint \"" << text(widget.toolTip()) << "\"";
        if (auto* label = qobject_cast<QLabel*>(&widget))
            out << " \"" << text(label->text()) << "\" align " << label->alignment().toInt();
        if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
            out << " \"" << text(button->text()) << "\"";
            if (button->isCheckable()) out << (button->isChecked() ? " checked" : " unchecked");
            if (!button->icon().isNull()) {
                const QImage glyph =
                    button->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
                out << " icon "
                    << qHashBits(glyph.constBits(), static_cast<std::size_t>(glyph.sizeInBytes()));
            }
        }
        if (auto* line = qobject_cast<QLineEdit*>(&widget)) out << " \"" << text(line->text()) << "\"";
        if (auto* combo = qobject_cast<QComboBox*>(&widget))
            out << " \"" << text(combo->currentText()) << "\"";
        if (auto* slider = qobject_cast<QAbstractSlider*>(&widget))
            out << " " << slider->minimum() << ".." << slider->maximum() << " at " << slider->value();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(&widget))
            out << " \"" << text(plain->toPlainText()) << "\"";
        out << "\n";
        if (auto* bar = qobject_cast<QMenuBar*>(&widget)) {
            for (QAction* title : bar->actions()) {
                out << std::string(2 * static_cast<std::size_t>(depth) + 2, ' ') << "menu \""
                    << text(title->text()) << "\"\n";
                if (QMenu* menu = title->menu())
                    for (QAction* item : menu->actions())
                        out << std::string(2 * static_cast<std::size_t>(depth) + 4, ' ')
                            << (item->isSeparator() ? "----" : "\"" + text(item->text()) + "\"")
                            << (item->shortcut().isEmpty() ? "" : " " + text(item->shortcut().toString()))
                            << (item->isEnabled() ? "" : " disabled")
                            << (item->isCheckable() ? (item->isChecked() ? " checked" : " unchecked") : "")
                            << (item->isVisible() ? "" : " hidden") << "\n";
            }
        }
        if (auto* grid = qobject_cast<TableGrid*>(&widget)) {
            out << std::string(2 * static_cast<std::size_t>(depth) + 2, ' ') << "cursor " << grid->col()
                << "," << grid->row() << " top " << grid->topRow() << "\n";
            if (TableForm* form = grid->form())
                for (int row = 0; row < std::min(form->rowCount(), 8); ++row) {
                    out << std::string(2 * static_cast<std::size_t>(depth) + 2, ' ') << "row";
                    for (int col = 0; col < form->columnCount(); ++col)
                        out << " [" << grid->cellText(col, row) << "]";
                    out << "\n";
                }
            return; // the grid's own parts are the table's drawing
        }
        for (QObject* child : widget.children())
            if (auto* inner = qobject_cast<QWidget*>(child); inner && !inner->isWindow())
                walk(*inner, depth + 1);
    };
    walk(window, 0);
    return out.str();
}

class WindowContents : public TableWindows {
  protected:
    // The description against the kept one; a difference is reported from its first line on.
    void expectKept(QWidget& window, const std::string& name) {
        QCoreApplication::processEvents();
        const std::string shown = describe(window);
        const std::filesystem::path kept =
            std::filesystem::path(VELKOR_TEST_DATA_DIR) / "window_contents" / (name + ".txt");
        if (const char* update = std::getenv("VELKOR_UPDATE_WINDOW_CONTENTS"); update && *update == '1') {
            std::filesystem::create_directories(kept.parent_path());
            std::ofstream(kept, std::ios::binary) << shown;
            return;
        }
        std::ifstream file(kept, std::ios::binary);
        ASSERT_TRUE(file) << kept;
        std::stringstream expected;
        expected << file.rdbuf();
        if (shown == expected.str()) return;
        std::istringstream a(expected.str()), b(shown);
        std::string was, is;
        int line = 1;
        while (std::getline(a, was) && std::getline(b, is) && was == is)
            ++line;
        ADD_FAILURE() << name << " differs from line " << line << ":\n  kept:  " << was
                      << "\n  shown: " << is;
    }
};

} // namespace

// The main window at start-up and each window from its button on a solved problem with wells and
// particles.
TEST_F(WindowContents, EveryWindowAsItOpens) {
    expectKept(main(), "main-start");
    openFile(testData("io_wells_particles.fem"));
    dialogs.saveAnswers.push_back(std::nullopt);
    click(main().SpeedButtonCalc);
    expectKept(main(), "main-solved");

    const std::vector<std::tuple<QToolButton*, WindowId, const char*>> windows = {
        {main().SpeedButtonNode, WindowId::Nodes, "nodes"},
        {main().SpeedButtonElement, WindowId::Elements, "elements"},
        {main().SpeedButtonSoils, WindowId::Properties, "soils"},
        {main().SpeedButtonWells, WindowId::Wells, "wells"},
        {main().SpeedButtonParticles, WindowId::Particles, "particles"},
        {main().SpeedButtonOptions, WindowId::Options, "options"},
        {main().SpeedButtonEdit, WindowId::EditBlocks, "edit-blocks"},
        {main().SpeedButtonMesh, WindowId::Mesh, "edit-mesh"},
        {main().SpeedButtonContours, WindowId::Contours, "contours"},
        {main().SpeedButton3d, WindowId::Graph3D, "graph3d"},
        {main().SpeedButtonManual, WindowId::Manual, "manual"},
    };
    for (const auto& [button, id, name] : windows) {
        click(button);
        QWidget& window = app->window(id);
        ASSERT_TRUE(window.isVisible()) << name;
        if (auto* plot = dynamic_cast<PlotWindow*>(&window)) waitForPicture(*plot);
        expectKept(window, name);
        // The editors in a mode, with their operation label and coordinate boxes.
        if (id == WindowId::EditBlocks) {
            auto& blocks = blockEditorOf(*app);
            click(blocks.SpeedButtonNode);
            moveToWorld(blocks, 400, 300);
            expectKept(window, "edit-blocks-new-node");
            click(blocks.SpeedButtonNode);
        } else if (id == WindowId::Mesh) {
            auto& mesh = meshEditorOf(*app);
            click(mesh.SpeedButtonSetNodes);
            moveToWorld(mesh, 400, 300);
            expectKept(window, "edit-mesh-set-nodes");
            click(mesh.SpeedButtonSetNodes);
        }
        if (window.isVisible()) click(button);
    }
}
