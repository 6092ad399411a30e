#include "support/RealTimeEditor.h"

#include "app/TformMain.h"

#include <sys/resource.h>

namespace brivo::test {

RealTimeEditor::RealTimeEditor() {
    Environment environment;
    environment.documentsFolder = documents.path();
    auto state = std::make_unique<Editor>(clock, dialogs, environment);
    auto driver = std::make_unique<VirtualDriver>(clock);
    pedal = driver->addPedal();
    state->session.driver().addDriver(std::move(driver));
    program_ = std::make_unique<Program>(std::move(state));
    program_->formMain().show();
}

double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

} // namespace brivo::test
