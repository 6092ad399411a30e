#pragma once

#include "app/Editor.h"

#include <memory>

namespace brivo {

class TformMain;
class TformFirmwareUpgrade;
class TformPrint;
class TformFXParameters;
class TformFXInfo;

// The running editor: its state and its five windows, created in order. The
// main window is created first, so its start-up runs before the console exists.
class Program {
  public:
    // Drivers are registered on `editor` before the windows are made, so the
    // start-up listing sees them.
    explicit Program(std::unique_ptr<Editor> editor);
    ~Program();

    Editor& editor() { return *editor_; }
    TformMain& formMain() { return *formMain_; }
    TformFirmwareUpgrade& formFirmwareUpgrade() { return *formFirmwareUpgrade_; }
    TformPrint& formPrint() { return *formPrint_; }
    TformFXParameters& formFXParameters() { return *formFXParameters_; }
    TformFXInfo& formFXInfo() { return *formFXInfo_; }

  private:
    std::unique_ptr<Editor> editor_;
    std::unique_ptr<TformMain> formMain_;
    std::unique_ptr<TformFirmwareUpgrade> formFirmwareUpgrade_;
    std::unique_ptr<TformPrint> formPrint_;
    std::unique_ptr<TformFXParameters> formFXParameters_;
    std::unique_ptr<TformFXInfo> formFXInfo_;
};

} // namespace brivo
