// The widget a declared line is shown as.
#pragma once

#include <QWidget>

#include "form/screen_def.h"

namespace kelvqt {

// A straight line between two points of its bounding box.
class LineWidget : public QWidget {
public:
    LineWidget(const form::ControlDef& def, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const form::ControlDef& def_;
};

}  // namespace kelvqt
