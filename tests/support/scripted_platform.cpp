#include "support/scripted_platform.h"

#include "form/form.h"

namespace form {

std::optional<std::string> ScriptedPlatform::chooseSaveFile(const Form& owner, const SaveDialogSettings& settings)
{
    dialogs.push_back({owner.name(), settings});
    if (answers_.empty()) {
        return std::nullopt;
    }
    const std::optional<Answer> answer = answers_.front();
    answers_.pop_front();
    if (!answer) {
        return std::nullopt;
    }
    return answer->withDefaultExtension ? withDefaultExtension(answer->path, settings.defaultExt) : answer->path;
}

void ScriptedPlatform::message(const Form* owner, const std::string& title, const std::string& text)
{
    messages.push_back({owner != nullptr ? owner->name() : std::string(), title, text});
}

void ScriptedPlatform::help(const Form& owner, const std::string& file, int command, const std::string& data)
{
    helpCalls.push_back({owner.name(), file, command, data});
}

std::vector<std::string> ScriptedPlatform::messageTexts() const
{
    std::vector<std::string> texts;
    for (const Message& m : messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace form
