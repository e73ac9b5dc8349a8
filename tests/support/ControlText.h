#pragma once
// The text a user reads on a named control of a window: a list's current
// text, a label's, a button's or check box's caption, a text box's text.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace lh::test {

inline QString controlText(const QWidget* window, const char* name)
{
    QObject* o = window->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* c = qobject_cast<QComboBox*>(o))
        return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return e->text();
    ADD_FAILURE() << "no text control " << name;
    return {};
}

}   // namespace lh::test
