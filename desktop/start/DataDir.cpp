// Finding the data folder from the executable's place.
#include "desktop/start/DataDir.h"

#include <QDir>
#include <QFileInfo>

namespace zarq {

QStringList DataDirCandidates(const QString& executableDir) {
    const QDir exe(executableDir);
    return {exe.absolutePath(), QDir::cleanPath(exe.absoluteFilePath(ZARQ_DATA_DIR_FROM_BIN)),
            QStringLiteral(ZARQ_INSTALLED_DATA_DIR)};
}

QString FindDataDir(const QString& executableDir) {
    for (const QString& dir : DataDirCandidates(executableDir)) {
        if (QFileInfo(QDir(dir).filePath("SOUND")).isDir()) return dir;
    }
    return {};
}

QString RunningExecutableDir(const char* argv0) {
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.isSymLink()) return QFileInfo(self.symLinkTarget()).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0 != nullptr ? argv0 : "")).absolutePath();
}

bool EnterDataDir(const QString& executableDir) {
    const QString dir = FindDataDir(executableDir);
    return !dir.isEmpty() && QDir::setCurrent(dir);
}

}  // namespace zarq
