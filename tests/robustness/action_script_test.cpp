// The reader of action scripts: texts, actions and lines, with every way a
// line can break the grammar told as an error rather than thrown; and every
// script the repository keeps reads without one.
#include "fuzz/action_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using action_script::Action;

struct TextCase {
    std::string raw;
    std::string bytes;  // what it stands for, when it is well-formed
    bool wellFormed;
};

TEST(ActionScript, DecodesTextsAndRefusesBrokenOnes)
{
    std::string atTheLimit;
    while (atTheLimit.size() < action_script::maxTextBytes) {
        atTheLimit += "ab";
    }
    const std::vector<TextCase> cases = {
        {"", "", true},
        {"plain text, spaces too", "plain text, spaces too", true},
        {"a\\nb\\rc\\td\\\\e", "a\nb\rc\td\\e", true},
        {"\\0", std::string(1, '\0'), true},
        {"\\x41\\xe3\\x81\\x82", "A\xE3\x81\x82", true},
        {"*3 ab", "ababab", true},
        {"*0 ab", "", true},
        {"*2 \\x41 ", "A A ", true},
        {"*x ab", "*x ab", true},  // no count: the text as it stands
        {"*3", "*3", true},
        {"\\xZZ", "", false},
        {"\\x4", "", false},
        {"\\x", "", false},
        {"ab\\", "", false},
        {"\\q", "", false},
        {"*" + std::to_string(action_script::maxTextBytes / 2) + " ab", atTheLimit, true},
        {"*" + std::to_string(action_script::maxTextBytes / 2 + 1) + " ab", "", false},
        {"*99999999999999999999999 a", "", false},
        {"*3 \\xZ", "", false},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.raw.substr(0, 40));
        std::string bytes;
        std::string error;
        const bool read = action_script::decodeText(c.raw, bytes, error);
        EXPECT_EQ(read, c.wellFormed) << error;
        EXPECT_EQ(error.empty(), c.wellFormed);
        if (c.wellFormed) {
            EXPECT_TRUE(bytes == c.bytes) << bytes.size() << " bytes: " << bytes.substr(0, 40);
        }
    }
}

TEST(ActionScript, ReadsEveryActionAndNamesWhatIsWrongWithTheOthers)
{
    struct Case {
        std::string line;
        Action::Kind kind;  // Nothing: a broken line
        std::string screen{}, control{}, text{}, name{};
        int number = 0;
        int error = 0;
    };
    const std::vector<Case> cases = {
        {"program quick", Action::Kind::Program, "", "", "quick"},
        {"restart", Action::Kind::Restart},
        {"click Form1 Command2", Action::Kind::Click, "Form1", "Command2"},
        {"close Form13", Action::Kind::Close, "Form13"},
        {"key frmSplash", Action::Kind::Key, "frmSplash"},
        {"type Form5 Text2 two  spaces ", Action::Kind::Type, "Form5", "Text2", "two  spaces "},
        {"type Form5 Text2", Action::Kind::Type, "Form5", "Text2", ""},
        {"append Form5 Text2 \\xE3\\x81\\x82", Action::Kind::Append, "Form5", "Text2", "\xE3\x81\x82"},
        {"backspace Form5 Text2 3", Action::Kind::Backspace, "Form5", "Text2", "", "", 3},
        {"answer save kyou 01", Action::Kind::Answer, "", "", "save", "kyou 01"},
        {"answer cancel", Action::Kind::Answer, "", "", "cancel"},
        {"fail 2 ENOSPC", Action::Kind::Fail, "", "", "", "", 2, ENOSPC},
        {"fail 999999 9999", Action::Kind::Fail, "", "", "", "", 999999, 9999},
        {"jump Form1", Action::Kind::Nothing},
        {"program", Action::Kind::Nothing},
        {"click Form1", Action::Kind::Nothing},
        {"click Form1 Command1 extra", Action::Kind::Nothing},
        {"close", Action::Kind::Nothing},
        {"type Form5 Text2 \\xZZ", Action::Kind::Nothing},
        {"type Form5 Text2 *999999 abc", Action::Kind::Nothing},
        {"backspace Form5 Text2 x", Action::Kind::Nothing},
        {"backspace Form5 Text2 1234567", Action::Kind::Nothing},
        {"answer", Action::Kind::Nothing},
        {"answer keep", Action::Kind::Nothing},
        {"answer save \\x", Action::Kind::Nothing},
        {"fail", Action::Kind::Nothing},
        {"fail 1 ENOPE", Action::Kind::Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const action_script::ParsedLine parsed = action_script::parseAction(c.line);
        const Action& a = parsed.action;
        EXPECT_EQ(a.kind, c.kind);
        EXPECT_EQ(parsed.error.empty(), c.kind != Action::Kind::Nothing) << parsed.error;
        EXPECT_EQ(a.screen, c.screen);
        EXPECT_EQ(a.control, c.control);
        EXPECT_EQ(a.text, c.text);
        EXPECT_EQ(a.name, c.name);
        EXPECT_EQ(a.number, c.number);
        EXPECT_EQ(a.error, c.error);
    }
}

TEST(ActionScript, ReadsLinesAndFields)
{
    const std::vector<action_script::ScriptLine> lines =
        action_script::scriptLines("#actions\r\nclick a b\r\n\n# note\nkey c\nlast");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].number, 2u);
    EXPECT_EQ(lines[0].text, "click a b");
    EXPECT_EQ(lines[1].number, 5u);
    EXPECT_EQ(lines[1].text, "key c");
    EXPECT_EQ(lines[2].text, "last");

    EXPECT_EQ(action_script::splitFields("edit\tForm1\t\tx y", '\t'),
              (std::vector<std::string>{"edit", "Form1", "", "x y"}));
    EXPECT_EQ(action_script::splitFields("ok\t", '\t'), (std::vector<std::string>{"ok"}));
    EXPECT_EQ(action_script::splitFields("\t", '\t'), (std::vector<std::string>{""}));
}

// A mistyped line does nothing when played, so a script that has one tests
// less than it seems to; only the corpus input made of nonsense may have them.
TEST(ActionScript, TheKeptScriptsHaveNoBrokenLine)
{
    const std::filesystem::path corpus = KELVORA_FUZZ_CORPUS;
    int scripts = 0;
    for (const std::filesystem::path& folder : {corpus, corpus / ".." / ".." / "tests" / "cross"}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename() == "nonsense-lines.txt" || entry.path().extension() != ".txt") {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (bytes.rfind("#actions", 0) != 0) {
                continue;
            }
            ++scripts;
            for (const action_script::ScriptLine& line : action_script::scriptLines(bytes)) {
                EXPECT_EQ(action_script::parseAction(line.text).error, "")
                    << entry.path().filename().string() << ":" << line.number << ": " << line.text;
            }
        }
    }
    EXPECT_GE(scripts, 20);
}

}  // namespace
