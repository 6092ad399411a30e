#include "app/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace brivo {

namespace {
QString title() {
    return QApplication::applicationDisplayName();
}
} // namespace

void QtDialogs::showMessage(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), title(), text, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text) {
    const auto answer = QMessageBox::question(QApplication::activeWindow(), title(), text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer != QMessageBox::No;
}

QString QtDialogs::openFileName(const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), folder, filter);
}

QString QtDialogs::saveFileName(const QString& filter, const QString& folder, const QString& name) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(),
                                        QDir(folder).filePath(name), filter);
}

} // namespace brivo
