// Message boxes, file dialogs and the program's small settings dialogs behind one interface, so
// that windows never open a modal box themselves and tests can answer them from a script.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <QStringList>

#include "gis/results_export.h"
#include "operations/set_nodes.h"

class QFontMetrics;
class QPrinter;
class QWidget;

namespace velkor {

// What a file dialog is asked to show. Texts are the program's own single-byte texts.
struct FileDialogRequest {
    std::string filter;           // "Description|pattern", e.g. "FEM(*.fem)|*.fem"
    std::string defaultExtension; // "*.fem"
    std::string initialDirectory;
    std::string fileName; // proposed name or full path
};

inline constexpr const char* kDatafileFilter = "FEM(*.fem)|*.fem";
inline constexpr const char* kDatafileExtension = "*.fem";

// The filter as the desktop's file dialogs show it: "FEM(*.fem)|*.fem" -> "FEM (*.fem)".
std::string desktopFilter(const std::string& filter);

// The lines of a help text as a box of the given width shows them: every written line as it is,
// and a line wider than the width broken between words into lines that fit.
QStringList helpLines(const QString& text, const QFontMetrics& metrics, int width);

// The window the user works in: the active window (a modal dialog included), or else the
// program's main window. Boxes and dialogs are parented to it.
QWidget* workingWindow();

// The answers to "Save changes to name?".
enum class SaveChoice {
    Save,    // save first (the save dialog follows), then go on if it was saved
    Discard, // go on without saving
    Cancel   // do nothing
};

// What the Set Nodes dialog shows when it opens: how many nodes were caught, the Type proposed,
// and the values of F, B and T with whether each is to be set.
struct NodeSettingsRequest {
    int32_t nodeCount = 0;
    int32_t Type = 1;
    double F = 0, B = 0, T = 0;
    bool setF = true, setB = false, setT = false;
};

inline constexpr const char* kGeoPackageFilter = "GeoPackage(*.gpkg)|*.gpkg";
inline constexpr const char* kGeoPackageExtension = "*.gpkg";
inline constexpr const char* kCsvFilter = "CSV(*.csv)|*.csv";
inline constexpr const char* kCsvExtension = "*.csv";

// Every box and dialog is modal, parented to the window the user works in, and shown above every
// window of the program, those kept on top (Options, Contours, 3D-Graph, the editors) included.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box with the text (Windows-1252 bytes) and an OK button.
    virtual void message(const std::string& text) = 0;
    // A help text: a message box that keeps the lines of the text as they are written (columns of
    // aligned explanations stay aligned); only a line wider than the screen is broken.
    virtual void help(const std::string& text) { message(text); }
    // A modal question with Save, Discard and Cancel buttons.
    virtual SaveChoice askToSave(const std::string& text) = 0;
    // A modal question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
    // The system's print dialog: the printer and its settings are chosen into printer. False when
    // the user cancelled.
    virtual bool printSetup(QPrinter& printer) = 0;
    // A modal preview of the pages that paint draws on the printer it is handed (again whenever
    // the page setup changes in the preview).
    virtual void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;
    // Set Nodes: the Type, and F, B and T as far as they are to be set, for every caught node;
    // nothing when the user cancelled.
    virtual std::optional<NodeSettings> nodeSettings(const NodeSettingsRequest& request) = 0;
    // Export: CSV tables or a GeoPackage with its reference, starting from the proposal; nothing
    // when the user cancelled.
    virtual std::optional<ExportChoice> exportChoice(const ExportChoice& proposal) = 0;
};

// The real boxes and dialogs of the desktop.
class QtDialogs : public Dialogs {
  public:
    void message(const std::string& text) override;
    void help(const std::string& text) override;
    SaveChoice askToSave(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    bool printSetup(QPrinter& printer) override;
    void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
    std::optional<NodeSettings> nodeSettings(const NodeSettingsRequest& request) override;
    std::optional<ExportChoice> exportChoice(const ExportChoice& proposal) override;
};

} // namespace velkor
