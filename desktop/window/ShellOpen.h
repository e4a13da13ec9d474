// The shell's "open" as the toy uses it: a document opens in the user's associated viewer,
// a program (named the Windows way, "Manual.EXE") is started, a link goes to the browser or
// mail program. Results are not reported: what cannot be opened is left alone.
#pragma once

#include <QString>

namespace zarq {

enum class ShellAction { OpenDocument, StartProgram, OpenLink };

struct ShellTarget {
    ShellAction Action;
    QString Path;  // an absolute file path, or the link itself
};

// How `target` is opened, relative to the folder `current`. A program named with ".exe" is
// looked for under that name and, off Windows, also without the extension.
ShellTarget ResolveShellTarget(const QString& target, const QString& current);

void ShellOpen(const QString& target);

}  // namespace zarq
