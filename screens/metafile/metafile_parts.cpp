#include "screens/metafile/metafile_parts.h"

#include "flows/save_document.h"
#include "screens/conventions.h"

namespace screens {

form::Handler saveMetafile(output::Document (*lines)(const form::Form&))
{
    return [lines](form::Form& f) { flows::SaveDocument(f, lines(f), flows::metafileFilterAfterSave); };
}

void metafileDialogAndVideo(form::ScreenDef& s, const char* videoField)
{
    s.dialog("CommonDialog1", "asx", "メタファイル(*.asx)|*.asx").startingIn(designFolder);
    s.onLoad([videoField](form::Form& f) { f.set(videoField, ".wmv"); });
}

}  // namespace screens
