// The platform for people on Windows: the common save dialog, message boxes,
// the help, the folder of the running program, and program end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "form/platform.h"
#include "output/program_folder.h"

namespace kelvwin {

class Renderer;

class WinPlatform : public form::Platform {
public:
    void setRenderer(Renderer* renderer) { renderer_ = renderer; }

    std::optional<std::string> chooseSaveFile(const form::Form& owner,
                                              const form::SaveDialogSettings& settings) override;
    void message(const form::Form* owner, const std::string& title, const std::string& text) override;
    void help(const form::Form& owner, const std::string& file, int command, const std::string& data) override;
    // The folder that holds the program, or the user's stand-in for it when
    // the user may not write there (under C:\Program Files).
    std::string programFolder() override;
    // The per-user folder that stands in for the program's: Documents\kelvora,
    // one for both programs as they share their folder.
    static std::string standInFolder();
    void endProgram() override;

    // The dialog's filter from a stored filter "desc|pattern|...": the same
    // pairs, separated and ended by NULs as the common dialog reads them.
    static std::wstring dialogFilter(const std::string& filter);

private:
    HWND windowOf(const form::Form* f) const;
    // The folder the program file lies in, where its help lies too.
    static std::string installFolder();
    Renderer* renderer_ = nullptr;
    std::optional<output::ProgramFolder> folder_;
};

}  // namespace kelvwin
