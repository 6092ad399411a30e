#pragma once

#include "base/Clock.h"
#include "base/Flags.h"
#include "base/Task.h"
#include "cli/CliSinks.h"
#include "link/ReplyRules.h"
#include "params/StatusRecord.h"
#include "session/DriverOptions.h"
#include "session/PedalSession.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>
#include <coroutine>
#include <functional>

namespace brivo::cli {

constexpr int kExitOk = 0;
// The pedal, the link or a file failed the command.
constexpr int kExitFailed = 1;
// The command line was wrong: unknown command, effect or parameter, bad value.
constexpr int kExitUsage = 2;

// Registers the drivers the command line asks for; an error text when it
// contradicts itself. Tests put their own virtual pedal in place here.
using DriverSetup = std::function<QString(const QCommandLineParser&, D2xx&, Clock&)>;

// brivo-cli: one command of the command line, over the editor's pedal
// session. Results go to `out`, progress and the one message of a failure
// to `err`. Waits return to the event loop; run() finishes with the exit status.
class Cli {
  public:
    Cli(Clock& clock, QTextStream& out, QTextStream& err, DriverSetup setup = {});
    ~Cli();
    Cli(const Cli&) = delete;
    Cli& operator=(const Cli&) = delete;

    // `arguments` as main() gets them, the program's name first.
    Task<int> run(QStringList arguments);

    PedalSession& session() { return session_; }

  private:
    // Ends the command with a message on `err` and the exit status.
    struct Failure {
        int status;
        QString text;
    };

    Task<int> dispatch(QString command, QStringList arguments);
    void expectArguments(const QString& command, const QStringList& arguments, int count,
                         const QString& names) const;

    // Commands.
    int listCommand();
    int effectsCommand();
    int paramsCommand(const QString& effect);
    Task<int> identifyCommand();
    Task<int> uploadCommand(QString effect);
    Task<int> uploadRawCommand(QString path);
    Task<int> statusCommand(bool json);
    Task<int> setCommand(QString param, QString value);
    Task<int> storeCommand();
    Task<int> configSaveCommand(QString path);
    Task<int> configLoadCommand(QString path);
    Task<int> irCommand(QString wavPath, QString effect);
    Task<int> firmwareCommand(QString image);

    // Steps.
    void registerDrivers();
    Task<> connect(bool upgradeMode);
    // A step: begin it, start the session's command, then await settled(),
    // which throws the command's failure. (No callable travels into a
    // coroutine: GCC 12 destroys such temporaries twice.)
    void beginStep();
    Task<> settled();
    Task<> openEffect(bool allowEmpty);
    Task<StatusRecord> readStatus();
    void beginUpload(bool raw);
    Task<> uploadSettled(bool raw);
    Task<> closeLink();

    // Waits: until no conversation holds the link, or for a time.
    struct IdleAwaiter {
        Cli& cli;
        bool await_ready() const { return !cli.session_.busy(); }
        void await_suspend(std::coroutine_handle<> h) {
            cli.waiting_ = h;
            cli.waitingForIdle_ = true;
        }
        void await_resume() const {}
    };
    struct PauseAwaiter {
        Cli& cli;
        std::int64_t us;
        bool await_ready() const { return us <= 0; }
        void await_suspend(std::coroutine_handle<> h) {
            cli.waiting_ = h;
            cli.wake_.startUs(us);
        }
        void await_resume() const {}
    };
    IdleAwaiter idle() { return {*this}; }
    PauseAwaiter pauseUs(std::int64_t us) { return {*this, us}; }
    void sessionStateChanged();
    void wake();

    void showProgress(const QString& what, int percent);

    Clock& clock_;
    QTextStream& out_;
    QTextStream& err_;
    DriverSetup setup_;
    std::unique_ptr<CliLog> log_;
    std::unique_ptr<CliDialogs> dialogs_;
    PedalSession session_;

    QCommandLineParser parser_;
    DriverOptions driverOptions_;
    QCommandLineOption helpOption_;
    QCommandLineOption versionOption_;
    QCommandLineOption jsonOption_;
    QCommandLineOption rawOption_;
    QCommandLineOption effectOption_;
    QCommandLineOption verboseOption_;
    bool driversRegistered_ = false;

    QStringList failures_;
    bool firmwareRead_ = false;
    QString uploadAnswer_;
    QString rawAnswer_;
    int shownProgress_ = -1;

    std::coroutine_handle<> waiting_;
    bool waitingForIdle_ = false;
    ClockTimer wake_;
};

} // namespace brivo::cli
