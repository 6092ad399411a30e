// The version check against a web server on the loopback address.
#include "app/VersionCheck.h"
#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "base/Log.h"
#include "support/EditorHarness.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// Answers every request with one scripted response, or never when it is empty.
class TinyWebServer {
  public:
    explicit TinyWebServer(QByteArray response) : response_(std::move(response)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                    received_ += socket->readAll();
                    if (!received_.contains("\r\n\r\n"))
                        return;
                    requests.append(received_.left(received_.indexOf("\r\n")));
                    received_.clear();
                    if (response_.isEmpty())
                        return;
                    socket->write(response_);
                    if (!keepOpen)
                        socket->disconnectFromHost();
                });
            }
        });
    }
    QString site() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    void close() { server_.close(); }

    QList<QByteArray> requests;
    // Leaves the connection open after the response, as a stalled server.
    bool keepOpen = false;

  private:
    QTcpServer server_;
    QByteArray response_;
    QByteArray received_;
};

QByteArray httpResponse(const QByteArray& statusLine, const QByteArray& body) {
    return "HTTP/1.1 " + statusLine +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Lets events run until `done` or the real-time limit.
bool waitFor(const std::function<bool()>& done, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct CheckRun {
    QStringList messages;
    QStringList log;
    QList<QByteArray> requests;
};

CheckRun runCheck(const QString& site, TinyWebServer* server, int timeoutMs = 3000) {
    ScriptedDialogs dialogs;
    MemoryLog log;
    VersionCheck check(site, dialogs, log, nullptr, timeoutMs);
    bool finished = false;
    QObject::connect(&check, &VersionCheck::finished, [&] { finished = true; });
    check.start();
    EXPECT_TRUE(waitFor([&] { return finished; }, timeoutMs + 5000));
    EXPECT_FALSE(check.running());
    return {dialogs.messages, log.lines, server ? server->requests : QList<QByteArray>{}};
}

TEST(VersionCheck, ShowsNothingForSuccessAndTheStatusTextForAnythingElse) {
    const struct {
        QByteArray statusLine;
        QStringList messages;
    } cases[] = {
        {"200 OK", {}},
        {"404 Not Found", {"Error: Not Found"}},
        {"500 Internal Server Error", {"Error: Internal Server Error"}},
        {"503 Service Unavailable", {"Error: Service Unavailable"}},
    };
    for (const auto& c : cases) {
        TinyWebServer server(httpResponse(c.statusLine, "3.2\nNew version available: 3.2\n"));
        const CheckRun run = runCheck(server.site() + "/", &server);
        EXPECT_EQ(run.messages, c.messages) << c.statusLine.toStdString();
        EXPECT_EQ(run.requests, QList<QByteArray>{"GET /download/brivo-version.php HTTP/1.1"});
    }
}

TEST(VersionCheck, AStatusWithoutTextStillSaysWhatWentWrong) {
    EXPECT_EQ(version_reply_message(200, "OK"), QString());
    EXPECT_EQ(version_reply_message(404, "Not Found"), "Error: Not Found");
    EXPECT_EQ(version_reply_message(404, ""), "Error: 404");
}

TEST(VersionCheck, AServerThatNeverAnswersEndsAtTheTimeOutWithOneMessage) {
    TinyWebServer server{QByteArray()};
    const CheckRun run = runCheck(server.site(), &server, 300);
    EXPECT_EQ(run.requests.size(), 1);
    EXPECT_EQ(run.messages,
              QStringList{"The version check got no answer from 127.0.0.1 within 0.3 s."});
}

TEST(VersionCheck, ASiteThatCannotBeReachedGivesOneClearMessage) {
    TinyWebServer server{QByteArray()};
    const QString site = server.site();
    server.close();
    const CheckRun run = runCheck(site, nullptr);
    ASSERT_EQ(run.messages.size(), 1);
    EXPECT_TRUE(run.messages.at(0).startsWith("The version check could not reach 127.0.0.1: "))
        << run.messages.at(0).toStdString();
}

// An answer of any size used to be gathered whole, then reported as none.
TEST(VersionCheck, AnAnswerLongerThanAFewKilobytesIsNotReadAndSaidSo) {
    const QByteArray endless = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                               "Connection: close\r\n\r\n" +
                               QByteArray(1 << 20, 'x');
    const QByteArray declared = "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n3.2\n";
    for (const QByteArray& response : {endless, declared}) {
        TinyWebServer server(response);
        server.keepOpen = true;
        const CheckRun run = runCheck(server.site(), &server, 3000);
        EXPECT_EQ(run.messages, QStringList{QStringLiteral(
                                    "The version check's answer from 127.0.0.1 is longer than "
                                    "4096 bytes: it was not read.")});
    }
}

TEST(VersionCheck, EachWayOfFailingIsToldApart) {
    // A status and part of the answer, then nothing.
    TinyWebServer stalled("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n3.2\n");
    stalled.keepOpen = true;
    EXPECT_EQ(runCheck(stalled.site(), &stalled, 300).messages,
              QStringList{"The version check's answer from 127.0.0.1 did not end within 0.3 s."});

    TinyWebServer garbage("this is not a web server\r\n\r\n");
    const CheckRun run = runCheck(garbage.site(), &garbage);
    ASSERT_EQ(run.messages.size(), 1);
    EXPECT_FALSE(run.messages.at(0).contains("could not reach"))
        << run.messages.at(0).toStdString();

    const struct {
        QNetworkReply::NetworkError error;
        const char* start;
    } cases[] = {
        {QNetworkReply::ConnectionRefusedError, "The version check could not reach h: "},
        {QNetworkReply::HostNotFoundError, "The version check could not reach h: "},
        {QNetworkReply::SslHandshakeFailedError,
         "The version check found no secure connection to h: "},
        {QNetworkReply::RemoteHostClosedError, "The version check's connection to h was closed"},
        {QNetworkReply::ProtocolFailure,
         "The version check got an answer from h that is not HTTP: "},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(version_failure_message(c.error, "h", "why").startsWith(c.start)) << c.start;
}

TEST(VersionCheck, OnlyHttpsSitesAreAskedBesideTheLoopback) {
    const struct {
        const char* url;
        bool allowed;
    } cases[] = {
        {"https://www.tandrel.com/download/brivo-version.php", true},
        {"http://www.tandrel.com/download/brivo-version.php", false},
        {"http://127.0.0.1:8080/x", true},
        {"http://[::1]:8080/x", true},
        {"http://localhost/x", true},
        {"http://127.0.0.1.example.com/x", false},
        {"ftp://www.tandrel.com/x", false},
        {"file:///etc/passwd", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(version_site_allowed(QUrl(QString::fromLatin1(c.url))), c.allowed) << c.url;

    const CheckRun plain = runCheck(QStringLiteral("http://www.tandrel.com"), nullptr);
    EXPECT_EQ(plain.messages,
              QStringList{"The version check asks only https sites, not http://www.tandrel.com"});
    EXPECT_FALSE(plain.log.join('\n').contains("GET"));
}

TEST(VersionCheck, WithoutAnAddressItIsOffAndSaysSoOnce) {
    const CheckRun run = runCheck(QString(), nullptr);
    EXPECT_TRUE(run.messages.isEmpty());
    EXPECT_EQ(run.log, QStringList{"Version check: off, no web site address given"});
    const CheckRun bad = runCheck(QStringLiteral("not a site"), nullptr);
    EXPECT_EQ(bad.messages.size(), 1);
}

TEST(VersionCheckJourney, TheTimerAsksOnceAboutASecondAfterStart) {
    TinyWebServer server(httpResponse("404 Not Found", "gone"));
    EditorHarness h;
    h.versionCheckSite = server.site();
    h.runVersionTimer = true;
    h.start();
    EXPECT_TRUE(h.main().TimerCheckWebVersion->isActive());
    EXPECT_EQ(h.main().TimerCheckWebVersion->interval(), 1000);
    EXPECT_TRUE(server.requests.isEmpty()) << "nothing is sent during start-up";
    ASSERT_TRUE(waitFor([&] { return !h.dialogs.messages.isEmpty(); }, 5000));
    // Time for a second tick, if there were one.
    waitFor([] { return false; }, 1500);
    EXPECT_FALSE(h.main().TimerCheckWebVersion->isActive());
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_EQ(h.dialogs.messages, QStringList{"Error: Not Found"});
    EXPECT_TRUE(h.main().lblShowNewVersion->text().isEmpty());
    EXPECT_FALSE(h.main().menuNewAppVersion->isVisible());
    EXPECT_EQ(h.main().menuAppVersion->text(),
              QStringLiteral("Version:  %1.%2").arg(BRIVO_VERSION_MAJOR).arg(BRIVO_VERSION_MINOR));
}

TEST(VersionCheckJourney, WithoutAnAddressTheConsoleSaysTheCheckIsOffOnce) {
    EditorHarness h;
    h.runVersionTimer = true;
    h.start();
    ASSERT_TRUE(waitFor([&] { return !h.consoleLines().isEmpty(); }, 5000));
    waitFor([] { return false; }, 1200);
    EXPECT_EQ(h.consoleLines(), QStringList{"Version check: off, no web site address given"});
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

} // namespace
} // namespace brivo::test
