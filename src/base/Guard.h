#pragma once

#include "base/Dialogs.h"

#include <functional>

namespace brivo {

// Runs one event handler; an error it does not handle ends it and its text is
// shown in a message box, as the application's general error report.
void runGuarded(Dialogs& dialogs, const std::function<void()>& handler);

} // namespace brivo
