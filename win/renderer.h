// Shows any declared screen as a window of the Windows API and hands the
// user's actions to the program. Like the Qt renderer it knows no particular
// screen: every window is built from its declaration, and every change in the
// model shows at once.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form/form.h"
#include "render/layout.h"
#include "win/fonts.h"
#include "win/pictures.h"
#include "win/screen_window.h"

namespace kelvwin {

// Commits what the input method is composing in `field` (the focused window
// when null), once, where the field shows it; nothing when it composes
// nothing. Every press, from any path, ends a composition this way before
// it is handled.
void completeComposition(HWND field);

class Renderer : public form::Observer {
public:
    Renderer(form::Program& program, HINSTANCE instance);
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The top-level window of a loaded screen, or null.
    HWND window(const std::string& screen) const;
    // The window of one control, or null (lines and dialogs have none).
    HWND control(const std::string& screen, const std::string& name) const;

    // Twips to pixels in a screen's window, at the resolution of the
    // monitor the screens are on; at the laid-out scale for a screen with no
    // window.
    int px(const std::string& screen, int twips) const;

    // The model the windows show.
    form::Program& program() const { return program_; }

    void screenShown(form::Form& f) override;
    void screenHidden(form::Form& f) override;
    void screenUnloaded(form::Form& f) override;
    void controlChanged(form::Form& f, const std::string& control) override;

    // The user's actions, as the windows report them.
    void userClicked(const std::string& screen, const std::string& control);
    void userEdited(const std::string& screen, const std::string& control, HWND edit);
    void userDropped(const form::ControlDef& control, HWND edit, const std::wstring& path);
    void optionCheckSet(const std::string& screen, const std::string& control, bool checked);
    void userKeyPress(const std::string& screen);
    void userClosed(const std::string& screen);

    // Window procedures (registered once per process).
    static LRESULT CALLBACK screenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK boxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Subclass of the fields, options and buttons: what reaches them from
    // outside the renderer (assistive technology, drops, other programs).
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

    // Destroys the windows of unloaded screens; runs between events.
    void collectGarbage();

private:
    ScreenWindow* find(const std::string& screen) const;
    int px(const ScreenWindow& w, int twips) const;
    ScreenWindow* build(form::Form& f);
    void syncControl(form::Form& f, const std::string& control);
    void syncAll(const std::string& screen);
    // Lays every screen out again at another resolution; the window that
    // moved there takes the place Windows suggests (win/dpi.cpp).
    void setDpi(int dpi, HWND moved, const RECT* suggested);
    // What reaches a screen's window and the controls' (win/window_procedures.cpp).
    LRESULT handleScreen(ScreenWindow& w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool handleChild(ScreenWindow& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    form::Program& program_;
    HINSTANCE instance_;
    int dpi_ = 96;
    // The resolution a window's positions and sizes are laid out at: dpi_
    // times its scale.
    int layoutDpi(const ScreenWindow& w) const;
    // The scale a window is drawn at on the monitor it is on (or will
    // appear on), at dpi_.
    render::Scale scaleFor(const form::ScreenDef& def, HWND hwnd) const;
    Pictures pictures_;
    std::unique_ptr<Fonts> fonts_;  // at dpi_
    std::map<std::string, std::unique_ptr<ScreenWindow>> windows_;
    std::vector<std::unique_ptr<ScreenWindow>> dying_;
    int syncing_ = 0;  // the model is setting a control: no echo to the model
};

}  // namespace kelvwin
