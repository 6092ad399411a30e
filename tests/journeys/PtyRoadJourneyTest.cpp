// Journeys over the road a pedal's bytes take on /dev/ttyUSBn, played by a
// real pseudo-terminal on the real clock: a pedal pulled out while nothing
// waits, and a write long enough to take seconds on the line.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/Resources.h"
#include "support/EditorHarness.h"
#include "support/PtyPedalHarness.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace brivo::test {
namespace {

const QString kConnectionLostText =
    QStringLiteral("The connection to the pedal was lost. Plug it in again, then choose "
                   "Connection > Scan and Connect.");
const QString kConnectionLostLine = QStringLiteral("connection lost: the pedal's port failed");

// Runs the event loop, sleeping between events, until `done` holds or
// `timeoutMs` has passed; whether it holds.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Only bounds the sleep: the loop wakes for the editor's own events.
    QTimer tick;
    tick.start(20);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    return done();
}

// The editor left to itself for `ms`, as while the user looks elsewhere.
void idleFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Pulled out while connected and idle, now or on the pty pedal's own
// schedule: the editor hears it at once, says so once, shows the
// disconnected state, and then rests instead of spinning on a dead port.
TEST(PtyRoadJourney, AnUnplugWhileIdleEndsTheConnectionAtOnceAndTheEditorRests) {
    constexpr int kScheduleMs = 3000;
    const struct {
        const char* name;
        bool scheduled;
    } unplugs[] = {
        {"pulled out now", false},
        {"pulled out on the pty pedal's schedule", true},
    };
    for (const auto& unplug : unplugs) {
        SCOPED_TRACE(unplug.name);
        auto h = std::make_unique<PtyPedalHarness>();
        std::string error;
        if (!h->open(error))
            GTEST_SKIP() << "no pseudo-terminal: " << error;
        QElapsedTimer sinceSchedule;
        if (unplug.scheduled) {
            h->server.unplugAfterMs(kScheduleMs);
            sinceSchedule.start();
        }
        ASSERT_TRUE(h->start(error, QStringList{QString::fromStdString(h->server.path())}));
        h->connect();
        PedalSession& session = h->editor().session;
        TformMain& main = h->program().formMain();
        ASSERT_TRUE(session.isConnected());
        ASSERT_FALSE(session.busy());
        if (unplug.scheduled)
            ASSERT_LT(sinceSchedule.elapsed(), kScheduleMs) << "connected only after the unplug";
        else
            idleFor(200);

        QElapsedTimer sinceUnplug;
        if (!unplug.scheduled) {
            h->server.unplug();
            sinceUnplug.start();
        }
        ASSERT_TRUE(waitUntil([&] { return !session.isConnected(); }, kScheduleMs + 5000));
        const qint64 noticedAfterMs =
            unplug.scheduled ? sinceSchedule.elapsed() - kScheduleMs : sinceUnplug.elapsed();
        EXPECT_LT(noticedAfterMs, 1000);
        EXPECT_EQ(h->dialogs.messages, QStringList{kConnectionLostText})
            << h->dialogs.messages.join('|').toStdString();
        EXPECT_EQ(h->consoleLines().count(kConnectionLostLine), 1)
            << h->consoleLines().join('|').toStdString();
        EXPECT_FALSE(main.lblDeviceName->text().contains(QStringLiteral("connected")));
        EXPECT_FALSE(main.btnUpload->isEnabled());
        EXPECT_FALSE(main.btnOpenEffect->isEnabled());
        EXPECT_FALSE(main.menuDisconnect->isEnabled());
        EXPECT_TRUE(main.menuConnect->isEnabled());

        // At rest: a small share of one core over a second, and nothing more said.
        const double cpuBeforeMs = processCpuMs();
        const double wallBeforeMs = nowMs();
        idleFor(1000);
        const double share = (processCpuMs() - cpuBeforeMs) / (nowMs() - wallBeforeMs);
        EXPECT_LT(share, 0.10) << "the editor used " << share * 100 << "% of a core at rest";
        EXPECT_EQ(h->dialogs.messages, QStringList{kConnectionLostText});
        EXPECT_EQ(h->consoleLines().count(kConnectionLostLine), 1);
        EXPECT_FALSE(session.isConnected());
    }
}

// The program as the pedal reads it, from a hex line.
QByteArray programOfHex(const QString& hex) {
    return QByteArray::fromHex(hex.toLatin1());
}

QString valuesText(const QList<int>& values) {
    QStringList texts;
    for (const int value : values)
        texts.append(QString::number(value));
    return texts.join(QLatin1Char(' '));
}

QByteArray lastUploadOf(PtyPedalHarness& h) {
    const std::vector<std::uint8_t> bytes =
        h.withPedal([](VirtualPedal& p) { return p.lastUpload(); });
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// Seconds of bytes on the line: the windows keep answering all along (a
// 1 ms timer is never held up for long), the progress bar moves through the
// upload, and the pedal's answer comes after it.
TEST(PtyRoadJourney, ALongUploadKeepsTheWindowsAnsweringAndShowsItsProgress) {
    PtyPedalHarness h;
    std::string error;
    if (!h.start(error))
        GTEST_SKIP() << "no pseudo-terminal: " << error;
    h.connect();
    PedalSession& session = h.editor().session;
    TformMain& main = h.program().formMain();
    ASSERT_TRUE(session.isConnected());

    // The longest program the pedal takes: 64 KB less the one byte its
    // length field cannot say (the field's first byte is the upload command).
    QByteArray longProgram = programOfHex(resources::load_resource_lines("CLEAN_BOOST").value(0));
    longProgram.resize(65535, '\0');
    longProgram[0] = 0x00;
    longProgram[1] = static_cast<char>(0xFF);
    longProgram[2] = static_cast<char>(0xFF);
    const QString longFile = QDir(h.documents.path()).filePath(QStringLiteral("long.txt"));
    {
        QFile file(longFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(longProgram.toHex().toUpper() + "\r\n");
    }
    const auto answerLogged = [&] {
        QString answer;
        for (const QString& line : h.consoleLines())
            if (line.startsWith(QStringLiteral("received: ")))
                answer += line.mid(10);
        return answer.startsWith(QStringLiteral("Upload Completed"));
    };

    const struct {
        const char* name;
        // What the user picks first, then the click that starts the upload.
        std::function<void()> choose;
        std::function<void()> click;
        QByteArray program;
        // The pedal's answer, where the user reads it.
        std::function<bool()> answered;
    } uploads[] = {
        {"Upload of Hall Reverb, the longest effect",
         [&] {
             clickListItem(main.lstCategory, "Other");
             clickListItem(main.lstEffects, "Hall Reverb");
         },
         [&] { main.btnUpload->click(); },
         programOfHex(resources::load_resource_lines("HALL_REVERB").value(0)),
         [&] { return main.lblStatus->text() == QStringLiteral("Upload Completed"); }},
        {"Upload Raw Program File of 64 KB", [&] { h.dialogs.files = {longFile}; },
         [&] { main.menuUploadFile->trigger(); }, longProgram, answerLogged},
    };
    for (const auto& upload : uploads) {
        SCOPED_TRACE(upload.name);
        upload.choose();
        waitForSession(session);
        h.dialogs.messages.clear();
        h.program().formPrint().btnClear->click();
        QList<int> shown;
        const QMetaObject::Connection shownConnection = QObject::connect(
            main.prgUpload, &QProgressBar::valueChanged, [&](int value) { shown.append(value); });
        // When the bar is hidden the bytes are through; the answer is still to come.
        bool answeredBeforeHidden = false;
        const QMetaObject::Connection hiddenConnection =
            QObject::connect(&session, &PedalSession::uploadProgress, [&](int percent) {
                if (percent < 0)
                    answeredBeforeHidden = answeredBeforeHidden || upload.answered();
            });
        QElapsedTimer sinceTick;
        qint64 longestGapMs = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
        sinceTick.start();
        ticker.start(1);
        QElapsedTimer took;
        took.start();

        upload.click();
        waitForSession(session);
        ticker.stop();
        QObject::disconnect(shownConnection);
        QObject::disconnect(hiddenConnection);

        EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
        EXPECT_EQ(lastUploadOf(h), upload.program);
        EXPECT_TRUE(upload.answered()) << h.consoleLines().join('|').toStdString();
        EXPECT_FALSE(answeredBeforeHidden);
        EXPECT_TRUE(main.prgUpload->isHidden());
        EXPECT_LT(longestGapMs, 50)
            << "the windows froze for " << longestGapMs << " ms of " << took.elapsed() << " ms";
        const auto between = std::count_if(shown.begin(), shown.end(),
                                           [](int value) { return value > 0 && value < 100; });
        EXPECT_GE(between, 3) << "shown: " << valuesText(shown).toStdString();
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()))
            << "shown: " << valuesText(shown).toStdString();
    }
}

} // namespace
} // namespace brivo::test
