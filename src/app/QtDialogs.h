#pragma once

#include "base/Dialogs.h"

namespace brivo {

// Real message boxes and file dialogs.
class QtDialogs final : public Dialogs {
  public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    QString openFileName(const QString& filter, const QString& folder = QString()) override;
    QString saveFileName(const QString& filter, const QString& folder,
                         const QString& name) override;
};

} // namespace brivo
