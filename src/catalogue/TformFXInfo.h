#pragma once

#include <QTemporaryDir>
#include <QWidget>
#include <optional>

class QTextBrowser;

namespace brivo {

// The effect's information page, shown beside the FX Parameters window.
class TformFXInfo final : public QWidget {
    Q_OBJECT
  public:
    explicit TformFXInfo(QWidget* parent = nullptr);

    // Closes the window if open, places it to the right of `besides` and shows
    // the page of `effectName`. Throws when the effect has no page; the window
    // then stays closed.
    void showPage(const QRect& besides, const QString& effectName);
    // The same with the page's bytes given: `page` is shown under the caption
    // `effectName`, as a catalogue page is.
    void showPage(const QRect& besides, const QString& effectName, const QByteArray& page);

    QTextBrowser* WebBrowser1 = nullptr;

  private:
    // The page is handed to the view as a file, bytes unchanged, so it keeps
    // its own character set; the folder goes when the window does.
    // Made on the first page shown, not at start-up.
    std::optional<QTemporaryDir> pageFolder_;
};

} // namespace brivo
