// The platform for people: Qt's own save dialog, message boxes, the help
// viewer, the folder of the running program, and program end.
#pragma once

#include <QApplication>

#include <QStringList>

#include <functional>
#include <optional>

#include "form/platform.h"
#include "output/program_folder.h"

namespace kelvqt {

class Renderer;

// What the save dialog is shown with, in the dialog's own terms.
struct SaveRequest {
    QString title;
    QStringList nameFilters;  // "description (pattern)", shown as the description alone
    QString directory;
    QString fileName;  // the name chosen last time, or empty
    QString defaultSuffix;
};

class QtPlatform : public form::Platform {
public:
    // The modal windows the platform opens. By default Qt's own save dialog
    // and message box; tests hand in their own answers instead.
    using SaveDialog = std::function<std::optional<QString>(QWidget* owner, const SaveRequest& request)>;
    using MessageBox = std::function<void(QWidget* owner, const QString& title, const QString& text)>;
    explicit QtPlatform(SaveDialog saveDialog = realSaveDialog, MessageBox messageBox = realMessageBox)
        : saveDialog_(std::move(saveDialog)), messageBox_(std::move(messageBox))
    {
    }
    static std::optional<QString> realSaveDialog(QWidget* owner, const SaveRequest& request);
    static void realMessageBox(QWidget* owner, const QString& title, const QString& text);
    // The request for a dialog with the given settings.
    static SaveRequest saveRequest(const form::SaveDialogSettings& settings);

    void setRenderer(Renderer* renderer) { renderer_ = renderer; }
    // The program's title, in the title bar of the message that tells where
    // the folders go when the program's own folder cannot be written.
    void setProgramTitle(std::string title) { title_ = std::move(title); }
    // What program end does; by default it leaves the event loop.
    std::function<void()> onEnd = [] { QCoreApplication::exit(0); };

    std::optional<std::string> chooseSaveFile(const form::Form& owner,
                                              const form::SaveDialogSettings& settings) override;
    void message(const form::Form* owner, const std::string& title, const std::string& text) override;
    void help(const form::Form& owner, const std::string& file, int command, const std::string& data) override;
    // The folder that holds the program, or the user's stand-in for it when
    // the user may not write there (an installed copy).
    std::string programFolder() override;
    // The per-user folder that stands in for the program's: ~/kelvora, one
    // for both programs as they share their folder.
    static QString standInFolder();
    void endProgram() override;

    // The dialog's name filters from a stored filter "desc|pattern|...":
    // each shows its description exactly as stored and filters by its pattern.
    static QStringList nameFilters(const std::string& filter);

private:
    class DialogRunning;
    QWidget* windowOf(const form::Form* f) const;
    SaveDialog saveDialog_;
    MessageBox messageBox_;
    Renderer* renderer_ = nullptr;
    std::string title_;
    std::optional<output::ProgramFolder> folder_;
};

// Fonts, translations and icon shared by both programs.
void setUpApplication(QApplication& app);

}  // namespace kelvqt
