#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace brivo {

// What the editor takes from the desktop around it. The program fills it from
// the platform; tests give a temporary folder and record opened pages.
struct Environment {
    // The user's documents folder; empty when the platform cannot tell.
    QString documentsFolder;
    std::function<void(const QUrl&)> openUrl;
    // The maker's web site asked for the latest version; empty: no check.
    QString versionCheckSite;
};

// The maker's folder in the documents folder: the look file, and the product folder.
inline const QString kMakerFolder = QStringLiteral("Tandrel");

inline const QString kMakerWebSite = QStringLiteral("https://www.tandrel.com");

} // namespace brivo
