#include "app/LookMenu.h"

#include "app/Looks.h"
#include "base/Dialogs.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSaveFile>

namespace brivo {

LookMenu::LookMenu(QMenu* menuLook, QString makerFolder, Dialogs& dialogs)
    : QObject(menuLook), menuLook_(menuLook), makerFolder_(std::move(makerFolder)),
      dialogs_(dialogs) {}

QString LookMenu::lookFilePath() const {
    return look_file_path(makerFolder_);
}

void LookMenu::build_look_menu() {
    // Menus hide tooltips unless told otherwise; the names say what each number is.
    menuLook_->setToolTipsVisible(true);
    for (int look = 0; look < kLookMenuItemCount; ++look) {
        QAction* item = menuLook_->addAction(QString::number(look));
        item->setObjectName(QStringLiteral("menuLook") + QString::number(look));
        const QString name = look_info(look)->name;
        item->setToolTip(name);
        item->setStatusTip(name);
        connect(item, &QAction::triggered, this, [this, item] { menuLookClickItem(item); });
        items_.append(item);
    }
}

void LookMenu::apply_saved_look() {
    apply_look(read_saved_look(makerFolder_));
}

void LookMenu::menuLookClickItem(QAction* sender) {
    const int look = static_cast<int>(items_.indexOf(sender));
    if (look < 0)
        return;
    apply_look(look);
    // Replaced whole or not at all: a crash mid-write never leaves half a number.
    QSaveFile file(lookFilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(look_file_text(look)) < 0 || !file.commit())
        dialogs_.showMessage(
            QStringLiteral("Error saving the look to %1: %2")
                .arg(QDir::toNativeSeparators(lookFilePath()), file.errorString()));
}

} // namespace brivo
