#pragma once

#include "params/ControlDescriptor.h"
#include "params/ParamState.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace brivo::cli {

// An effect of the catalogue and the category that lists it.
struct CatalogueEffect {
    QString category;
    QString name;
};

// Every effect, category by category in the browser's order.
std::vector<CatalogueEffect> catalogue_effects();

// The effect with this display name, any case; none when the catalogue has none.
std::optional<CatalogueEffect> find_effect(const QString& name);

// "Unknown effect "Chorsu". The effects are: Clean Boost, ...": one line
// naming what was asked and every name that exists.
QString unknown_name_text(const QString& what, const QString& name, const QStringList& names);

// The catalogue as `effects` prints it: each category, then its effects indented.
QString effects_text();

// The parameter model of an effect as the FX Parameters window builds it
// from the descriptor and the program: counts, whole lines as names,
// addresses, switch texts and option counts, limits over the full range.
// Throws EditorError when the descriptor or the program is faulty.
ParamState param_state_of_effect(const QString& effectName);

// One parameter as the user names and sets it.
struct ParamInfo {
    // Counted from 1, as the lists show it.
    int number = 0;
    QString name;
    ParamKind kind = ParamKind::Pot;
    QString offText;
    QString onText;
    QStringList options;
};
ParamInfo param_info(const ParamState& params, int slot);

// The parameters as `params` prints them: number, name, and what it takes.
QString params_text(const QString& effectName, const ParamState& params);

// A parameter named by its number (from 1) or its name (any case). The
// slot, or an error text that lists the names that exist.
struct SlotLookup {
    int slot = -1;
    QString error;
};
SlotLookup find_parameter(const ParamState& params, const QString& effectName, const QString& text);

// The value `set` sends for `text`, as the window's control would send it:
// a pot takes 0 to 1023; a switch "on"/"off", its own on/off texts, or a
// number (above 0 is on) and sends 1023 or 0; a multi-switch takes an
// option's text (any case), or a number 0 to 1023 sent as the option it
// selects. The value, or an error text that says what the parameter takes.
struct ValueParse {
    std::int32_t value = 0;
    QString error;
};
ValueParse parse_param_value(const ParamState& params, int slot, const QString& text);

// What the parameter at `slot` shows for a status value: the pot's value, the
// switch's on or off text, the multi-switch's option ("" when none).
QString shown_value(const ParamState& params, int slot, std::int32_t value);

} // namespace brivo::cli
