#include "flows/save_document.h"

#include <cstdio>

#include "form/field_name.h"
#include "output/cp932.h"

namespace flows {

using output::firstUnencodable;
using output::FsResult;
using output::WriteDocument;

bool checkEncodable(form::Form& screen, const Document& lines)
{
    for (const std::string& line : lines) {
        const std::optional<std::string> bad = firstUnencodable(line);
        if (!bad) {
            continue;
        }
        std::string where;
        for (const form::ControlDef& c : screen.def().controls()) {
            if (c.kind == form::Kind::TextBox && screen.text(c.name).find(*bad) != std::string::npos) {
                const std::string name = form::fieldName(screen, c.name);
                where = "「" + (name.empty() ? c.name : name) + "」の";
                break;
            }
        }
        std::string adviceMessage = "この文字を別の文字に直してから保存してください。";
        if (const std::optional<std::string> fullWidth = output::fullWidthFor(*bad)) {
            adviceMessage += "全角の「" + *fullWidth + "」なら保存できます。";
        }
        screen.program().message(&screen, where + "文字「" + *bad + "」はShift_JISで保存できません。" + adviceMessage);
        return false;
    }
    return true;
}

std::optional<std::string> firstControlCharacter(const std::string& text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "U+%04X", byte);
            return std::string(code);
        }
    }
    return std::nullopt;
}

namespace {

// Whether the text stands, somewhere in the line, between an attribute's
// opening and closing quote: after an odd number of quotes of the line.
bool insideQuotedValue(const std::string& line, const std::string& text)
{
    for (std::size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) {
        std::size_t quotes = 0;
        for (std::size_t i = 0; i < at; ++i) {
            quotes += line[i] == '"' ? 1 : 0;
        }
        if (quotes % 2 == 1) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool checkMarkupSafe(form::Form& screen, const Document& lines)
{
    const form::Size client = screen.def().client();
    for (const form::ControlDef& c : screen.def().controls()) {
        // Only what the user types: the template fragments, hidden or below
        // the window's bottom edge, hold the markup's own quotes.
        const std::string& text = screen.text(c.name);
        const bool typed = c.kind == form::Kind::TextBox && c.visible && !c.readOnly && c.rect.top < client.height &&
                           c.rect.left < client.width;
        if (!typed || text.empty()) {
            continue;
        }
        std::optional<std::string> bad = firstControlCharacter(text);
        bool breaks = false;
        for (const std::string& line : lines) {
            if (bad && line.find(text) != std::string::npos) {
                breaks = true;
            } else if (!bad && text.find('"') != std::string::npos && insideQuotedValue(line, text)) {
                bad = "\"";
                breaks = true;
            }
        }
        if (breaks) {
            const std::string name = form::fieldName(screen, c.name);
            screen.program().message(
                &screen, "「" + (name.empty() ? c.name : name) + "」の文字「" + *bad +
                             (*bad == "\"" ? "」はページやメタファイルの値の中に" : "」はページやメタファイルに") +
                             "書き込めません。この文字を別の文字に直してから保存してください。");
            return false;
        }
    }
    return true;
}

void SaveDocument(form::Form& screen, const Document& lines, const std::optional<std::string>& filterAfter)
{
    form::Program& program = screen.program();
    if (!checkEncodable(screen, lines) || !checkMarkupSafe(screen, lines)) {
        return;
    }
    form::SaveDialogSettings& dialog = screen.dialog();
    dialog.cancelError = true;
    dialog.title = "名前をつけて保存";
    const std::optional<std::string> chosen = program.platform().chooseSaveFile(screen, dialog);
    if (!chosen) {
        program.message(&screen, "キャンセルされました");
        return;
    }
    if (filterAfter) {
        dialog.filter = *filterAfter;
    }
    dialog.fileName = *chosen;
    const FsResult written = WriteDocument(*chosen, lines);
    if (written) {
        // How the file was saved, when the user would not expect it: a
        // link's target, a file written in place.
        program.message(&screen, *chosen + "を保存しました。" + (written.note.empty() ? "" : "\n" + written.note));
    } else {
        program.message(&screen, *chosen + "を保存できませんでした。\n" + written.reason);
    }
}

}  // namespace flows
