// The real message boxes: how a question ends when the user does not answer it.
#include "app/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// Runs `act` on the question box as soon as it is shown.
void whenTheBoxShows(const std::function<void(QMessageBox*)>& act) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(box);
        }
    });
    poll->start();
}

// Esc and the window's close button cancel: the safer choice for a command
// that replaces what the pedal runs.
TEST(QtDialogs, AQuestionClosedWithoutAnAnswerIsNo) {
    const std::pair<const char*, std::function<void(QMessageBox*)>> ways[] = {
        {"Esc",
         [](QMessageBox* box) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(box, &press);
         }},
        {"close button", [](QMessageBox* box) { box->close(); }},
        {"Yes", [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }},
    };
    QtDialogs dialogs;
    for (const auto& [way, act] : ways) {
        whenTheBoxShows(act);
        const bool answer = dialogs.askYesNo(QStringLiteral("Upload the selected effect?"));
        EXPECT_EQ(answer, QString::fromLatin1(way) == "Yes") << way;
    }
}

} // namespace
} // namespace brivo::test
