#pragma once

#include <QString>

// A document shipped with the program: the installed copy under share/doc/tavrix/ beside the
// program's bin/, or, run from a build tree, the source copy. Its canonical path, or "" when
// neither is there.
QString InstalledDocument(const QString& installedName, const QString& sourceName);
// Where the installed copy belongs, for a message that says it is missing.
QString InstalledDocumentPlace(const QString& installedName);

// The user guide's start page.
inline QString UserGuide()
{
    return InstalledDocument("guide/index.html", "doc/guide/index.html");
}
