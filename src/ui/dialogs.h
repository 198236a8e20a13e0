// Message boxes and file dialogs behind one interface, so that windows never open a modal box
// themselves and tests can answer them from a script.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QStringList>

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
};

} // namespace velkor
