#include "app/QtDialogs.h"

#include "app/AppIdentity.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace brivo {

namespace {
QString title() {
    return kEditorCaption;
}
} // namespace

void QtDialogs::showMessage(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), title(), text, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text) {
    const auto answer = QMessageBox::question(QApplication::activeWindow(), title(), text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    // With Yes and No only, Esc and the close button give No.
    return answer == QMessageBox::Yes;
}

QString QtDialogs::openFileName(const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), folder, filter);
}

QString QtDialogs::saveFileName(const QString& filter, const QString& folder, const QString& name) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(),
                                        QDir(folder).filePath(name), filter);
}

} // namespace brivo
