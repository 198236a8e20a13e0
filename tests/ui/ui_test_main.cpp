// The window tests run on the offscreen platform in a scratch directory of their own, so the
// installation file they write never lands in the source tree, and under a name of their own with
// their settings in that directory, so that the user's list of recent files is never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::error_code error;
    std::filesystem::path scratch = std::filesystem::temp_directory_path(error);
    if (error) scratch = "/tmp";
    std::string pattern = (scratch / "velkor-ui-tests-XXXXXX").string();
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
        std::fprintf(stderr, "cannot create a scratch directory for the window tests\n");
        return 1;
    }

    QCoreApplication::setOrganizationName(QStringLiteral("velkor-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("ui-tests"));
    const QString settings = QString::fromLocal8Bit(pattern.c_str()) + QStringLiteral("/settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::filesystem::current_path(scratch, error);
    std::filesystem::remove_all(pattern, error);
    return result;
}
