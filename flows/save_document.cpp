#include "flows/save_document.h"

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

void SaveDocument(form::Form& screen, const Document& lines, const std::optional<std::string>& filterAfter)
{
    form::Program& program = screen.program();
    if (!checkEncodable(screen, lines)) {
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
