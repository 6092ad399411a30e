#include "app/Program.h"

#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/TformFXInfo.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/ParameterEvents.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QPushButton>

namespace brivo {

Program::Program(std::unique_ptr<Editor> editor) : editor_(std::move(editor)) {
    Editor& e = *editor_;
    formMain_ = std::make_unique<TformMain>(e);
    formFirmwareUpgrade_ = std::make_unique<TformFirmwareUpgrade>(e.session, e.log, e.dialogs);
    formMain_->attachFirmwareWindow(formFirmwareUpgrade_.get());
    formPrint_ = std::make_unique<TformPrint>(e.dialogs);
    e.log.attach(formPrint_.get());
    formFXParameters_ =
        std::make_unique<TformFXParameters>(e.session.params(), e.catalogue, e.log, e.dialogs);
    new ParameterEvents(*formFXParameters_, e.session, e.dialogs);
    formFXParameters_->onClosed = [main = formMain_.get()] { main->fxParametersClosed(); };
    formFXInfo_ = std::make_unique<TformFXInfo>();
    formMain_->attachWindows(formPrint_.get(), formFXParameters_.get(), formFXInfo_.get());
}

Program::~Program() {
    // The console goes before the log that points at it.
    editor_->log.attach(nullptr);
}

} // namespace brivo
