#include "app/catalog.h"

#include "screens/metafile/simple_metafile.h"
#include "screens/metafile/detailed_metafile.h"
#include "screens/html/embed_page.h"
#include "screens/html/popup_page.h"
#include "screens/html/multi_link_page.h"
#include "screens/html/link_menu_page.h"
#include "screens/oneshot/oneshot_generator.h"
#include "screens/oneshot/oneshot_settings.h"

namespace app {

form::Program::Catalog kelvoraCatalog()
{
    return {
        {"frmSplash", splashScreen},
        {"Form1", topMenu},
        {"Form2", screens::simpleMetafileScreen},
        {"Form3", screens::detailedMetafileScreen},
        {"Form4", htmlMenu},
        {"Form5", screens::simplePopupPage},
        {"Form6", screens::simpleEmbedScreen},
        {"Form7", detailedHtmlMenu},
        {"Form8", screens::detailedPopupPage},
        {"Form9", screens::detailedEmbedScreen},
        {"Form10", otherFormatsMenu},
        {"Form11", screens::multiLinkPageScreen},
        {"Form12", screens::linkMenuPageScreen},
        {"Form13", screens::oneShotGeneratorScreen},
        {"Form14", screens::oneShotSettingsScreen},
    };
}

form::ProgramDescription kelvoraProgram()
{
    return {applicationTitle, kelvoraCatalog(), "frmSplash", "KELVORA.hlp"};
}

}  // namespace app
