#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

namespace brivo {

class Dialogs;
class Log;
class MessageExchange;
class TformFXParameters;
struct Flags;
struct ParamState;

// Sends one pot limit (06 message) after logging its value word.
void send_limit(MessageExchange& exchange, Log& log, int j, bool maximum, std::int32_t value);

// Carries the FX Parameters window's changes to the pedal: parameter values
// (01 messages) and pot limits (06 messages).
class ParameterEvents final : public QObject {
    Q_OBJECT
  public:
    ParameterEvents(TformFXParameters& window, ParamState& params, MessageExchange& exchange,
                    Log& log, Dialogs& dialogs, const Flags& flags);

    void PotParameterChange(int i);
    void SwitchParameterClick(int i);
    void MultiSwitchOnChange(int i);
    // code 0 sets the minimum, 1 the maximum, 2 clears both.
    void limitAction(int j, int code);

  private:
    void sendLimit(int j, int which, std::int32_t value);
    void guarded(const std::function<void()>& handler);

    TformFXParameters& window_;
    ParamState& params_;
    MessageExchange& exchange_;
    Log& log_;
    Dialogs& dialogs_;
    const Flags& flags_;
};

} // namespace brivo
