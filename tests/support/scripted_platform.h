// The platform for tests and test tools: dialogs are answered from a script,
// every message, help call and program end is recorded.
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
    void answerSave(std::string path) { answers_.push_back(Answer{std::move(path), true}); }
    // ... or returns this path as it stands, as when an item that is there
    // already is picked ...
    void answerAsIs(std::string path) { answers_.push_back(Answer{std::move(path), false}); }
    // ... or is cancelled.
    void answerCancel() { answers_.push_back(std::nullopt); }

    std::optional<std::string> chooseSaveFile(const Form& owner, const SaveDialogSettings& settings) override;
    void message(const Form* owner, const std::string& title, const std::string& text) override;
    void help(const Form& owner, const std::string& file, int command, const std::string& data) override;
    std::string programFolder() override { return folder; }
    void endProgram() override { ended = true; }
    void programmingError(const std::string& what) override { programmingErrors.push_back(what); }

    std::vector<std::string> messageTexts() const;

    std::string folder = "/tmp";
    bool ended = false;
    std::vector<Message> messages;
    std::vector<DialogShown> dialogs;
    std::vector<HelpCall> helpCalls;
    std::vector<std::string> programmingErrors;  // events a fault of the program stopped

private:
    struct Answer {
        std::string path;
        bool withDefaultExtension = true;
    };
    std::deque<std::optional<Answer>> answers_;
};

}  // namespace form
