// The command line of the program: velkor [FILE.fem], --help, --version. It is read before any
// window exists, so that --help and --version work where no display does.
#pragma once

#include <QStringList>

#include <optional>
#include <string>

namespace velkor {

class Application;

struct CommandLine {
    // False: nothing is started; the texts are printed and the program ends with exitStatus.
    bool start = true;
    int exitStatus = 0;
    std::string standardOutput;
    std::string standardError;
    // The datafile to open at start, in the file system's encoding.
    std::optional<std::string> file;
};

// Names the program for the desktop and its settings (the list of recent files) and gives it its
// version. Tests name themselves otherwise, so that they never touch the user's settings.
void nameProgram();

// Reads the arguments (the program's name first). Qt's own options (-platform, -style, ...) are
// accepted and left to the application object; an unknown option or a second file is a usage
// error (status 2).
CommandLine readCommandLine(const QStringList& arguments);

// Shows the main window and, once it is on the screen, opens the command line's datafile as the
// Open command opens a chosen one.
void startProgram(Application& program, const CommandLine& commandLine);

} // namespace velkor
