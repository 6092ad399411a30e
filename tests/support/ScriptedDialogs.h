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
    QString openFileName(const QString& filter) override {
        fileFilters.append(filter);
        if (files.empty())
            return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }

    QString saveFileName(const QString& filter) override {
        fileFilters.append(filter);
        if (saveFiles.empty())
            return {};
        QString file = saveFiles.front();
        saveFiles.pop_front();
        return file;
    }

    QStringList messages;
    QStringList questions;
    QStringList fileFilters;
    std::deque<bool> answers;
    std::deque<QString> files;
    // Runs while a message box is open, as a user would look at the windows then.
    std::function<void(const QString&)> onMessage;
    std::deque<QString> saveFiles;
};

} // namespace brivo::test
