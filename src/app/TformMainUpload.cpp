// Uploading effect programs to the pedal.
#include "app/Editor.h"
#include "app/TformMain.h"

#include <QLabel>
#include <QProgressBar>

namespace brivo {

void TformMain::btnUploadClick() {
    // Refused at once while another command waits for the pedal, before
    // the question.
    if (!editor_.session.admits(Conversation::Upload))
        return;
    if (!editor_.dialogs.askYesNo(QStringLiteral("Upload the selected effect?")))
        return;
    editor_.session.uploadEffect(editor_.catalogue.currentCategory,
                                 editor_.catalogue.currentEffectName);
}

void TformMain::btnUploadFileClick() {
    if (!editor_.session.admits(Conversation::UploadRaw))
        return;
    const QString path = editor_.dialogs.openFileName(openDialogFilter_);
    if (!path.isEmpty())
        editor_.session.uploadRawFile(path);
}

void TformMain::showUploadProgress(int percent) {
    if (percent < 0) {
        prgUpload->hide();
        return;
    }
    prgUpload->setValue(percent);
    prgUpload->show();
}

void TformMain::showUploadStatus(const QString& text) {
    lblStatus->setText(text);
}

} // namespace brivo
