// VELKOR: steady plane groundwater flow by the finite element method.
#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>

#include "ui/application.h"
#include "ui/command_line.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    velkor::nameProgram();
    velkor::CommandLine commandLine;
    {
        // Read without the desktop: --help and --version must work where there is no display.
        QCoreApplication reader(argc, argv);
        commandLine = velkor::readCommandLine(QCoreApplication::arguments());
    }
    if (!commandLine.start) {
        std::fputs(commandLine.standardOutput.c_str(), stdout);
        std::fputs(commandLine.standardError.c_str(), stderr);
        return commandLine.exitStatus;
    }

    QApplication qtApplication(argc, argv);
    // The icon the package installs into the desktop's icon theme.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velkor")));
    // Numbers are shown and written with a decimal point whatever the desktop's language is.
    std::setlocale(LC_NUMERIC, "C");
    velkor::QtDialogs dialogs;
    velkor::Application program(dialogs);
    velkor::startProgram(program, commandLine);
    return qtApplication.exec();
}
