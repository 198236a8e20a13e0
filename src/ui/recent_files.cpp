#include "ui/recent_files.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace velkor {

namespace {

const QString kKey = QStringLiteral("recentFiles");

// A process that has not named itself (a benchmark, a tool) keeps no list: QSettings would file
// its list under an unknown organisation in the user's folder.
bool settingsAvailable() {
    return !QCoreApplication::organizationName().isEmpty();
}

} // namespace

QStringList RecentFiles::paths() const {
    if (!settingsAvailable()) return {};
    return QSettings().value(kKey).toStringList();
}

void RecentFiles::add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = paths();
    list.removeAll(absolute);
    list.prepend(absolute);
    store(list.mid(0, kMaximumCount));
}

QStringList RecentFiles::existingPaths() {
    const QStringList stored = paths();
    QStringList existing;
    for (const QString& path : stored)
        if (QFileInfo(path).isFile()) existing << path;
    if (existing.size() != stored.size()) store(existing);
    return existing;
}

void RecentFiles::store(const QStringList& list) {
    if (!settingsAvailable()) return;
    QSettings().setValue(kKey, list);
}

} // namespace velkor
