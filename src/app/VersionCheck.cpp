#include "app/VersionCheck.h"

#include "base/Dialogs.h"
#include "base/Log.h"

#include <QCoreApplication>
#include <QHostAddress>
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

bool version_site_allowed(const QUrl& url) {
    if (url.scheme() == QLatin1String("https"))
        return !url.host().isEmpty();
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QHostAddress address(url.host());
    return url.host() == QLatin1String("localhost") || (!address.isNull() && address.isLoopback());
}

QString version_failure_message(QNetworkReply::NetworkError error, const QString& host,
                                const QString& errorText) {
    switch (error) {
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("The version check found no secure connection to %1: %2")
            .arg(host, errorText);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("The version check's connection to %1 was closed before an answer.")
            .arg(host);
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::UnknownContentError:
        return QStringLiteral("The version check got an answer from %1 that is not HTTP: %2")
            .arg(host, errorText);
    default:
        return QStringLiteral("The version check could not reach %1: %2").arg(host, errorText);
    }
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
    if (!version_site_allowed(url)) {
        const QString message =
            QStringLiteral("The version check asks only https sites, not ") + site_;
        log_.log_line(QStringLiteral("Version check: ") + message);
        dialogs_.showMessage(message);
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
    connect(reply_, &QNetworkReply::readyRead, this, &VersionCheck::takeAnswer);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        // A declared length beyond the limit is not waited for.
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kVersionReplyMaxBytes) {
            tooLong_ = true;
            reply_->abort();
        }
    });
    timeout_ = new QTimer(this);
    timeout_->setSingleShot(true);
    connect(timeout_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (reply_)
            reply_->abort();
    });
    timeout_->start(timeoutMs_);
}

void VersionCheck::takeAnswer() {
    if (reply_ == nullptr || tooLong_)
        return;
    // Read as it comes, so an endless answer never gathers in memory.
    answer_ += reply_->read(kVersionReplyMaxBytes + 1 - answer_.size());
    if (answer_.size() > kVersionReplyMaxBytes) {
        tooLong_ = true;
        reply_->abort();
    }
}

void VersionCheck::WebRequestCompleted() {
    QNetworkReply* reply = reply_;
    if (reply == nullptr)
        return;
    takeAnswer();
    reply_ = nullptr;
    timeout_->stop();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QString host = address().host();
    QString message;
    if (tooLong_) {
        message = QStringLiteral("The version check's answer from %1 is longer than %2 bytes: "
                                 "it was not read.")
                      .arg(host)
                      .arg(kVersionReplyMaxBytes);
    } else if (timedOut_ && status.isValid()) {
        message = QStringLiteral("The version check's answer from %1 did not end within %2 s.")
                      .arg(host)
                      .arg(timeoutMs_ / 1000.0);
    } else if (timedOut_) {
        message = QStringLiteral("The version check got no answer from %1 within %2 s.")
                      .arg(host)
                      .arg(timeoutMs_ / 1000.0);
    } else if (status.isValid()) {
        log_.log_line(QStringLiteral("Version check: status ") + status.toString());
        message = version_reply_message(
            status.toInt(),
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    } else {
        message = version_failure_message(reply->error(), host, reply->errorString());
    }
    if (!message.isEmpty()) {
        log_.log_line(QStringLiteral("Version check: ") + message);
        dialogs_.showMessage(message);
    }
    emit finished();
}

} // namespace brivo
