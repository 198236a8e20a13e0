#include "ui/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include "ui/application.h"
#include "ui/main_window.h"

#ifndef VELKOR_VERSION
#error "VELKOR_VERSION must name the program's version"
#endif

namespace velkor {

namespace {

// The options QGuiApplication and QApplication take out of the arguments themselves. They are
// known to the parser only so that it does not refuse them; the help does not list them.
struct ToolkitOption {
    const char* name;
    bool takesValue;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"session", true},
    {"display", true},         {"geometry", true},
    {"style", true},           {"stylesheet", true},
    {"qmljsdebugger", true},   {"reverse", false},
    {"widgetcount", false},    {"nograb", false},
    {"dograb", false},         {"sync", false},
};

std::string localText(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return bytes.toStdString();
}

} // namespace

void nameProgram() {
    QCoreApplication::setOrganizationName(QStringLiteral("velkor"));
    QCoreApplication::setApplicationName(QStringLiteral("velkor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELKOR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("velkor"));
}

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's options are single words after one dash ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("VELKOR: steady plane groundwater flow by the finite element method."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    for (const ToolkitOption& toolkit : kToolkitOptions) {
        QCommandLineOption option(QString::fromLatin1(toolkit.name));
        if (toolkit.takesValue) option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FILE.fem"), QStringLiteral("Datafile to open at start."),
                                 QStringLiteral("[FILE.fem]"));

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    const QStringList files = parser.positionalArguments();
    if (!parsed || files.size() > 1) {
        result.start = false;
        result.exitStatus = 2;
        const QString why = parsed ? QStringLiteral("Only one datafile can be opened.") : parser.errorText();
        result.standardError = localText(why + QLatin1Char('\n') + parser.helpText());
        return result;
    }
    if (parser.isSet(help)) {
        result.start = false;
        result.standardOutput = localText(parser.helpText());
        return result;
    }
    if (parser.isSet(version)) {
        result.start = false;
        result.standardOutput = "velkor " VELKOR_VERSION "\n";
        return result;
    }
    if (!files.isEmpty()) {
        const QByteArray path = QFile::encodeName(files.constFirst());
        result.file = path.toStdString();
    }
    return result;
}

void startProgram(Application& program, const CommandLine& commandLine) {
    TFormFem& mainWindow = program.mainWindow();
    mainWindow.show();
    if (!commandLine.file) return;
    // Once the event loop runs, so that a refusal's message shows above the main window.
    QTimer::singleShot(0, &mainWindow,
                       [&mainWindow, file = *commandLine.file] { mainWindow.openDatafilePath(file); });
}

} // namespace velkor
