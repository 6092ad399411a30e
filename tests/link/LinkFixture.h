#pragma once

#include "FakeDriver.h"
#include "base/Flags.h"
#include "base/Log.h"
#include "link/AsyncExchange.h"
#include "link/D2XXUnit.h"
#include "link/ReplyRules.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace brivo::test {

inline const std::string kFakeSerial = "DK0JTX4I";

// The device layer over a fake bridge, on a virtual clock.
class LinkFixture : public ::testing::Test {
  protected:
    LinkFixture() {
        auto driver = std::make_unique<FakeDriver>(bridge, clock);
        fakeDriver = driver.get();
        fakeDriver->listed = {{kFakeSerial, "FT230X Basic UART"}};
        d2xx.addDriver(std::move(driver));
        unit.setReporter([this](const QString& text) { dialogs.showMessage(text); });
    }

    void openBridge() {
        ASSERT_EQ(unit.Open_USB_Device_By_Serial_Number(QString::fromStdString(kFakeSerial)),
                  FT_OK);
    }

    VirtualClock clock;
    ScriptedDialogs dialogs;
    MemoryLog log;
    Flags flags;
    FakeBridge bridge;
    FakeDriver* fakeDriver = nullptr;
    D2xx d2xx;
    D2XXUnit unit{d2xx, clock};
    AsyncExchange exchange{unit, log, clock};
};

} // namespace brivo::test
