// The best scores as recording files in the user's data folder.
#include "desktop/recordings/BestScoreFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "core/session/SettingsKeys.h"

namespace zarq {

namespace {
QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}
}  // namespace

QString BestScoreFiles::DefaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("%1/%2/best-scores")
                                   .arg(QString::fromLatin1(settings::kOrganisation),
                                        QString::fromLatin1(settings::kApplication)));
}

QString BestScoreFiles::PathOf(const std::string& id) const {
    return QDir(folder_).filePath(QString::fromStdString(id) + QString::fromLatin1(kSuffix));
}

void BestScoreFiles::LoadInto(BestScores& scores) const {
    scores.Reset();
    const QDir dir(folder_);
    if (!dir.exists()) return;
    // Every name with the suffix, whatever it is: what cannot be read is shown, not hidden. The
    // temporary files of a write (".zrec.XXXXXX") do not end in the suffix.
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*") + QString::fromLatin1(kSuffix)},
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : files) {
        const std::string id =
            info.fileName().chopped(static_cast<int>(qstrlen(kSuffix))).toStdString();
        if (info.isSymLink() || !info.isFile()) {
            scores.LoadFailed(id, "it is not a regular file");
            continue;
        }
        if (info.size() > kFileLimit) {
            scores.LoadFailed(id, "it is larger than 32 MiB, more than any recording of a play");
            continue;
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            scores.LoadFailed(id, "it cannot be read: " + file.errorString().toStdString());
            continue;
        }
        // Read to one byte past the limit: a file that grew meanwhile is not read whole.
        const QByteArray text = file.read(kFileLimit + 1);
        if (text.size() > kFileLimit || file.error() != QFileDevice::NoError) {
            scores.LoadFailed(id, "it cannot be read whole");
            continue;
        }
        scores.Load(id, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    }
}

QString BestScoreFiles::WriteWhole(const QString& path, const std::string& text) {
    QSaveFile file(path);
    // Unbuffered: a write the disk refuses fails here. Through Qt's buffer the failure of the
    // last flush can go unnoticed by commit(), which would then put a cut file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return QStringLiteral("the folder %1 cannot be written (%2).")
            .arg(Native(QFileInfo(path).absolutePath()), file.errorString());
    }
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size || file.error() != QFileDevice::NoError ||
        !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1 could not be written whole, is the disk full? (%2).")
            .arg(Native(path), why);
    }
    return {};
}

std::string BestScoreFiles::Keep(const std::string& id, const std::string& recording,
                                 const std::string& dropped) {
    if (!QDir().mkpath(folder_)) {
        return QStringLiteral("the folder %1 cannot be made.").arg(Native(folder_)).toStdString();
    }
    const QString path = PathOf(id);
    // A file of that name is never written over: it may be one this program cannot read.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly) || old.readAll() != QByteArray::fromStdString(recording))
            return QStringLiteral("another file is already called %1.")
                .arg(Native(path))
                .toStdString();
    } else if (const QString error = WriteWhole(path, recording); !error.isEmpty()) {
        return error.toStdString();
    }
    // Only once the new one is whole is the one it pushes out removed; when that cannot be
    // done, the new one goes again and the list stays as it was.
    if (!dropped.empty()) {
        QFile old(PathOf(dropped));
        if (old.exists() && !old.remove()) {
            const QString why = old.errorString();
            QFile::remove(path);
            return QStringLiteral("%1 could not be removed to make room (%2).")
                .arg(Native(old.fileName()), why)
                .toStdString();
        }
    }
    return {};
}

std::string BestScoreFiles::Remove(const std::vector<std::string>& ids) {
    QStringList failed;
    QString why;
    for (const std::string& id : ids) {
        QFile file(PathOf(id));
        if ((file.exists() || QFileInfo(file.fileName()).isSymLink()) && !file.remove()) {
            failed << Native(file.fileName());
            why = file.errorString();
        }
    }
    if (failed.isEmpty()) return {};
    return QStringLiteral("%1 could not be deleted (%2).")
        .arg(failed.join(QStringLiteral(", ")), why)
        .toStdString();
}

}  // namespace zarq
