// One screen's window: its controls by name, the keyboard order through
// them, and the frame's close button and key presses reported to the program.
#pragma once

#include <QWidget>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "form/screen_def.h"
#include "render/layout.h"

namespace kelvqt {

class OptionButton;
class Renderer;

// Fixed client size and the screen's caption, both drawn at the scale the
// desktop's font asks for.
class ScreenWindow : public QWidget {
public:
    ScreenWindow(Renderer& renderer, const form::ScreenDef& def, render::Scale scale);

    const form::ScreenDef& def() const { return def_; }

    // Twips to this window's pixels.
    int px(int twips) const { return render::pixels(twips, scale.layout); }

    // The widget that shows a control, by the control's name, or null.
    QWidget* control(const std::string& name) const;
    void addControl(const std::string& name, QWidget* widget) { controls_[name] = widget; }

    // The box that holds an option's group, or null for a control outside one.
    QWidget* groupBoxOf(const std::string& option) const;
    void putInGroupBox(const std::string& option, QWidget* box) { groupBoxes_[option] = box; }

    // The keyboard order through the controls, as declared.
    void setKeyboardOrder(std::vector<QWidget*> order) { tabChain_ = std::move(order); }

    // True the first time only: the window is placed once, when first shown.
    bool placeOnce() { return !std::exchange(placed_, true); }

    const render::Scale scale;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSize clientSize() const;
    QWidget* stopOf(OptionButton* option) const;
    void followState(Qt::WindowState state);

    Renderer& renderer_;
    const form::ScreenDef& def_;
    std::map<std::string, QWidget*> controls_;
    std::map<std::string, QWidget*> groupBoxes_;
    std::vector<QWidget*> tabChain_;
    bool placed_ = false;
};

}  // namespace kelvqt
