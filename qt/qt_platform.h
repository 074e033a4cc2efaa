// The platform for people: Qt's own save dialog, message boxes, the help
// viewer, the folder of the running program, and program end.
#pragma once

#include <QApplication>

#include <functional>

#include "form/platform.h"

namespace kelvqt {

class Renderer;

class QtPlatform : public form::Platform {
public:
    void setRenderer(Renderer* renderer) { renderer_ = renderer; }
    // What program end does; by default it leaves the event loop.
    std::function<void()> onEnd = [] { QCoreApplication::exit(0); };

    std::optional<std::string> chooseSaveFile(const form::Form& owner,
                                              const form::SaveDialogSettings& settings) override;
    void message(const form::Form* owner, const std::string& title, const std::string& text) override;
    void help(const form::Form& owner, const std::string& file, int command, const std::string& data) override;
    std::string programFolder() override;
    void endProgram() override;

    // The dialog's name filters from a stored filter "desc|pattern|...":
    // each shows its description exactly as stored and filters by its pattern.
    static QStringList nameFilters(const std::string& filter);

private:
    QWidget* windowOf(const form::Form* f) const;
    Renderer* renderer_ = nullptr;
};

// Font, translations and icon shared by both programs.
void setUpApplication(QApplication& app);

}  // namespace kelvqt
