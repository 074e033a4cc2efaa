// The help window's find bar: finds a word in the page, forward or back,
// wrapping around, and says what it found to the sighted reader beside the
// field and to a screen reader through a notification. Esc in its field
// closes it; Return finds the next match and Shift+Return the one before.
#pragma once

#include <QString>
#include <QTextCursor>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;

namespace kelvqt {

class HelpText;

class HelpFindBar : public QWidget {
public:
    // Finds in text. The commands are the window's, so that their keys work
    // wherever the focus is in it; the bar shows them as buttons.
    HelpFindBar(HelpText* text, QAction* findPrevious, QAction* findNext, QAction* findClose, QWidget* parent);

    void openFind();
    void closeFind();
    // Finds the word in the field; again goes past the match on show.
    void find(bool backward, bool again);
    void showStatus(const QString& text, bool failed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextCursor searchStart(bool backward, bool again) const;
    void announce(const QString& said);

    HelpText* text_ = nullptr;
    QLineEdit* findField_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* announcement_ = nullptr;
};

}  // namespace kelvqt
