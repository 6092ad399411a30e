#include "app/TformPrint.h"

#include "base/Dialogs.h"
#include "base/PrintableText.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <algorithm>

namespace brivo {

namespace {
constexpr int kClientWidth = 490;
constexpr int kClientHeight = 652;
constexpr int kDesignLeft = 1075;
constexpr int kDesignTop = 0;
const QString kSaveFilter = QStringLiteral("Text files (*.txt);;All files (*)");
} // namespace

TformPrint::TformPrint(Dialogs& dialogs, QWidget* parent, int maxLines)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), maxLines_(std::max(maxLines, 2)) {
    setObjectName(QStringLiteral("formPrint"));
    setWindowTitle(QStringLiteral("Print Console"));
    resize(kClientWidth, kClientHeight);
    move(kDesignLeft, kDesignTop);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setGeometry(96, 8, 386, 636);
    // Long hex lines stay whole; the view scrolls sideways instead.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMaximumBlockCount(maxLines_);

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setGeometry(8, 8, 80, 48);
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });

    CheckBox1 = new QCheckBox(QStringLiteral("scrollDOWN"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 64, 89, 33);
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Change(); });

    btnScrollTop = new QPushButton(QStringLiteral("UP"), this);
    btnScrollTop->setObjectName(QStringLiteral("btnScrollTop"));
    btnScrollTop->setGeometry(17, 418, 49, 54);
    connect(btnScrollTop, &QPushButton::clicked, this, [this] { btnScrollTopClick(); });

    // The trace is what a user sends when asking for help.
    btnSave = new QPushButton(QStringLiteral("Save..."), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setGeometry(8, 104, 80, 32);
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });

    btnCopyAll = new QPushButton(QStringLiteral("Copy All"), this);
    btnCopyAll->setObjectName(QStringLiteral("btnCopyAll"));
    btnCopyAll->setGeometry(8, 144, 80, 32);
    connect(btnCopyAll, &QPushButton::clicked, this, [this] { btnCopyAllClick(); });

    FormCreate();
}

void TformPrint::FormCreate() {
    autoScroll_ = false;
}

void TformPrint::append_line(const QString& text) {
    // Appending must not move the view: keep the scroll position as it was.
    QScrollBar* vertical = Memo1->verticalScrollBar();
    QScrollBar* horizontal = Memo1->horizontalScrollBar();
    const int v = vertical->value();
    const int h = horizontal->value();
    addLine(text);
    vertical->setValue(v);
    horizontal->setValue(h);
}

QString TformPrint::droppedLinesNotice() const {
    return QStringLiteral("older lines dropped: the console keeps the most recent %1 lines")
        .arg(QLocale(QLocale::English).toString(maxLines_));
}

void TformPrint::addLine(const QString& text) {
    // One log line is one line of the view, readable and copyable whatever
    // bytes it carries.
    const bool full = lineCount_ >= maxLines_;
    Memo1->appendPlainText(visible_control_characters(text));
    if (!full) {
        ++lineCount_;
        return;
    }
    // The view has dropped its oldest line. Say so once while the notice
    // is still in view.
    ++droppedSinceNotice_;
    if (!noticeKept_ || droppedSinceNotice_ >= maxLines_) {
        noticeKept_ = true;
        droppedSinceNotice_ = 0;
        Memo1->appendPlainText(droppedLinesNotice());
    }
}

void TformPrint::log_line(const QString& text) {
    append_line(text);
    if (autoScroll_)
        scrollToEnd();
}

void TformPrint::log_lines(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    // Lines that fit add in one step: one block each, laid out once. Near
    // the limit they go one by one, so the dropped-lines notice stays right.
    if (lineCount_ + lines.size() > maxLines_) {
        for (const QString& line : lines)
            append_line(line);
    } else {
        QStringList shown;
        shown.reserve(lines.size());
        for (const QString& line : lines)
            shown.append(visible_control_characters(line));
        QScrollBar* vertical = Memo1->verticalScrollBar();
        QScrollBar* horizontal = Memo1->horizontalScrollBar();
        const int v = vertical->value();
        const int h = horizontal->value();
        Memo1->appendPlainText(shown.join(QLatin1Char('\n')));
        lineCount_ += static_cast<int>(lines.size());
        vertical->setValue(v);
        horizontal->setValue(h);
    }
    if (autoScroll_)
        scrollToEnd();
}

void TformPrint::scrollToEnd() {
    Memo1->horizontalScrollBar()->setValue(0);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

QStringList TformPrint::lines() const {
    if (lineCount_ == 0)
        return {};
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TformPrint::btnClearClick() {
    Memo1->clear();
    lineCount_ = 0;
    noticeKept_ = false;
    droppedSinceNotice_ = 0;
}

void TformPrint::btnSaveClick() {
    const QString path =
        dialogs_.saveFileName(kSaveFilter, QString(), QStringLiteral("brivo-console.txt"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: a failed save leaves an earlier file as it was.
    QSaveFile file(path);
    QByteArray text = lines().join(QLatin1Char('\n')).toUtf8();
    if (lineCount_ > 0)
        text.append('\n');
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        dialogs_.showMessage(QStringLiteral("The console could not be saved to %1: %2")
                                 .arg(path, file.errorString()));
}

void TformPrint::btnCopyAllClick() {
    QApplication::clipboard()->setText(lines().join(QLatin1Char('\n')));
}

void TformPrint::btnScrollTopClick() {
    Memo1->verticalScrollBar()->setValue(0);
}

void TformPrint::CheckBox1Change() {
    autoScroll_ = CheckBox1->isChecked();
}

} // namespace brivo
