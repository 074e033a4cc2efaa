// The splash: the program's title and version. A click on the frame's free
// area opens the top menu; so do Return and Space while the frame has the
// focus, and its press through assistive technology. Any other key ends the
// program. Its window has no caption, so assistive technology calls it by the
// program's title and reads the product line, version and instruction.
#include "app/catalog.h"
#include "form/screen_ops.h"
#include "screens/conventions.h"

namespace app {

std::string versionLine(int major, int minor, int revision)
{
    return "ﾊﾞｰｼﾞｮﾝ " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

const form::ScreenDef& splashScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"frmSplash", "", {7380, 4575}};
        const std::vector<std::string> spoken = {"lblCompanyProduct", "Label2", "lblVersion", "lblWarning"};
        s.namedBy("lblProductName");
        s.describedBy(spoken);
        s.frame("Frame1", "").at(150, 60, 7080, 4395).promptedBy("lblProductName").describedBy(spoken).tab(0);
        s.imageBox("imgLogo").at(360, 795, 1815, 1815).inside("Frame1").image("logo", true);
        s.label("lblLicenseTo", "映像を公開するみなさまへ").at(120, 240, 6855, 255).inside("Frame1").rightAligned();
        s.label("lblProductName", "Product").at(2670, 1140, 4110, 720).inside("Frame1").font(26);
        s.label("lblCompanyProduct", "ストリーミング公開のための作成ツール")
            .at(2505, 705, 4335, 435)
            .inside("Frame1")
            .font(12);
        s.label("lblVersion", "ﾊﾞｰｼﾞｮﾝ　" KELVORA_VERSION)
            .at(5070, 2700, 1755, 285)
            .inside("Frame1")
            .rightAligned()
            .font(12);
        s.label("Label2", "ソルナ・wmv版").at(2670, 2040, 4110, 375).inside("Frame1").font(14);
        s.label("Label1", "windows ME、XP、2000対応").at(2670, 2430, 4110, 270).inside("Frame1");
        s.label("lblPlatform", "").at(5070, 2340, 1755, 285).inside("Frame1").rightAligned();
        s.label("lblWarning", "クリックするか Enter キーで始まります。ほかのキーを押すと終了します。")
            .at(150, 3660, 6855, 195)
            .inside("Frame1")
            .font(8);
        s.label("lblCompany", "動画公開の手伝い").at(3870, 3330, 3135, 255).rightAligned().inside("Frame1");
        s.label("lblCopyright", "保存はすべてShift_JISです").at(3870, 3030, 3135, 255).rightAligned().inside("Frame1");

        s.onLoad([](form::Form& f) {
            f.set("lblVersion", versionLine(versionMajor, versionMinor, versionRevision));
            f.set("lblProductName", f.program().title());
        });
        s.onClick("Frame1", [](form::Form& f) {
            f.program().unload("frmSplash");
            f.program().show("Form1");
        });
        s.onKeyPress([](form::Form& f) { f.program().unload("frmSplash"); });
        return s;
    }();
    return screen;
}

}  // namespace app
