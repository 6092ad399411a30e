#pragma once

#include "base/Dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace brivo::test {

// Records every message and answers questions from a script (Yes when the
// script is empty), so tests read what the user would see.
class ScriptedDialogs final : public Dialogs {
  public:
    void showMessage(const QString& text) override {
        messages.append(text);
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(const QString& text) override {
        questions.append(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString openFileName(const QString& filter, const QString& folder = QString()) override {
        fileFilters.append(filter);
        fileFolders.append(folder);
        return next(files);
    }
    QString saveFileName(const QString& filter, const QString& folder,
                         const QString& name) override {
        fileFilters.append(filter);
        fileFolders.append(folder);
        proposedNames.append(name);
        return next(saveFiles);
    }

    QStringList messages;
    QStringList questions;
    QStringList fileFilters;
    QStringList fileFolders;
    QStringList proposedNames;
    std::deque<bool> answers;
    // Answers of open-file dialogs, then of save-file dialogs; empty: cancel.
    std::deque<QString> files;
    // Runs while a message box is open, as a user would look at the windows then.
    std::function<void(const QString&)> onMessage;
    std::deque<QString> saveFiles;

  private:
    static QString next(std::deque<QString>& queue) {
        if (queue.empty())
            return {};
        QString file = queue.front();
        queue.pop_front();
        return file;
    }
};

} // namespace brivo::test
