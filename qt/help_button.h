// The help window's flat buttons, each showing one of its commands.
#pragma once

#include <QAction>
#include <QString>
#include <QToolButton>

namespace kelvqt {

inline QToolButton* helpButton(QAction* action, const QString& objectName, const QString& spokenName, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setDefaultAction(action);
    b->setObjectName(objectName);
    b->setAccessibleName(spokenName);
    b->setAutoRaise(true);
    return b;
}

}  // namespace kelvqt
