#include "support/PtyPedalHarness.h"
#include "support/WaitForSession.h"

#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "link/serial/SerialDriver.h"

#include <QAction>
#include <QPushButton>

namespace brivo::test {

PtyPedalHarness::PtyPedalHarness() = default;

PtyPedalHarness::~PtyPedalHarness() {
    program_.reset();
    server.stop();
    if (serving_.joinable())
        serving_.join();
}

bool PtyPedalHarness::start(std::string& error) {
    if (!server.open(error))
        return false;
    return start(error, QStringList{QString::fromStdString(server.path())});
}

bool PtyPedalHarness::start(std::string& /*error*/, const QStringList& namedPorts) {
    serving_ = std::thread([this] { server.run(); });
    Environment environment;
    environment.documentsFolder = documents.path();
    auto state = std::make_unique<Editor>(clock, dialogs, environment);
    state->session.driver().addDriver(std::make_unique<SerialDriver>(namedPorts));
    program_ = std::make_unique<Program>(std::move(state));
    program_->formMain().show();
    return true;
}

QStringList PtyPedalHarness::consoleLines() {
    return program_->formPrint().lines();
}

void PtyPedalHarness::connect() {
    program_->formMain().menuScan->trigger();
    waitForSession(editor().session);
    program_->formMain().menuConnect->trigger();
    waitForSession(editor().session);
    dialogs.messages.clear();
    program_->formPrint().btnClear->click();
}

} // namespace brivo::test
