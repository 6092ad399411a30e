#pragma once

#include <QString>

namespace brivo {

// Every message box and file dialog goes through here, so tests can script
// the answers and read the texts.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box with one OK button; returns when it is closed.
    virtual void showMessage(const QString& text) = 0;
    // A Yes/No question, Yes the default; true only for Yes. Esc or the
    // window's close button answer No: the safer choice.
    virtual bool askYesNo(const QString& text) = 0;
    // An open-file dialog, opening in `folder` (the last one used when empty);
    // an empty text when the user cancels.
    virtual QString openFileName(const QString& filter, const QString& folder = QString()) = 0;
    // A save-file dialog in `folder` proposing `name`; it asks before
    // replacing a file. An empty text when the user cancels.
    virtual QString saveFileName(const QString& filter, const QString& folder,
                                 const QString& name) = 0;
};

} // namespace brivo
