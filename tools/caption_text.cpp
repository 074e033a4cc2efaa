// Writes every text the screens of both programs declare (the captions of
// labels, buttons, options and frames, and the texts fields start with) to
// the named file, one to a line, in UTF-8: caption_text <file>. The build
// makes the captions font from them (tools/caption_font.py).
#include <cstdio>
#include <fstream>

#include "app/catalog.h"
#include "quick/quick_generator.h"

namespace {

void writeCaptions(std::ofstream& out, const form::ProgramDescription& description)
{
    for (const auto& [name, declaration] : description.catalog) {
        for (const form::ControlDef& c : declaration().controls()) {
            if (!c.text.empty()) {
                out << c.text << '\n';
            }
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: caption_text <file>\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    writeCaptions(out, app::kelvoraProgram());
    writeCaptions(out, quick::quickProgram());
    out.close();
    if (!out) {
        std::fprintf(stderr, "caption_text: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
