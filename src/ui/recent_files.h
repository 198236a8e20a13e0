// The datafiles opened or saved last, most recent first, kept in the user's settings so that the
// list outlives the program. Paths are absolute, as the file system names them.
#pragma once

#include <QStringList>

namespace velkor {

class RecentFiles {
  public:
    static constexpr qsizetype kMaximumCount = 8;

    // The stored list, most recent first.
    QStringList paths() const;
    // Puts the file first; an earlier entry of the same file goes and the list keeps eight.
    void add(const QString& path);
    // The stored files that still exist; the others are dropped from the list for good.
    QStringList existingPaths();

  private:
    void store(const QStringList& paths);
};

} // namespace velkor
