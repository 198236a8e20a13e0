// VELKOR: steady plane groundwater flow by the finite element method.
#include <QApplication>

#include <clocale>

#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    // Numbers are shown and written with a decimal point whatever the desktop's language is.
    std::setlocale(LC_NUMERIC, "C");
    velkor::QtDialogs dialogs;
    velkor::Application program(dialogs);
    program.mainWindow().show();
    return qtApplication.exec();
}
