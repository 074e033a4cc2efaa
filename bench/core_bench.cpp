// How long the core takes for what the user does most: opening and closing
// screens, typing into a page, the one-shot generation and writing a long
// document. Run build/core_bench; the figures are in docs/DEVELOPING.md.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "form/form.h"
#include "output/document_writer.h"
#include "quick/quick_generator.h"
#include "support/scripted_platform.h"

namespace {

// A fresh folder under the system's temporary folder, gone with the object.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ec);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// One program run that shows only the given screen: load with its load
// handler, show, close, unload of everything, program end.
void openAndClose(const form::ProgramDescription& description, const std::string& name, form::Platform& platform)
{
    form::Program program(description, platform);
    program.start(name);
    program.closeWindow(name);
    benchmark::DoNotOptimize(program.hasEnded());
}

std::vector<std::string> namesOf(const form::Program::Catalog& catalog)
{
    std::vector<std::string> names;
    for (const auto& [name, declaration] : catalog) {
        names.push_back(name);
    }
    return names;
}

// Every screen of both programs, each opened by itself and closed again.
void BM_LoadAndUnloadEveryScreen(benchmark::State& state)
{
    const form::ProgramDescription kelvora = app::kelvoraProgram();
    const form::ProgramDescription quick = quick::quickProgram();
    const std::vector<std::string> kelvoraNames = namesOf(kelvora.catalog);
    const std::vector<std::string> quickNames = namesOf(quick.catalog);
    form::ScriptedPlatform platform;
    for (auto _ : state) {
        for (const std::string& name : kelvoraNames) {
            openAndClose(kelvora, name, platform);
        }
        for (const std::string& name : quickNames) {
            openAndClose(quick, name, platform);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kelvoraNames.size() + quickNames.size()));
}
BENCHMARK(BM_LoadAndUnloadEveryScreen)->Unit(benchmark::kMicrosecond);

// The same for each screen of kelvora alone, to see which one costs.
void registerPerScreen()
{
    static const form::ProgramDescription kelvora = app::kelvoraProgram();
    for (const std::string& name : namesOf(kelvora.catalog)) {
        benchmark::RegisterBenchmark(("BM_LoadAndUnload/" + name).c_str(), [name](benchmark::State& state) {
            form::ScriptedPlatform platform;
            for (auto _ : state) {
                openAndClose(kelvora, name, platform);
            }
        })->Unit(benchmark::kMicrosecond);
    }
}

// A 1,000-character comment typed into the simple popup page one keystroke
// at a time: each keystroke is a user edit of the whole field, and each runs
// the mirror into the preview.
void BM_TypeComment1000(benchmark::State& state)
{
    const std::string pattern = "家族の映像です。クリックしてね。";
    // Whole characters only: the comment grows by one UTF-8 sequence a key.
    std::vector<std::string> typed;
    std::string text;
    for (std::size_t i = 0; typed.size() < 1000; i = (i + 3) % pattern.size()) {
        text += pattern.substr(i, 3);
        typed.push_back(text);
    }
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form4");
    program.click("Form4", "Command1");
    if (!program.isVisible("Form5")) {
        state.SkipWithError("the popup page did not open");
        return;
    }
    for (auto _ : state) {
        for (const std::string& t : typed) {
            program.edit("Form5", "Text2", t);
        }
        program.edit("Form5", "Text2", "");
    }
    if (program.find("Form5") == nullptr || program.find("Form5")->text("Text3") != "") {
        state.SkipWithError("the preview did not follow the comment");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(typed.size()));
}
BENCHMARK(BM_TypeComment1000)->Unit(benchmark::kMillisecond);

// One press of "一発作成" on the generator: three documents in a new folder.
// The folder is removed again after each press, outside the timing.
void BM_OneShotGeneration(benchmark::State& state)
{
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    form::ScriptedPlatform platform;
    platform.folder = scratch.path();
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form1");
    program.click("Form1", "Command2");
    program.edit("Form13", "Text1", "family");
    const std::filesystem::path created = std::filesystem::path(scratch.path()) / "family";
    for (auto _ : state) {
        program.click("Form13", "Command1");
        state.PauseTiming();
        const bool written = std::filesystem::exists(created / "family01.htm");
        std::error_code ec;
        std::filesystem::remove_all(created, ec);
        platform.messages.clear();
        state.ResumeTiming();
        if (!written) {
            state.SkipWithError("the generator wrote nothing");
            break;
        }
    }
}
BENCHMARK(BM_OneShotGeneration)->Unit(benchmark::kMicrosecond);

// A 10,000-line page, half of its lines Japanese, into code page 932 bytes.
void BM_EncodeDocument10000(benchmark::State& state)
{
    output::Document lines;
    for (int i = 0; i < 10000; ++i) {
        lines.push_back(i % 2 == 0 ? "<P align=\"center\"><B><A href=\"./family" + std::to_string(i) +
                                         ".asx\" target=\"_self\">家族の映像です。クリックしてね。</A></B></P>"
                                   : "<PARAM name=\"URL\" value=\"./family" + std::to_string(i) + ".asx\">");
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto encoded = output::encodeDocument(lines);
        if (!encoded) {
            state.SkipWithError("the document could not be encoded");
            break;
        }
        bytes = encoded->size();
        benchmark::DoNotOptimize(encoded->data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_EncodeDocument10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    registerPerScreen();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
