// Replays a readable action script (the "#actions" format of
// user_actions.cpp) on the real file system, with the given folder as the
// program folder and as the folder every save dialog answer lies in, and
// prints each message shown, one line each. Built for Linux and for Windows
// so that scripts/test-cross-check.sh can compare what both builds write.
//   kelvora_replay <script> <folder>
// Only what both systems do alike is taken: program, restart, click, type,
// append, backspace, close, key, and the answers cancel and save NAME. The
// fault injections and the odd dialog answers of the fuzz target are left
// out, since their reasons are worded by each system's own error codes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "form/form.h"
#include "form/platform.h"
#include "quick/quick_generator.h"

namespace {

// "\n \r \t \0 \\ \xHH" stand for their bytes; "*N rest" repeats rest N times.
std::string unescape(const std::string& text)
{
    std::string in = text;
    std::size_t repeat = 1;
    if (in.size() > 1 && in[0] == '*') {
        const std::size_t space = in.find(' ');
        if (space != std::string::npos) {
            repeat = std::min<std::size_t>(std::stoul("0" + in.substr(1, space - 1)), 100000);
            in = in.substr(space + 1);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        if (c == 'n') {
            out += '\n';
        } else if (c == 'r') {
            out += '\r';
        } else if (c == 't') {
            out += '\t';
        } else if (c == '0') {
            out += '\0';
        } else if (c == 'x' && i + 2 < in.size()) {
            out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c;
        }
    }
    std::string repeated;
    for (std::size_t n = 0; n < repeat; ++n) {
        repeated += out;
    }
    return repeated;
}

class ReplayPlatform : public form::Platform {
public:
    explicit ReplayPlatform(std::string folder) : folder_(std::move(folder)) {}

    std::optional<std::string> chooseSaveFile(const form::Form&, const form::SaveDialogSettings& settings) override
    {
        if (answers.empty()) {
            return std::nullopt;
        }
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        if (answer.rfind("save ", 0) != 0) {
            return std::nullopt;
        }
        return form::withDefaultExtension(folder_ + form::pathSeparator + answer.substr(5), settings.defaultExt);
    }
    void message(const form::Form*, const std::string& title, const std::string& text) override
    {
        std::string line = title + "|" + text;
        for (char& c : line) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        std::printf("message: %s\n", line.c_str());
    }
    void help(const form::Form&, const std::string&, int, const std::string&) override {}
    std::string programFolder() override { return folder_; }
    void endProgram() override {}

    std::vector<std::string> answers;

private:
    std::string folder_;
};

struct Run {
    bool quick = false;
    ReplayPlatform* platform = nullptr;
    std::unique_ptr<form::Program> program;

    void start()
    {
        program.reset();
        if (quick) {
            program = std::make_unique<form::Program>(quick::quickProgram(), *platform);
            program->start("Form1");
        } else {
            program = std::make_unique<form::Program>(app::kelvoraProgram(), *platform);
            program->start("frmSplash");
        }
    }
};

bool visible(form::Program& p, const std::string& screen)
{
    const form::Form* f = p.find(screen);
    return f != nullptr && f->isVisible();
}

bool has(form::Program& p, const std::string& screen, const std::string& control)
{
    return visible(p, screen) && p.find(screen)->def().find(control) != nullptr;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvora_replay <script> <folder>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    ReplayPlatform platform(argv[2]);
    Run runs[2];
    runs[1].quick = true;
    for (Run& r : runs) {
        r.platform = &platform;
        r.start();
    }
    int target = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream words(line);
        std::string verb, screen, control;
        words >> verb;
        Run& run = runs[target];
        if (verb == "program") {
            words >> screen;
            target = screen == "quick" ? 1 : 0;
            if (runs[target].program->hasEnded()) {
                runs[target].start();
            }
            continue;
        }
        if (run.program->hasEnded() || verb == "restart") {
            run.start();
            if (verb == "restart") {
                continue;
            }
        }
        form::Program& p = *run.program;
        words >> screen >> control;
        // The text is everything after the third word and the one space
        // that follows it, spaces included.
        std::string text;
        std::size_t at = 0;
        for (int word = 0; word < 3 && at != std::string::npos; ++word) {
            at = line.find(' ', word == 0 ? 0 : at + 1);
        }
        if (at != std::string::npos) {
            text = unescape(line.substr(at + 1));
        }
        if (verb == "click" && has(p, screen, control)) {
            p.click(screen, control);
        } else if ((verb == "type" || verb == "append") && has(p, screen, control)) {
            p.edit(screen, control, (verb == "append" ? p.find(screen)->text(control) : "") + text);
        } else if (verb == "backspace" && has(p, screen, control)) {
            std::string t = p.find(screen)->text(control);
            for (int n = std::atoi(text.c_str()); n > 0 && !t.empty(); --n) {
                while (t.size() > 1 && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80) {
                    t.pop_back();
                }
                t.pop_back();
            }
            p.edit(screen, control, t);
        } else if (verb == "close" && visible(p, screen)) {
            p.closeWindow(screen);
        } else if (verb == "key" && visible(p, screen)) {
            p.keyPress(screen);
        } else if (verb == "answer") {
            platform.answers.push_back(line.substr(line.find(' ') + 1));
        }
    }
    return 0;
}
