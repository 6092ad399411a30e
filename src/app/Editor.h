#pragma once

#include "app/Environment.h"
#include "app/LogRelay.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/Flags.h"
#include "catalogue/CatalogueState.h"
#include "link/ReplyRules.h"
#include "session/PedalSession.h"

namespace brivo {

// All program-wide state, created once at start and handed by reference to
// the windows: the pedal session and what the user has chosen.
struct Editor {
    Editor(Clock& clockIn, Dialogs& dialogsIn, Environment environmentIn)
        : clock(clockIn), dialogs(dialogsIn), environment(std::move(environmentIn)),
          session(clock, log) {}

    Clock& clock;
    Dialogs& dialogs;
    Environment environment;
    LogRelay log;
    PedalSession session;
    CatalogueState catalogue;
};

} // namespace brivo
