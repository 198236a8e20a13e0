// The fixture of the screenshot cases: a whole program, and pictures of its windows saved.
#pragma once

#include <QDir>
#include <QPixmap>

#include <cstdlib>

#include "ui_support.h"

namespace velkor::testing {

// Pictures of windows for a person to look at, taken by `make screenshots` on a virtual screen
// into the folder VELKOR_SCREENSHOT_DIR names (scripts/screenshots sets it).
class ScreenshotTest : public ProgramTest {
  protected:
    void SetUp() override {
        const char* directory = std::getenv("VELKOR_SCREENSHOT_DIR");
        ASSERT_TRUE(directory && *directory) << "VELKOR_SCREENSHOT_DIR names no folder";
        folder = QString::fromLocal8Bit(directory);
        QDir().mkpath(folder);
        ProgramTest::SetUp();
    }

    // Saves a picture of the widget (the main window by default) as name (a .png file name).
    void save(const char* name, QWidget* widget = nullptr) {
        QCoreApplication::processEvents();
        const QPixmap picture = (widget ? widget : static_cast<QWidget*>(&main()))->grab();
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        EXPECT_TRUE(picture.save(path)) << name;
    }

    QString folder;
};

} // namespace velkor::testing
