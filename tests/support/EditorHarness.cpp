#include "support/EditorHarness.h"

#include "app/Editor.h"
#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/TformFXInfo.h"
#include "params/TformFXParameters.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace brivo::test {

EditorHarness::EditorHarness() : pendingDriver_(std::make_unique<VirtualDriver>(clock)) {
    driver = pendingDriver_.get();
}

EditorHarness::~EditorHarness() = default;

std::shared_ptr<VirtualPedal> EditorHarness::plugPedal(const std::string& serial,
                                                       const std::string& description) {
    return driver->addPedal(serial, description);
}

void EditorHarness::start() {
    Environment environment;
    environment.documentsFolder = documents.path();
    environment.openUrl = [this](const QUrl& url) { openedUrls.append(url); };
    environment.versionCheckSite = versionCheckSite;
    auto editor = std::make_unique<Editor>(clock, dialogs, environment);
    editor->session.driver().addDriver(std::move(pendingDriver_));
    program_ = std::make_unique<Program>(std::move(editor));
    if (!runVersionTimer)
        main().TimerCheckWebVersion->stop();
    program_->formMain().show();
}

TformMain& EditorHarness::main() {
    return program_->formMain();
}
TformPrint& EditorHarness::console() {
    return program_->formPrint();
}
TformFXParameters& EditorHarness::fxParameters() {
    return program_->formFXParameters();
}
TformFXInfo& EditorHarness::fxInfo() {
    return program_->formFXInfo();
}

QStringList EditorHarness::consoleLines() {
    return console().lines();
}

QStringList EditorHarness::linesStartingWith(const QString& prefix) {
    const QStringList lines = consoleLines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return lines.mid(i);
    }
    return {};
}

void EditorHarness::trigger(QAction* action) {
    ASSERT_NE(action, nullptr);
    action->trigger();
    settle();
}

void EditorHarness::click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    button->click();
    settle();
}

void EditorHarness::settle() {
    if (!program_)
        return;
    const PedalSession& session = editor().session;
    // A click made while the test already waits (from a hook inside the live
    // loop, say) returns once its own work is done: the loop goes on around it.
    static int depth = 0;
    struct Nesting {
        Nesting() { ++depth; }
        ~Nesting() { --depth; }
    } nesting;
    const auto done = [&] {
        return !session.busy() || (depth > 1 && (session.liveLoopRunning() ||
                                                 session.current() == Conversation::Firmware));
    };
    // A conversation always ends: by its answer or its time-out. The bound
    // only keeps a broken one from hanging the test run.
    constexpr int kMaxSteps = 10'000'000;
    for (int step = 0; step < kMaxSteps; ++step) {
        QCoreApplication::processEvents();
        if (clock.runDueTimers())
            continue;
        if (done())
            return;
        if (!clock.runNextTimer()) {
            ADD_FAILURE() << "a conversation waits with no timer to wake it";
            return;
        }
    }
    ADD_FAILURE() << "the conversation did not end";
}

void EditorHarness::runFor(int ms) {
    const std::int64_t end = clock.nowUs() + std::int64_t{ms} * 1000;
    while (clock.hasPendingTimers() && clock.nextDueUs() <= end) {
        QCoreApplication::processEvents();
        clock.runNextTimer();
    }
    clock.advanceUs(end - clock.nowUs());
    QCoreApplication::processEvents();
}

void clickListItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

void EditorHarness::clickCategory(const QString& name) {
    clickListItem(main().lstCategory, name);
    settle();
}

void EditorHarness::clickEffect(const QString& name) {
    clickListItem(main().lstEffects, name);
    settle();
}

void EditorHarness::connect() {
    trigger(main().menuScan);
    trigger(main().menuConnect);
    dialogs.messages.clear();
    console().btnClear->click();
}

} // namespace brivo::test
