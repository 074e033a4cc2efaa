// A test-only runner of kelvquick on the real Qt platform without windows:
// for each name on the command line it types the name into the first box
// and presses 一発作成, then prints the folder the program made its folders
// in. Every message box is printed instead of shown, one line each, as
// "message: <title>|<text>". scripts/check-install.sh copies it beside the
// installed programs, where it finds the same program folder they do.
#include <QApplication>

#include <cstdio>
#include <optional>

#include "form/form.h"
#include "qt/qt_platform.h"
#include "quick/quick_generator.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kelvqt::QtPlatform platform([](QWidget*, const kelvqt::SaveRequest&) { return std::optional<QString>(); },
                                [](QWidget*, const QString& title, const QString& text) {
                                    QString line = text;
                                    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
                                    std::printf("message: %s|%s\n", title.toUtf8().constData(),
                                                line.toUtf8().constData());
                                });
    form::ProgramDescription description = quick::quickProgram();
    platform.setProgramTitle(description.title);
    form::Program program(std::move(description), platform);
    program.start("Form1");
    for (int i = 1; i < argc; ++i) {
        program.edit("Form1", "Text1", argv[i]);
        program.click("Form1", "Command1");
    }
    std::printf("folder: %s\n", platform.programFolder().c_str());
    return 0;
}
