#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace brivo {

class Dialogs;

// Settings > Look: the seven items, the choice applied to every window, and
// style.txt in the maker's folder that remembers it between runs.
class LookMenu final : public QObject {
    Q_OBJECT
  public:
    // `makerFolder` holds style.txt; it may be missing.
    LookMenu(QMenu* menuLook, QString makerFolder, Dialogs& dialogs);

    // Creates the items "0" to "6" in order, each applying its look.
    void build_look_menu();
    // Applies the look saved in style.txt; look 0 without a usable file.
    void apply_saved_look();
    // The handler shared by the items: applies the item's look and saves it.
    void menuLookClickItem(QAction* sender);

    const QList<QAction*>& items() const { return items_; }
    QString lookFilePath() const;

  private:
    QMenu* menuLook_;
    QString makerFolder_;
    Dialogs& dialogs_;
    QList<QAction*> items_;
};

} // namespace brivo
