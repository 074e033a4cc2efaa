// The help file's own checks: every in-page link leads somewhere, every
// section is in the contents, the encoding is declared where a browser looks
// for it, the text sizes follow the reader's choice, and the help names every
// screen title and every message the two programs can show. The messages are
// read from the sources, so that a new message without a word in the help
// fails here.
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "qt/help_viewer.h"
#include "quick/quick_generator.h"

namespace fs = std::filesystem;

namespace {

// The tree this test was built from: tests/qt/<this file>.
fs::path sourceRoot()
{
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

QString helpSource()
{
    return QString::fromUtf8(readFile(sourceRoot() / "help" / "KELVORA.hlp"));
}

QSet<QString> captures(const QString& text, const QString& pattern)
{
    QSet<QString> found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext()) {
        found.insert(it.next().captured(1));
    }
    return found;
}

// What the reader sees in the help window, with every run of spacing made
// one space. The full-width space stays: the screen titles hold it as a
// character of their own.
QString helpAsRead()
{
    QTextDocument document;
    document.setHtml(kelvqt::keepFullWidthSpaces(helpSource()));
    QString text = document.toPlainText();
    text.replace(QRegularExpression(QStringLiteral("[ \\t\\r\\n\\x{00a0}\\x{2028}\\x{2029}]+")), QStringLiteral(" "));
    return text;
}

// ---- Reading the sources -------------------------------------------------

struct Token {
    bool literal = false;
    std::string text;  // a literal's characters, escapes read; adjacent literals joined
};

// The tokens of a C++ source, comments left out: identifiers, single
// punctuation characters and string literals.
std::vector<Token> tokenize(const std::string& src)
{
    std::vector<Token> out;
    bool lastWasLiteral = false;
    std::size_t i = 0;
    const auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    while (i < src.size()) {
        const char c = src[i];
        // Spacing and comments keep literals on either side adjacent.
        if (src.compare(i, 2, "//") == 0) {
            i = src.find('\n', i);
            i = i == std::string::npos ? src.size() : i;
            continue;
        }
        if (src.compare(i, 2, "/*") == 0) {
            i = src.find("*/", i + 2);
            i = i == std::string::npos ? src.size() : i + 2;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '"') {
            // A prefix (u8, L, R...) written against the quote is part of the literal.
            const bool raw = !out.empty() && !out.back().literal && !out.back().text.empty() &&
                             out.back().text.back() == 'R' && i > 0 && src[i - 1] == 'R';
            if (!out.empty() && !out.back().literal && i > 0 && isWord(src[i - 1]) &&
                (out.back().text == "u8" || out.back().text == "L" || out.back().text == "u" ||
                 out.back().text == "U" || out.back().text.ends_with("R"))) {
                out.pop_back();
                lastWasLiteral = !out.empty() && out.back().literal;
            }
            std::string text;
            if (raw) {
                const std::size_t open = src.find('(', i);
                const std::string close = ")" + src.substr(i + 1, open - i - 1) + "\"";
                const std::size_t end = src.find(close, open);
                text = src.substr(open + 1, end - open - 1);
                i = end + close.size();
            } else {
                for (++i; i < src.size() && src[i] != '"'; ++i) {
                    if (src[i] == '\\' && i + 1 < src.size()) {
                        const char e = src[++i];
                        text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                    } else {
                        text += src[i];
                    }
                }
                ++i;
            }
            if (lastWasLiteral) {
                out.back().text += text;
            } else {
                out.push_back({true, text});
            }
            lastWasLiteral = true;
            continue;
        } else if (c == '\'') {
            // A character literal: skipped.
            for (++i; i < src.size() && src[i] != '\''; ++i) {
                if (src[i] == '\\') {
                    ++i;
                }
            }
            ++i;
        } else if (isWord(c)) {
            std::size_t end = i;
            while (end < src.size() && isWord(src[end])) {
                ++end;
            }
            out.push_back({false, src.substr(i, end - i)});
            i = end;
        } else {
            out.push_back({false, std::string(1, c)});
            ++i;
        }
        lastWasLiteral = false;
    }
    return out;
}

// The literals of the expression that starts at tokens[from] and ends at the
// first of the closing tokens outside brackets.
void literalsUntil(const std::vector<Token>& tokens, std::size_t from, const std::string& closing,
                   std::vector<std::string>& out)
{
    int depth = 0;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.literal) {
            out.push_back(t.text);
            continue;
        }
        if (depth == 0 && closing.find(t.text) != std::string::npos && t.text.size() == 1) {
            return;
        }
        if (t.text == "(" || t.text == "{" || t.text == "[") {
            ++depth;
        } else if (t.text == ")" || t.text == "}" || t.text == "]") {
            --depth;
        }
    }
}

bool holdsJapanese(const std::string& s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Where the programs' words for the user are written:
// - the arguments of every message(...) call, and of failure(...), which
//   words the reason shown on a message's second line;
// - what is put into the texts that reach a message later: a screen's
//   refusal, the done messages, a named input's title and advice, the
//   message constants (...Message), a message being built (text, leftOver);
// - the output layer, which declares no screen, holds only words for
//   messages and the save dialog: all of its literals.
struct Source {
    std::string file;
    std::string text;  // one literal, placeholders already cut off
};

std::vector<Source> messageLiterals()
{
    std::vector<Source> found;
    for (const char* dir : {"app", "form", "output", "screens", "quick", "qt", "win"}) {
        for (const auto& entry : fs::recursive_directory_iterator(sourceRoot() / dir)) {
            const fs::path& path = entry.path();
            if (path.extension() != ".cpp" && path.extension() != ".h") {
                continue;
            }
            const std::vector<Token> tokens = tokenize(readFile(path));
            std::vector<std::string> literals;
            const bool wholeFile = std::string(dir) == "output" && path.extension() == ".cpp";
            for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
                const Token& t = tokens[i];
                if (wholeFile) {
                    if (t.literal) literals.push_back(t.text);
                    continue;
                }
                if (t.literal) {
                    continue;
                }
                if ((t.text == "message" || t.text == "failure") && tokens[i + 1].text == "(") {
                    literalsUntil(tokens, i + 2, ")", literals);
                    continue;
                }
                const bool target = t.text == "refusal" || t.text == "doneMessages" || t.text == "inputs" ||
                                    t.text == "text" || t.text == "leftOver" || t.text.ends_with("Message");
                std::size_t value = i + 1;
                if (tokens[value].text == "+" && value + 1 < tokens.size()) {
                    ++value;
                }
                if (target && tokens[value].text == "=" && value + 1 < tokens.size() &&
                    tokens[value + 1].text != "=") {
                    literalsUntil(tokens, value + 1, ";", literals);
                }
            }
            const std::string file = fs::relative(path, sourceRoot()).generic_string();
            for (const std::string& literal : literals) {
                if (holdsJapanese(literal)) {
                    found.push_back({file, literal});
                }
            }
        }
    }
    return found;
}

// The fixed parts of a message, one per line and between placeholders
// (%1), without the spacing at their ends and without the bracket that
// opens or closes the changing part next to them (「 before it, 」 after it).
// Parts too short to say anything are left out.
QStringList fixedParts(const std::string& literal)
{
    QStringList parts;
    static const QRegularExpression cut(QStringLiteral("\\n|%\\d"));
    static const QRegularExpression ends(QStringLiteral("^[\\s」）)]+|[\\s「（(]+$"));
    for (QString part : QString::fromStdString(literal).split(cut)) {
        part.remove(ends);
        const bool saysSomething =
            std::any_of(part.cbegin(), part.cend(), [](QChar c) { return c.unicode() >= 0x3040; });
        if (part.size() >= 2 && saysSomething) {
            parts << part;
        }
    }
    return parts;
}

// ---- The checks -------------------------------------------------------------

TEST(HelpManual, EveryInPageLinkLeadsToAnAnchorOfTheHelp)
{
    const QString html = helpSource();
    ASSERT_FALSE(html.isEmpty());
    const QString anchor = QStringLiteral("<[a-z0-9]+\\s[^<>]*\\b(?:name|id)=\"([^\"]+)\"");
    const QSet<QString> anchors = captures(html, anchor);
    const QSet<QString> links = captures(html, QStringLiteral("<a\\s[^<>]*href=\"#([^\"]*)\""));
    EXPECT_GE(links.size(), 20);
    for (const QString& link : links) {
        EXPECT_TRUE(anchors.contains(link)) << "#" << link.toStdString() << " leads nowhere";
    }
    // Only in-page links and web addresses: the help is one file.
    for (const QString& href : captures(html, QStringLiteral("<a\\s[^<>]*href=\"([^\"]*)\""))) {
        EXPECT_TRUE(href.startsWith(QLatin1Char('#')) || href.startsWith(QStringLiteral("http")))
            << href.toStdString();
    }
    // Each anchor once: a second one would catch its links first.
    QStringList all;
    QRegularExpressionMatchIterator it = QRegularExpression(anchor).globalMatch(html);
    while (it.hasNext()) {
        all << it.next().captured(1);
    }
    EXPECT_EQ(all.size(), anchors.size()) << "an anchor is named twice";
}

TEST(HelpManual, TheContentsListEverySection)
{
    const QString html = helpSource();
    const qsizetype start = html.indexOf(QStringLiteral("<a name=\"contents\"></a>"));
    ASSERT_GE(start, 0);
    const QString contents = html.mid(start, html.indexOf(QStringLiteral("</ol>"), start) - start);
    const QSet<QString> listed = captures(contents, QStringLiteral("href=\"#([^\"]+)\""));
    QSet<QString> sections = captures(html, QStringLiteral("<h2><a name=\"([^\"]+)\"></a>"));
    sections.remove(QStringLiteral("contents"));
    EXPECT_GE(sections.size(), 19);
    for (const QString& section : sections) {
        EXPECT_TRUE(listed.contains(section)) << section.toStdString() << " is not in the contents";
    }
}

TEST(HelpManual, TheScreensSectionsLeadToWhatConcernsTheirFiles)
{
    const QString html = helpSource();
    const auto section = [&html](const QString& anchor) {
        const qsizetype start = html.indexOf(QStringLiteral("<a name=\"%1\"></a>").arg(anchor));
        return start < 0 ? QString() : html.mid(start, html.indexOf(QStringLiteral("<h2>"), start) - start);
    };
    struct Case {
        const char* section;
        std::vector<const char*> leadsTo;
    };
    const Case cases[] = {
        {"simple-meta", {"check-player", "check-names"}}, {"detail-meta", {"check-player", "check-names"}},
        {"simple-popup", {"check-charset"}},              {"detail-popup", {"check-charset"}},
        {"simple-embed", {"check-embed"}},                {"detail-embed", {"check-embed"}},
        {"multi-link", {"check-rows", "check-charset"}},  {"frame-menu", {"check-rows"}},
        {"oneshot", {"check-quote", "check-embed"}},      {"quick", {"check-local"}},
    };
    for (const Case& c : cases) {
        const QString text = section(QString::fromLatin1(c.section));
        ASSERT_FALSE(text.isEmpty()) << c.section;
        for (const char* target : c.leadsTo) {
            EXPECT_TRUE(text.contains(QStringLiteral("href=\"#%1\"").arg(QLatin1String(target))))
                << c.section << " should link to " << target;
        }
    }
}

TEST(HelpManual, TheEncodingIsUtf8AndDeclaredFirstInTheHead)
{
    const std::string bytes = readFile(sourceRoot() / "help" / "KELVORA.hlp");
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    EXPECT_FALSE(utf8.hasError()) << "the help is not well-formed UTF-8";
    // A browser looks for the declaration in the first 1024 bytes; nothing
    // that needs the encoding may come before it.
    const QRegularExpression declared(
        QStringLiteral("^(?:\\x{feff})?<!DOCTYPE html>\\s*<html[^>]*>\\s*<head>\\s*<meta charset=\"utf-8\">"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = declared.match(text);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_LT(text.left(match.capturedEnd()).toUtf8().size(), 1024);
    const QString head = text.left(text.indexOf(QStringLiteral("</head>")));
    EXPECT_EQ(head.count(QRegularExpression(QStringLiteral("charset"), QRegularExpression::CaseInsensitiveOption)), 1)
        << "one declaration only";
}

TEST(HelpManual, TextSizesAreRelativeSoTheReadersSizeReachesAllOfIt)
{
    const QRegularExpression fixedSize(QStringLiteral("font-size\\s*:\\s*[0-9.]+\\s*(pt|px)"),
                                       QRegularExpression::CaseInsensitiveOption);
    EXPECT_FALSE(helpSource().contains(fixedSize));
}

TEST(HelpManual, EveryScreenTitleOfBothProgramsIsNamed)
{
    const QString help = helpAsRead();
    struct Program {
        const char* title;
        form::Program::Catalog catalog;
    };
    const Program programs[] = {{app::applicationTitle, app::kelvoraCatalog()},
                                {quick::applicationTitle, quick::quickCatalog()}};
    int titles = 0;
    for (const Program& p : programs) {
        EXPECT_TRUE(help.contains(QString::fromUtf8(p.title)));
        for (const auto& [name, declaration] : p.catalog) {
            const QString caption = QString::fromStdString(declaration().caption());
            if (caption.isEmpty()) {
                continue;  // the splash has no title bar
            }
            ++titles;
            EXPECT_TRUE(help.contains(caption))
                << p.title << " " << name << ": 「" << caption.toStdString() << "」";
        }
    }
    EXPECT_EQ(titles, 15);
}

TEST(HelpManual, EveryMessageOfBothProgramsIsExplained)
{
    const std::vector<Source> sources = messageLiterals();
    std::map<QString, std::string> parts;  // fixed part -> where it is written
    for (const Source& s : sources) {
        for (const QString& part : fixedParts(s.text)) {
            parts.emplace(part, s.file);
        }
    }
    // The reading of the sources finds each kind of place a message is worded.
    for (const char* known : {
             "キャンセルされました",                                              // output, a message call
             "書き込みの許可がありません。",                                      // output, a reason
             "高さが数値になっていません。幅を半角の数値で記入し直してください。",  // a screen's message call
             "幅に数値が入っていないため保存しませんでした。"
             "幅に半角の数字（例：320）を記入してから、もう一度保存してください。",  // a message constant
             "が数値ではありません。「設定」で幅に数値を入れてから作成してください。",  // a refusal
             "完成しました。",                                                    // done messages
             "名前を別の文字で記入してください。",                                // a named input's advice
             "探した場所：",                                                      // the help viewer's own
             "を開けません。",                                                    // Windows' help
         }) {
        EXPECT_TRUE(parts.count(QString::fromUtf8(known))) << "not read from the sources: " << known;
    }

    const QString help = helpAsRead();
    std::vector<std::string> missing;
    for (const auto& [part, file] : parts) {
        if (!help.contains(part)) {
            missing.push_back(file + ": " + part.toStdString());
        }
    }
    std::string list;
    for (const std::string& m : missing) {
        list += "\n  " + m;
    }
    EXPECT_TRUE(missing.empty()) << "not in the help:" << list;
}

TEST(HelpManual, FixedPartsAreCutAtPlaceholdersAndLines)
{
    struct Case {
        const char* literal;
        QStringList parts;
    };
    const Case cases[] = {
        {"」を保存できませんでした。\n", {QStringLiteral("を保存できませんでした。")}},
        {"ヘルプファイル「%1」が見つかりません。\n探した場所：\n%2",
         {QStringLiteral("ヘルプファイル"), QStringLiteral("が見つかりません。"), QStringLiteral("探した場所：")}},
        {"」の", {}},
        {"「", {}},
        {"\n作成途中のフォルダーとファイルは削除しました。", {QStringLiteral("作成途中のフォルダーとファイルは削除しました。")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fixedParts(c.literal), c.parts) << c.literal;
    }

    // Adjacent literals are one; comments and character literals are not text.
    const std::vector<Token> tokens =
        tokenize("f(\"前\" /* x \"y\" */ \"後\", '\"', u8\"u\\n\" // \"z\"\n R\"(r\"aw)\");");
    std::vector<std::string> literals;
    for (const Token& t : tokens) {
        if (t.literal) literals.push_back(t.text);
    }
    EXPECT_EQ(literals, (std::vector<std::string>{"前後", "u\nr\"aw"}));
}

TEST(HelpManual, FullWidthSpacesAreKeptInTheTextOnly)
{
    struct Case {
        QString html;
        QString shown;  // the document's plain text
    };
    const Case cases[] = {
        {QStringLiteral("<p>その他　1</p>"), QStringLiteral("その他　1")},
        {QStringLiteral("<p>一発　diz君　設定</p>"), QStringLiteral("一発　diz君　設定")},
        {QStringLiteral("<p>ａ　　ｂ</p>"), QStringLiteral("ａ　　ｂ")},
        {QStringLiteral("<p title=\"　\">x</p><pre>&lt;A&gt;　y</pre>"), QStringLiteral("x\n<A>　y")},
    };
    for (const Case& c : cases) {
        const QString kept = kelvqt::keepFullWidthSpaces(c.html);
        EXPECT_TRUE(kept.contains(QStringLiteral("title=\"　\"")) || !c.html.contains(QStringLiteral("title")));
        QTextDocument document;
        document.setHtml(kept);
        EXPECT_EQ(document.toPlainText(), c.shown) << c.html.toStdString();
    }
}

}  // namespace
