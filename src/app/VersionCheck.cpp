#include "app/VersionCheck.h"

#include "base/Dialogs.h"
#include "base/Log.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace brivo {

namespace {
const QString kVersionPath = QStringLiteral("/download/brivo-version.php");
constexpr int kHttpOk = 200;
} // namespace

QString version_reply_message(int status, const QString& statusText) {
    if (status == kHttpOk)
        return {};
    // HTTP/2 carries no status text; the code still tells what went wrong.
    return QStringLiteral("Error: ") +
           (statusText.isEmpty() ? QString::number(status) : statusText);
}

VersionCheck::VersionCheck(QString site, Dialogs& dialogs, Log& log, QObject* parent, int timeoutMs)
    : QObject(parent), site_(std::move(site)), dialogs_(dialogs), log_(log), timeoutMs_(timeoutMs) {
    while (site_.endsWith(QLatin1Char('/')))
        site_.chop(1);
}

QUrl VersionCheck::address() const {
    if (site_.isEmpty())
        return {};
    return QUrl(site_ + kVersionPath);
}

void VersionCheck::start() {
    const QUrl url = address();
    if (url.isEmpty()) {
        log_.log_line(QStringLiteral("Version check: off, no web site address given"));
        emit finished();
        return;
    }
    if (!url.isValid() || url.host().isEmpty()) {
        log_.log_line(QStringLiteral("Version check: not a web address: ") + site_);
        dialogs_.showMessage(QStringLiteral("The version check has no valid web address: ") +
                             site_);
        emit finished();
        return;
    }
    log_.log_line(QStringLiteral("Version check: GET ") + url.toString());
    network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("BrivoEditor/%1").arg(QCoreApplication::applicationVersion()));
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::finished, this, &VersionCheck::WebRequestCompleted);
    timeout_ = new QTimer(this);
    timeout_->setSingleShot(true);
    connect(timeout_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (reply_)
            reply_->abort();
    });
    timeout_->start(timeoutMs_);
}

void VersionCheck::WebRequestCompleted() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    timeout_->stop();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    QString message;
    if (timedOut_) {
        message = QStringLiteral("The version check got no answer from %1 within %2 s.")
                      .arg(address().host())
                      .arg(timeoutMs_ / 1000.0);
    } else if (status.isValid()) {
        log_.log_line(QStringLiteral("Version check: status ") + status.toString());
        message = version_reply_message(
            status.toInt(),
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    } else {
        message = QStringLiteral("The version check could not reach %1: %2")
                      .arg(address().host(), reply->errorString());
    }
    if (!message.isEmpty()) {
        log_.log_line(QStringLiteral("Version check: ") + message);
        dialogs_.showMessage(message);
    }
    emit finished();
}

} // namespace brivo
