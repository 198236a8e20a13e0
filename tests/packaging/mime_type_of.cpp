// Prints the MIME type the desktop's database gives each file named on the command line, one a
// line, as a file manager would see it (XDG_DATA_DIRS chooses the database).
#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QMimeDatabase database;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        std::printf("%s\n", qPrintable(database.mimeTypeForFile(arguments[i]).name()));
    return 0;
}
