// The help file's own checks: every in-page link leads somewhere, every
// section is in the contents, the encoding is declared where a browser looks
// for it, the text sizes follow the reader's choice, and the help names every
// screen title and every message the two programs can show. The messages are
// read from the sources, so that a new message without a word in the help
// fails here.
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "qt/help_html.h"
#include "quick/quick_generator.h"

namespace fs = std::filesystem;

namespace {

// The tree this test was built from: tests/qt/<this file>.
const fs::path sourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const QString& help()
{
    static const QString html = QString::fromUtf8(readFile(sourceRoot / "help" / "KELVORA.hlp"));
    return html;
}

QSet<QString> captures(const QString& text, const QString& pattern)
{
    QSet<QString> found;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern).globalMatch(text)) {
        found.insert(m.captured(1));
    }
    return found;
}

// What the reader sees in the help window, each run of spacing one space.
// The full-width space stays: the screen titles hold it as a character.
QString helpAsRead()
{
    QTextDocument document;
    document.setHtml(kelvqt::keepFullWidthSpaces(help()));
    return document.toPlainText().replace(
        QRegularExpression(QStringLiteral("[ \\t\\r\\n\\x{00a0}\\x{2028}\\x{2029}]+")), QStringLiteral(" "));
}

// A C++ source without comments, each string literal (adjacent ones joined,
// escapes read) standing as @N for literals[N].
struct Masked {
    std::string code;
    std::vector<std::string> literals;
};

Masked mask(const std::string& src)
{
    Masked m;
    std::size_t lastLiteralEnd = 0;  // where the code was after the last literal's mark
    for (std::size_t i = 0; i < src.size();) {
        if (src.compare(i, 2, "//") == 0) {
            i = std::min(src.find('\n', i), src.size());
        } else if (src.compare(i, 2, "/*") == 0) {
            i = std::min(src.find("*/", i), src.size() - 2) + 2;
        } else if (src[i] == '"' || src[i] == '\'') {
            const char quote = src[i];
            std::string text;
            for (++i; i < src.size() && src[i] != quote; ++i) {
                const bool escape = src[i] == '\\' && i + 1 < src.size();
                const char c = escape ? src[++i] : src[i];
                text += !escape ? c : c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            ++i;
            const bool follows =
                !m.literals.empty() && m.code.find_first_not_of(" \t\r\n", lastLiteralEnd) == std::string::npos;
            if (quote == '\'') {
                m.code += "'c'";
            } else if (follows) {
                m.literals.back() += text;
            } else {
                m.code += '@' + std::to_string(m.literals.size());
                m.literals.push_back(text);
                lastLiteralEnd = m.code.size();
            }
        } else {
            m.code += src[i++];
        }
    }
    return m;
}

// The literals between from and the end of the expression: the bracket that
// closes it, or the semicolon.
void literalsOf(const Masked& m, std::size_t from, std::vector<std::string>& out)
{
    int depth = 0;
    for (std::size_t i = from; i < m.code.size() && depth >= 0 && !(depth == 0 && m.code[i] == ';'); ++i) {
        const char c = m.code[i];
        depth += (c == '(' || c == '{') - (c == ')' || c == '}');
        if (c == '@') {
            out.push_back(m.literals[std::stoul(m.code.substr(i + 1))]);
        }
    }
}

// Where the programs' words for the user are written: the arguments of every
// message(...) call and of failure(...) (the reason on a message's second
// line); what is put into texts that reach a message later (a refusal, the
// done messages, a named input's title and advice, a ...Message constant, a
// message being built); and every literal of output/, which declares no
// screen and words only messages and the save dialog.
std::map<QString, std::string> messageParts()
{
    static const std::regex call(R"(\b(message|failure)\s*\()");
    static const std::regex into(R"(\b(refusal|doneMessages|inputs|text|leftOver|\w+Message)\s*\+?=(?!=))");
    std::map<QString, std::string> parts;  // fixed part -> the file it is written in
    for (const char* dir : {"app", "form", "output", "flows", "screens", "quick", "qt", "win"}) {
        for (const auto& entry : fs::recursive_directory_iterator(sourceRoot / dir)) {
            const fs::path& path = entry.path();
            if (path.extension() != ".cpp" && path.extension() != ".h") {
                continue;
            }
            const Masked m = mask(readFile(path));
            std::vector<std::string> literals;
            if (std::string(dir) == "output" && path.extension() == ".cpp") {
                literals = m.literals;
            }
            for (const std::regex* r : {&call, &into}) {
                for (auto it = std::sregex_iterator(m.code.begin(), m.code.end(), *r); it != std::sregex_iterator();
                     ++it) {
                    literalsOf(m, it->position() + it->length(), literals);
                }
            }
            // A message's fixed parts lie between its lines and placeholders
            // (%1); the bracket that opens or closes the changing part next
            // to them (「 before, 」 after) belongs to that part.
            static const QRegularExpression cut(QStringLiteral("\\n|%\\d"));
            static const QRegularExpression ends(QStringLiteral("^[\\s」）)]+|[\\s「（(]+$"));
            for (const std::string& literal : literals) {
                for (QString part : QString::fromStdString(literal).split(cut)) {
                    part.remove(ends);
                    if (part.size() >= 2 &&
                        std::any_of(part.cbegin(), part.cend(), [](QChar c) { return c.unicode() >= 0x3040; })) {
                        parts.emplace(part, fs::relative(path, sourceRoot).generic_string());
                    }
                }
            }
        }
    }
    return parts;
}

TEST(HelpManual, LinksLeadToAnchorsAndTheContentsListEverySection)
{
    ASSERT_FALSE(help().isEmpty());
    const QString anchor = QStringLiteral("<[a-z0-9]+\\s[^<>]*\\b(?:name|id)=\"([^\"]+)\"");
    const QSet<QString> anchors = captures(help(), anchor);
    EXPECT_EQ(help().count(QRegularExpression(anchor)), anchors.size()) << "an anchor is named twice";
    const QSet<QString> links = captures(help(), QStringLiteral("<a\\s[^<>]*href=\"([^\"]*)\""));
    EXPECT_GE(links.size(), 30);
    for (const QString& link : links) {
        // The help is one file: in-page links and web addresses only.
        EXPECT_TRUE(link.startsWith(QStringLiteral("http")) || anchors.contains(link.mid(1)))
            << link.toStdString() << " leads nowhere";
    }
    const qsizetype start = help().indexOf(QStringLiteral("<a name=\"contents\"></a>"));
    const QSet<QString> listed = captures(help().mid(start, help().indexOf(QStringLiteral("</ol>"), start) - start),
                                          QStringLiteral("href=\"#([^\"]+)\""));
    QSet<QString> sections = captures(help(), QStringLiteral("<h2><a name=\"([^\"]+)\"></a>"));
    sections.remove(QStringLiteral("contents"));
    EXPECT_EQ(listed, sections);
}

TEST(HelpManual, TheScreensSectionsLeadToWhatConcernsTheirFiles)
{
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"simple-meta", {"check-player", "check-names"}},
        {"detail-meta", {"check-player", "check-names"}},
        {"simple-popup", {"check-charset"}},
        {"detail-popup", {"check-charset"}},
        {"simple-embed", {"check-embed"}},
        {"detail-embed", {"check-embed"}},
        {"multi-link", {"check-rows", "check-charset"}},
        {"frame-menu", {"check-rows"}},
        {"oneshot", {"check-quote", "check-embed"}},
        {"quick", {"check-local"}},
    };
    for (const auto& [section, targets] : cases) {
        const qsizetype start = help().indexOf(QStringLiteral("<a name=\"%1\"></a>").arg(QLatin1String(section)));
        ASSERT_GE(start, 0) << section;
        const QString text = help().mid(start, help().indexOf(QStringLiteral("<h2>"), start) - start);
        for (const char* target : targets) {
            EXPECT_TRUE(text.contains(QStringLiteral("href=\"#%1\"").arg(QLatin1String(target))))
                << section << " → " << target;
        }
    }
}

TEST(HelpManual, TheEncodingIsUtf8DeclaredFirstAndTheTextSizesAreRelative)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(readFile(sourceRoot / "help" / "KELVORA.hlp")));
    EXPECT_FALSE(utf8.hasError()) << "the help is not well-formed UTF-8";
    // A browser looks for the declaration in the first 1024 bytes; nothing
    // that needs the encoding may come before it, and no second one after.
    const QRegularExpressionMatch declared =
        QRegularExpression(QStringLiteral("^<!DOCTYPE html>\\s*<html[^>]*>\\s*<head>\\s*<meta charset=\"utf-8\">"),
                           QRegularExpression::CaseInsensitiveOption)
            .match(text);
    ASSERT_TRUE(declared.hasMatch());
    EXPECT_LT(text.left(declared.capturedEnd()).toUtf8().size(), 1024);
    EXPECT_EQ(text.left(text.indexOf(QStringLiteral("</head>"))).count(QStringLiteral("charset"), Qt::CaseInsensitive),
              1);
    // Sizes in points or pixels would not follow the help window's text size.
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("font-size\\s*:\\s*[0-9.]+\\s*(pt|px)"))));
}

TEST(HelpManual, FullWidthSpacesAreKeptInTheTextOnly)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("<p>その他　1</p>"), QStringLiteral("その他　1")},
        {QStringLiteral("<p>ａ　　ｂ</p>"), QStringLiteral("ａ　　ｂ")},
        {QStringLiteral("<p title=\"　\">x</p><pre>&lt;A&gt;　y</pre>"), QStringLiteral("x\n<A>　y")},
    };
    for (const auto& [html, shown] : cases) {
        const QString kept = kelvqt::keepFullWidthSpaces(html);
        EXPECT_EQ(kept.contains(QStringLiteral("title=\"　\"")), html.contains(QStringLiteral("title")));
        QTextDocument document;
        document.setHtml(kept);
        EXPECT_EQ(document.toPlainText(), shown) << html.toStdString();
    }
}

TEST(HelpManual, EveryScreenTitleOfBothProgramsIsNamed)
{
    const QString read = helpAsRead();
    int titles = 0;
    for (const form::ProgramDescription& program : {app::kelvoraProgram(), quick::quickProgram()}) {
        const std::string& title = program.title;
        EXPECT_TRUE(read.contains(QString::fromStdString(title)));
        for (const auto& [name, declaration] : program.catalog) {
            const QString caption = QString::fromStdString(declaration().caption());
            titles += !caption.isEmpty();  // the splash has no title bar
            EXPECT_TRUE(read.contains(caption)) << title << " " << name << ": 「" << caption.toStdString() << "」";
        }
    }
    EXPECT_EQ(titles, 15);
}

TEST(HelpManual, EveryMessageOfBothProgramsIsExplained)
{
    const std::map<QString, std::string> parts = messageParts();
    // Each kind of place a message is worded in is read.
    for (const char* known : {
             "キャンセルされました",                                                // flows, a message call
             "書き込みの許可がありません。",                                        // output, a reason
             "高さが数値になっていません。幅を半角の数値で記入し直してください。",  // a screen's message call
             "幅に数値が入っていないため保存しませんでした。"
             "幅に半角の数字（例：320）を記入してから、もう一度保存してください。",     // a constant, two literals
             "が数値ではありません。「設定」で幅に数値を入れてから作成してください。",  // a refusal
             "完成しました。",                                                          // done messages
             "名前を別の文字で記入してください。",                                      // a named input's advice
             "探した場所：",                                                            // the help window's own
             "を開けません。",                                                          // the Windows help
         }) {
        EXPECT_TRUE(parts.count(QString::fromUtf8(known))) << "not read from the sources: " << known;
    }
    const QString read = helpAsRead();
    std::string missing;
    for (const auto& [part, file] : parts) {
        if (!read.contains(part)) {
            missing += "\n  " + file + ": " + part.toStdString();
        }
    }
    EXPECT_TRUE(missing.empty()) << "not in the help:" << missing;
}

}  // namespace
