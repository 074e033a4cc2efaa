// Every screen of kelvora, found by name.
#pragma once

#include "app/version.h"
#include "form/form.h"

namespace app {

inline constexpr const char* applicationTitle = "Mirevant";
inline constexpr int versionMajor = KELVORA_VERSION_MAJOR;
inline constexpr int versionMinor = KELVORA_VERSION_MINOR;
inline constexpr int versionRevision = KELVORA_VERSION_PATCH;

// "ﾊﾞｰｼﾞｮﾝ " followed by major.minor.revision.
std::string versionLine(int major, int minor, int revision);

form::Program::Catalog kelvoraCatalog();

// kelvora: its title, its screens, the splash first, and the help file.
form::ProgramDescription kelvoraProgram();

const form::ScreenDef& splashScreen();
const form::ScreenDef& topMenu();
const form::ScreenDef& htmlMenu();          // Form4
const form::ScreenDef& detailedHtmlMenu();  // Form7
const form::ScreenDef& otherFormatsMenu();  // Form10

}  // namespace app
