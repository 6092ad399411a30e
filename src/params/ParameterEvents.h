#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

namespace brivo {

class Dialogs;
class PedalSession;
class TformFXParameters;

// Carries the FX Parameters window's changes to the pedal session:
// parameter values and pot limits.
class ParameterEvents final : public QObject {
    Q_OBJECT
  public:
    ParameterEvents(TformFXParameters& window, PedalSession& session, Dialogs& dialogs);

    void PotParameterChange(int i);
    void SwitchParameterClick(int i);
    void MultiSwitchOnChange(int i);
    // code 0 sets the minimum, 1 the maximum, 2 clears both.
    void limitAction(int j, int code);

  private:
    void guarded(const std::function<void()>& handler);

    TformFXParameters& window_;
    PedalSession& session_;
    Dialogs& dialogs_;
};

} // namespace brivo
