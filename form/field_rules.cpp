// The field rules screens declare on their controls, run as part of a
// field's change (see form.h): a preview shows its field, a mirror holds a
// field of another screen, a worked-out value follows its field. A rule that
// is broken by an edit of the following field itself is restored at once.
#include "form/form.h"

namespace form {

namespace {

bool follows(const ControlDef& c, const std::string& control)
{
    return c.previewOf == control || (c.computation != nullptr && c.computedFrom == control);
}

}  // namespace

const std::vector<FieldRef>& Program::mirroredBy(const std::string& screen, const std::string& control)
{
    if (!mirrors_) {
        mirrors_.emplace();
        for (const auto& [name, def] : catalog_) {
            for (const ControlDef& c : def().controls()) {
                if (!c.mirrorOf.screen.empty()) {
                    (*mirrors_)[{c.mirrorOf.screen, c.mirrorOf.field}].push_back({name, c.name});
                }
            }
        }
    }
    static const std::vector<FieldRef> none;
    const auto it = mirrors_->find({screen, control});
    return it == mirrors_->end() ? none : it->second;
}

bool Program::hasFieldRules(const ScreenDef& def, const std::string& control)
{
    const ControlDef& c = def.get(control);
    if (!c.previewOf.empty() || c.computation != nullptr || !c.mirrorOf.screen.empty()) {
        return true;
    }
    for (const ControlDef& other : def.controls()) {
        if (follows(other, control)) {
            return true;
        }
    }
    return !mirroredBy(def.name(), control).empty();
}

bool Program::reactsToChange(const std::string& screen, const std::string& control)
{
    const auto entry = catalog_.find(screen);
    if (entry == catalog_.end()) {
        return false;
    }
    const ScreenDef& def = entry->second();
    return def.changeHandler(control) != nullptr || hasFieldRules(def, control);
}

void Program::followFieldRules(Form& form, const std::string& control)
{
    const ScreenDef& def = form.def();
    const ControlDef& c = def.get(control);
    if (!c.previewOf.empty()) {
        form.set(control, form.text(c.previewOf));
    } else if (!c.mirrorOf.screen.empty()) {
        form.set(control, form.screen(c.mirrorOf.screen).text(c.mirrorOf.field));
    } else if (c.computation != nullptr) {
        form.set(control, c.computation(form.text(c.computedFrom)));
    }
    for (const ControlDef& other : def.controls()) {
        if (other.previewOf == control) {
            form.set(other.name, form.text(control));
        } else if (follows(other, control)) {
            form.set(other.name, other.computation(form.text(control)));
        }
    }
    for (const FieldRef& mirror : mirroredBy(form.name(), control)) {
        screen(mirror.screen).set(mirror.field, form.text(control));
    }
}

}  // namespace form
