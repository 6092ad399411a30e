#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <QNetworkReply>

class QNetworkAccessManager;
class QTimer;

namespace brivo {

class Dialogs;
class Log;

// Time allowed for the whole version request, answer included.
constexpr int kVersionRequestTimeoutMs = 10000;
// The answer is a few lines of text; anything longer is not read further.
constexpr int kVersionReplyMaxBytes = 4096;

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
    // Takes what has arrived; ends the request once the answer is too long.
    void takeAnswer();

    QString site_;
    Dialogs& dialogs_;
    Log& log_;
    int timeoutMs_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer* timeout_ = nullptr;
    bool timedOut_ = false;
    bool tooLong_ = false;
    QByteArray answer_;
};

// Whether the check may ask `url`: https, or http on the loopback address
// (a test's own server). Plain http elsewhere could be answered by anyone.
bool version_site_allowed(const QUrl& url);

// What the user reads when the request ended without a status: the network
// error told apart as unreachable, insecure, or an answer that is not HTTP.
QString version_failure_message(QNetworkReply::NetworkError error, const QString& host,
                                const QString& errorText);

// The message for a finished reply: empty for status 200, "Error: " and the
// status text (or the code when the server sent none) for another status.
QString version_reply_message(int status, const QString& statusText);

} // namespace brivo
