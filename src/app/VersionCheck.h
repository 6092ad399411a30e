#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace brivo {

class Dialogs;
class Log;

// Time allowed for the whole version request, answer included.
constexpr int kVersionRequestTimeoutMs = 10000;

// The one version request per run to the maker's web site. It runs in the
// background, so the windows never wait for the network; a reply other than
// 200, or none at all, is shown once.
class VersionCheck final : public QObject {
    Q_OBJECT
  public:
    // `site` is the web site's address ("https://host"); empty turns the check off.
    VersionCheck(QString site, Dialogs& dialogs, Log& log, QObject* parent = nullptr,
                 int timeoutMs = kVersionRequestTimeoutMs);

    // The address asked: the site's "/download/brivo-version.php"; empty when off.
    QUrl address() const;
    // Sends the request, or says in the console that the check is off.
    void start();
    bool running() const { return reply_ != nullptr; }

  signals:
    // The request has ended, one way or another.
    void finished();

  private:
    void WebRequestCompleted();

    QString site_;
    Dialogs& dialogs_;
    Log& log_;
    int timeoutMs_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer* timeout_ = nullptr;
    bool timedOut_ = false;
};

// The message for a finished reply: empty for status 200, "Error: " and the
// status text (or the code when the server sent none) for another status.
QString version_reply_message(int status, const QString& statusText);

} // namespace brivo
