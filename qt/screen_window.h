// One screen's window: its controls by name, the keyboard order through
// them, and the frame's close button and key presses reported to the program.
#pragma once

#include <QWidget>

#include <map>
#include <string>
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

    QWidget* control(const std::string& name) const
    {
        auto it = controls.find(name);
        return it == controls.end() ? nullptr : it->second;
    }

    std::map<std::string, QWidget*> controls;
    std::map<std::string, QWidget*> groupBoxes;  // option -> the box of its group
    std::vector<QWidget*> tabChain;              // the keyboard order, as declared
    bool placed = false;
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
};

}  // namespace kelvqt
