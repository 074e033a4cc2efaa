// The platform for people on Windows: the common save dialog, message boxes,
// the help, the folder of the running program, and program end.
#pragma once

#include <windows.h>

#include <string>

#include "form/platform.h"

namespace kelvwin {

class Renderer;

class WinPlatform : public form::Platform {
public:
    void setRenderer(Renderer* renderer) { renderer_ = renderer; }

    std::optional<std::string> chooseSaveFile(const form::Form& owner,
                                              const form::SaveDialogSettings& settings) override;
    void message(const form::Form* owner, const std::string& title, const std::string& text) override;
    void help(const form::Form& owner, const std::string& file, int command, const std::string& data) override;
    std::string programFolder() override;
    void endProgram() override;

    // The dialog's filter from a stored filter "desc|pattern|...": the same
    // pairs, separated and ended by NULs as the common dialog reads them.
    static std::wstring dialogFilter(const std::string& filter);

private:
    HWND windowOf(const form::Form* f) const;
    Renderer* renderer_ = nullptr;
};

}  // namespace kelvwin
