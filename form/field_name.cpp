#include "form/field_name.h"

namespace form {

namespace {

const std::string ideographicSpace = "\u3000";

bool endsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string tidyLabel(std::string s)
{
    for (bool changed = true; changed && !s.empty();) {
        changed = false;
        if (s.front() == ' ' || s.front() == '.') {
            s.erase(0, 1);
            changed = true;
        } else if (s.back() == ' ') {
            s.pop_back();
            changed = true;
        } else if (s.rfind(ideographicSpace, 0) == 0) {
            s.erase(0, ideographicSpace.size());
            changed = true;
        } else if (endsWith(s, ideographicSpace)) {
            s.erase(s.size() - ideographicSpace.size());
            changed = true;
        }
    }
    return s;
}

std::string fieldName(const Form& f, const std::string& control)
{
    const ControlDef& c = f.def().get(control);
    if (!c.spokenName.empty()) {
        return c.spokenName;
    }
    if (!c.previewOf.empty()) {
        return "「" + fieldName(f, c.previewOf) + "」のプレビュー";
    }
    if (c.prompt.empty()) {
        return c.tooltip;
    }
    std::string name = tidyLabel(f.text(c.prompt));
    int sharing = 0;
    int position = 0;
    for (const ControlDef& other : f.def().controls()) {
        if (other.kind == c.kind && other.prompt == c.prompt && other.spokenName.empty()) {
            ++sharing;
            if (other.name == c.name) {
                position = sharing;
            }
        }
    }
    if (sharing > 1) {
        name += " " + std::to_string(position);
    }
    return name;
}

}  // namespace form
