#include "app/InstalledDocs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString InstalledDocumentPlace(const QString& installedName)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/doc/tavrix/" + installedName);
}

QString InstalledDocument(const QString& installedName, const QString& sourceName)
{
    const QString base = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {InstalledDocumentPlace(installedName), base + "/../" + sourceName,
                                     QString(TAVRIX_SOURCE_DIR) + "/" + sourceName})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return {};
}
