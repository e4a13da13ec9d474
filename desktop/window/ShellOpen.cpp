// Resolving and carrying out the shell's "open".
#include "desktop/window/ShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace zarq {

ShellTarget ResolveShellTarget(const QString& target, const QString& current) {
    for (const char* scheme : {"http:", "https:", "mailto:"}) {
        if (target.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            return {ShellAction::OpenLink, target};
        }
    }
    const QDir dir(current);
    if (target.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        const QString named = dir.absoluteFilePath(target);
        const QString bare = dir.absoluteFilePath(target.left(target.size() - 4));
#ifdef Q_OS_WIN
        return {ShellAction::StartProgram, named};
#else
        return {ShellAction::StartProgram, QFileInfo(named).isExecutable() ? named : bare};
#endif
    }
    return {ShellAction::OpenDocument, dir.absoluteFilePath(target)};
}

void ShellOpen(const QString& target) {
    const ShellTarget resolved = ResolveShellTarget(target, QDir::currentPath());
    switch (resolved.Action) {
        case ShellAction::OpenLink:
            QDesktopServices::openUrl(QUrl(resolved.Path));
            break;
        case ShellAction::StartProgram:
            QProcess::startDetached(resolved.Path, {}, QFileInfo(resolved.Path).absolutePath());
            break;
        case ShellAction::OpenDocument:
            QDesktopServices::openUrl(QUrl::fromLocalFile(resolved.Path));
            break;
    }
}

}  // namespace zarq
