// A platform for tests: dialogs are answered from a script, every message,
// help call and program end is recorded.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "form/platform.h"

namespace form {

class ScriptedPlatform : public Platform {
public:
    struct Message {
        std::string owner;  // screen name, or empty
        std::string title;
        std::string text;
    };
    struct DialogShown {
        std::string owner;
        SaveDialogSettings settings;
    };
    struct HelpCall {
        std::string owner;
        std::string file;
        int command = 0;
        std::string data;
    };

    // The next save dialog returns this name (the default extension is
    // appended as the real dialog does) ...
    void answerSave(std::string path) { answers_.push_back(std::move(path)); }
    // ... or is cancelled.
    void answerCancel() { answers_.push_back(std::nullopt); }

    std::optional<std::string> chooseSaveFile(const Form& owner, const SaveDialogSettings& settings) override;
    void message(const Form* owner, const std::string& title, const std::string& text) override;
    void help(const Form& owner, const std::string& file, int command, const std::string& data) override;
    std::string programFolder() override { return folder; }
    void endProgram() override { ended = true; }

    std::vector<std::string> messageTexts() const;

    std::string folder = "/tmp";
    bool ended = false;
    std::vector<Message> messages;
    std::vector<DialogShown> dialogs;
    std::vector<HelpCall> helpCalls;

private:
    std::deque<std::optional<std::string>> answers_;
};

}  // namespace form
