#pragma once

#include "app/Program.h"
#include "base/Clock.h"
#include "support/ScriptedDialogs.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QListWidget;

namespace brivo {
class TformMain;
class TformPrint;
class TformFXParameters;
class TformFXInfo;
} // namespace brivo

namespace brivo::test {

// Selects the item with exactly this text and clicks it, as a user does.
void clickListItem(QListWidget* list, const QString& text);

// The whole editor on the virtual pedal and a virtual clock: plug pedals in,
// start(), then act as a user would and read what the user sees.
class EditorHarness {
  public:
    EditorHarness();
    ~EditorHarness();

    std::shared_ptr<VirtualPedal> plugPedal(const std::string& serial = "DVIRT001",
                                            const std::string& description = "FT230X Basic UART");
    // Runs the program start: windows in order, start-up sequence.
    void start();

    Program& program() { return *program_; }
    Editor& editor() { return program_->editor(); }
    TformMain& main();
    TformPrint& console();
    TformFXParameters& fxParameters();
    TformFXInfo& fxInfo();
    QStringList consoleLines();
    // Console lines from the first one that starts with `prefix`.
    QStringList linesStartingWith(const QString& prefix);

    // User actions: they do nothing when the control is disabled, as for a user.
    void trigger(QAction* action);
    void click(QAbstractButton* button);
    void clickCategory(const QString& name);
    void clickEffect(const QString& name);
    // Connection > Scan, then Connect, with the console cleared afterwards.
    void connect();
    // Lets the event loop and the virtual clock run until no conversation
    // holds the link and nothing is due now: what a user waiting sees.
    void settle();
    // Lets `ms` of virtual time pass, running what falls due.
    void runFor(int ms);

    VirtualClock clock;
    ScriptedDialogs dialogs;
    QTemporaryDir documents;
    VirtualDriver* driver = nullptr;
    QList<QUrl> openedUrls;
    // The web site of the version check; empty keeps it off.
    QString versionCheckSite;
    // The version timer is real time; it stays stopped unless a test wants it,
    // so no test hears from it by chance.
    bool runVersionTimer = false;

  private:
    std::unique_ptr<VirtualDriver> pendingDriver_;
    std::unique_ptr<Program> program_;
};

} // namespace brivo::test
