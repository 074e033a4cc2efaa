// Shows any declared screen as a Qt window and hands the user's actions to
// the program. Nothing here knows a particular screen: every window is built
// from its declaration, and every change in the model shows at once.
#pragma once

#include <QPointer>
#include <QWidget>

class QDropEvent;
class QLineEdit;

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "form/form.h"
#include "qt/compositions.h"

namespace kelvqt {

class ScreenWindow;

class Renderer : public QObject, public form::Observer {
    Q_OBJECT
public:
    explicit Renderer(form::Program& program);
    ~Renderer() override;

    // The window of a loaded screen, or null when it has none yet.
    QWidget* window(const std::string& screen) const;

    void screenShown(form::Form& f) override;
    void screenHidden(form::Form& f) override;
    void screenUnloaded(form::Form& f) override;
    void controlChanged(form::Form& f, const std::string& control) override;

    // The user's actions, as the widgets report them.
    void userClicked(const std::string& screen, const std::string& control);
    void userEdited(const std::string& screen, const std::string& control, const QString& text);
    void userToggled(const std::string& screen, const std::string& control, bool checked);
    void userKeyPress(const std::string& screen);
    void userClosed(const std::string& screen);

    // Where the renderer's requests to the input method go: the platform's
    // own unless a test stands in for a plugin.
    void setInputMethod(InputMethodRequests* requests);

    // A message box or save dialog runs from here to dialogEnded. A window
    // the model unloads meanwhile only hides: the dialog may be its child,
    // and the dialog's own event loop would otherwise delete the window, and
    // the dialog with it, under the running dialog. It goes once the last
    // dialog has returned.
    void dialogStarted();
    void dialogEnded();

protected:
    // Clicks on labels, pictures and frames, which have no signal of their own.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ScreenWindow* build(form::Form& f);
    QWidget* createControl(const ScreenWindow& win, const form::ControlDef& c, QWidget* parent);
    void describe(form::Form& f);
    void syncControl(form::Form& f, const std::string& control);
    void syncAll(const std::string& screen);
    bool fileDropped(QLineEdit* edit, QDropEvent* event);

    form::Program& program_;
    std::map<std::string, QPointer<ScreenWindow>> windows_;
    int syncing_ = 0;  // the renderer is showing the model: no echo back to it
    // What input methods are still composing in the fields; ended before a
    // press is handled, so that the handler reads what the fields show.
    Compositions compositions_;
    int dialogs_ = 0;  // message boxes and save dialogs running
    std::vector<QPointer<ScreenWindow>> unloadedUnderDialog_;
};

}  // namespace kelvqt
