// kelvora on the scripted platform, opened on one screen: what most screen
// tests start from.
#pragma once

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "support.h"

namespace testing_support {

class ScreenFixture : public ::testing::Test {
protected:
    ScreenFixture(std::string screen, std::string defaultFile)
        : screen_(std::move(screen)), defaultFile_(std::move(defaultFile))
    {
        program.start(screen_);
    }

    form::Form& page() { return program.screen(screen_); }
    void type(const std::string& control, const std::string& text) { program.edit(screen_, control, text); }

    // Saves under the name typed into the dialog; returns the bytes of the
    // file written (under `writtenAs` when the dialog adds an extension).
    std::string save(std::string name = "", std::string writtenAs = "")
    {
        if (name.empty()) {
            name = defaultFile_;
        }
        platform.answerSave(folder.file(name));
        program.click(screen_, "Command1");
        return readBytes(folder.file(writtenAs.empty() ? name : writtenAs));
    }

    TempFolder folder;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};

private:
    std::string screen_;
    std::string defaultFile_;
};

}  // namespace testing_support
