#include "app/TformPrint.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace brivo {

namespace {
constexpr int kClientWidth = 490;
constexpr int kClientHeight = 652;
constexpr int kDesignLeft = 1075;
constexpr int kDesignTop = 0;
} // namespace

TformPrint::TformPrint(QWidget* parent) : QWidget(parent, Qt::Window) {
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
    Memo1->appendPlainText(text);
    ++lineCount_;
    vertical->setValue(v);
    horizontal->setValue(h);
}

void TformPrint::log_line(const QString& text) {
    append_line(text);
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
}

void TformPrint::btnScrollTopClick() {
    Memo1->verticalScrollBar()->setValue(0);
}

void TformPrint::CheckBox1Change() {
    autoScroll_ = CheckBox1->isChecked();
}

} // namespace brivo
