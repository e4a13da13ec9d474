// Where the program's data lives (the SOUND folder, the documents, the manual program).
// The toy opens them by names relative to the current directory, so the program makes
// the data folder current at start-up, wherever it was started from.
#pragma once

#include <QString>
#include <QStringList>

namespace zarq {

// The folders to try, best first: beside the executable (a build tree or a Windows-style
// install), then the install prefix's data folder.
QStringList DataDirCandidates(const QString& executableDir);

// The first candidate holding a SOUND folder, or an empty string.
QString FindDataDir(const QString& executableDir);

// The running executable's folder, known before any QApplication exists (from /proc where
// there is one, else from `argv0`).
QString RunningExecutableDir(const char* argv0);

// Makes the data folder the current directory; false (and nothing changed) when none is found.
bool EnterDataDir(const QString& executableDir);

}  // namespace zarq
