#pragma once

#include "params/ParamState.h"

#include <QScopedValueRollback>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace brivo {

class Dialogs;
class Log;
class ToggleSwitch;
struct CatalogueState;

// The FX Parameters window: one row of controls per parameter of the current
// effect, built from its control descriptor each time the window is shown and
// destroyed when it closes. The parameter state outlives the controls.
class TformFXParameters : public QWidget {
    Q_OBJECT

  public:
    // Loads a raw-data resource as text lines; throws EditorError
    // "Resource <name> not found" when there is none.
    using ResourceLoader = std::function<QStringList(const QString&)>;

    // The kinds of control a parameter can be found by.
    enum class Kind { Pot, Switch, MultiSwitch, Assign, MinButton, MaxButton, ClearButton };

    static constexpr int kClientWidth = 499;
    static constexpr int kDesignHeight = 480;

    TformFXParameters(ParamState& params, CatalogueState& catalogue, Log& log, Dialogs& dialogs,
                      QWidget* parent = nullptr);
    ~TformFXParameters() override;

    // Descriptor and program come from here; the compiled-in catalogue unless
    // a test feeds its own.
    void setResourceLoader(ResourceLoader loader);

    // The show steps for the current effect: close if visible, place beside
    // `mainWindow`, build, show, set the caption and the height. Returns false
    // when the effect's descriptor or program was refused (message shown and
    // logged, window left hidden and empty). A missing resource throws.
    bool showForEffect(QWidget* mainWindow, const QString& caption);

    // Builds the controls for `currentEffectName`. The descriptor and the
    // program header are read and checked before any control is made; a
    // refusal shows a message, writes a console line, hides the window and
    // returns false. A missing resource throws EditorError with nothing built.
    bool OnShow();

    // Destroys every control of the window and runs `onClosed`. The parameter
    // arrays keep their contents. Closing the window runs it too.
    void OnClose();

    // Every child control to `enable`; then each pot's three limit buttons
    // enabled exactly when the pot is assigned.
    void EnableDisableControls(bool enable);
    // The limit buttons of every assigned pot are offered (a status or a
    // file gave the limits).
    void offerLimits();
    // The pedal cannot be reached: nothing of the window is offered, the
    // limit buttons of assigned pots included.
    void lockOut();
    // Every enabled state of the window's controls, from whether they are
    // unlocked, the assignments and which limit buttons are offered.
    void updateControls();

    // The parameter whose control of `kind` is `sender`, by identity over
    // that kind's index range; -1 when none.
    int findParameter(QObject* sender, Kind kind) const;

    // Shows the on or off text of switch i according to its state.
    void showSwitchState(int i);

    // Names every control for screen readers by its parameter and what it
    // shows now ("Depth minimum 51%", "Depth reverse", "Depth controller
    // EXP"); the hints are the descriptions. The window runs it after its own
    // changes; whoever sets a limit button's text runs it after.
    void refreshAccessibleNames();

    // While the returned guard lives, the program's own changes to the
    // controls (a status being applied) raise no pot or multi-switch events,
    // so a read never writes to the pedal. Assignment boxes still keep the
    // matrix in step.
    [[nodiscard]] QScopedValueRollback<bool> quietChanges() {
        return QScopedValueRollback<bool>(quiet_, true);
    }

    // Whether controls exist (between a successful build and the close).
    bool isBuilt() const { return built_; }

    // The control arrays (nullptr where a slot has no control).
    QLabel* lblName(int i) const { return at(lblName_, i); }
    QSlider* trkPot(int i) const { return at(trkPot_, i); }
    ToggleSwitch* swtSwitch(int i) const { return at(swtSwitch_, i); }
    QLabel* lblSwitchState(int i) const { return at(lblSwitchState_, i); }
    QComboBox* cmbMultiSwitch(int i) const { return at(cmbMultiSwitch_, i); }
    QComboBox* boxAssign(int i) const { return at(boxAssign_, i); }
    QCheckBox* chkReverse(int i) const { return at(chkReverse_, i); }
    QPushButton* btnMin(int i) const { return at(btnMin_, i); }
    QPushButton* btnMax(int i) const { return at(btnMax_, i); }
    QPushButton* btnClearMinMax(int i) const { return at(btnClearMinMax_, i); }
    QFrame* lnSeparator() const { return lnSeparator_; }

    // Runs after the window's controls are destroyed (the main window
    // disables "Request" and "Assign").
    std::function<void()> onClosed;

  signals:
    // A pot's position changed (by the user or by the program).
    void potChanged(int index);
    // The user clicked a switch; it already shows its new state.
    void switchClicked(int index);
    // A multi-switch's selection changed (by the user or by the program).
    void multiSwitchChanged(int index);
    // An assignment box changed; the matrix and flags are already updated.
    void assignChanged(int index);
    // A limit button of pot `index` was clicked: code 0 min, 1 max, 2 clear.
    void limitClicked(int index, int code);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    template <typename T> using Slots = std::array<T*, kParamSlots>;
    template <typename T> static T* at(const Slots<T>& array, int i) {
        return i >= 0 && i < kParamSlots ? array[i] : nullptr;
    }

    void PotParameterChange(QObject* sender);
    void SwitchParameterClick(QObject* sender);
    void MultiSwitchOnChange(QObject* sender);
    void boxAssignOnChange(QObject* sender);
    void btnMinClick(QObject* sender);
    void btnMaxClick(QObject* sender);
    void ClearMinMaxClick(QObject* sender);

    QStringList loadResource(const QString& name);
    bool refuse(const QString& text);
    void destroyControls();
    void createControls(bool editable);

    ParamState& params_;
    CatalogueState& catalogue_;
    Log& log_;
    Dialogs& dialogs_;
    ResourceLoader loader_;
    bool built_ = false;
    bool quiet_ = false;
    // The controls are offered (the running effect's window, unlocked).
    bool unlocked_ = false;
    // Per pot: its limit buttons are offered when it is assigned.
    std::array<bool, kParamSlots> limitsOffered_{};

    Slots<QLabel> lblName_{};
    Slots<QSlider> trkPot_{};
    Slots<ToggleSwitch> swtSwitch_{};
    Slots<QLabel> lblSwitchState_{};
    Slots<QComboBox> cmbMultiSwitch_{};
    Slots<QComboBox> boxAssign_{};
    Slots<QCheckBox> chkReverse_{};
    Slots<QPushButton> btnMin_{};
    Slots<QPushButton> btnMax_{};
    Slots<QPushButton> btnClearMinMax_{};
    QFrame* lnSeparator_ = nullptr;
};

} // namespace brivo
