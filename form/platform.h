// What the screens need from the machine they run on: the save dialog,
// message boxes, the help viewer, the program folder and program end.
// The Qt layer implements it for people; ScriptedPlatform for tests.
#pragma once

#include <optional>
#include <string>

#include "form/path.h"

namespace form {

class Form;

// The settings a save dialog is shown with (the CommonDialog's properties).
struct SaveDialogSettings {
    std::string title;
    bool cancelError = false;
    std::string defaultExt;  // without the dot
    std::string filter;      // "description|pattern|description|pattern"
    std::string initDir;
    std::string fileName;  // the full path chosen last time, or empty
};

// Appends ".ext" to a chosen name that has no extension of its own, as the
// save dialog does with its default extension.
std::string withDefaultExtension(const std::string& path, const std::string& ext);

class Platform {
public:
    virtual ~Platform() = default;

    // Shows the modal save dialog; the chosen full path, or nothing on Cancel.
    virtual std::optional<std::string> chooseSaveFile(const Form& owner, const SaveDialogSettings& settings) = 0;
    // A modal message with an OK button only, no icon, the title in its title bar.
    virtual void message(const Form* owner, const std::string& title, const std::string& text) = 0;
    // Opens the help file; command 3 opens it at its contents.
    virtual void help(const Form& owner, const std::string& file, int command, const std::string& data) = 0;
    // The folder that holds the running program, without a trailing separator.
    virtual std::string programFolder() = 0;
    // Ends the program at once; every window has already been unloaded.
    virtual void endProgram() = 0;
    // A fault of the program itself (a handler that names a control no screen
    // declares) stopped one event; the program goes on. Written to the error
    // stream unless the platform keeps it elsewhere.
    virtual void programmingError(const std::string& what);
};

// The separator the platform puts between folder names.
inline constexpr char pathSeparator = path::separator();

}  // namespace form
