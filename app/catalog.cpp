#include "app/catalog.h"

#include "screens/metafile/simple_metafile.h"

namespace app {

form::Program::Catalog kelvoraCatalog()
{
    return {
        {"frmSplash", splashScreen},
        {"Form1", topMenu},
        {"Form2", screens::simpleMetafileScreen},
    };
}

}  // namespace app
