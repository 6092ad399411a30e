#pragma once

#include "app/Environment.h"
#include "app/LinkState.h"
#include "app/LogRelay.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/Flags.h"
#include "catalogue/CatalogueState.h"
#include "commands/RunningEffect.h"
#include "link/D2XXUnit.h"
#include "link/MessageExchange.h"
#include "params/ParamState.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace brivo {

// All program-wide state, created once at start and handed by reference to
// the windows.
struct Editor {
    Editor(Clock& clockIn, Dialogs& dialogsIn, Environment environmentIn)
        : clock(clockIn), dialogs(dialogsIn), environment(std::move(environmentIn)),
          device(d2xx, dialogs, clock), exchange(device, log, clock, flags) {}

    Clock& clock;
    Dialogs& dialogs;
    Environment environment;
    LogRelay log;
    D2xx d2xx;
    D2XXUnit device;
    Flags flags;
    MessageExchange exchange;
    LinkState link;
    CatalogueState catalogue;
    RunningEffect running;
    ParamState params;
    // The bytes of the pedal's last status reply, one per number.
    std::vector<std::uint8_t> statusBytes;
    // The program of the chosen impulse-response effect with a response spliced in.
    QString irProgram;
    // The effect irProgram was prepared for; an upload of another one must not send it.
    QString irProgramEffect;
};

} // namespace brivo
