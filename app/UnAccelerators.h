// Keyboard accelerators ("&") for menus and dialog controls, chosen from their texts as shown, so
// that every language gets its own letters and the language files need none.
#pragma once

#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

// The texts of one group (a menu's items, a window's controls), each with an accelerator on a
// letter no earlier text of the group has: a word's first letter when one is free, else any
// letter or digit. A text that carries an accelerator already keeps it; one with no free letter
// stays as it is.
QStringList WithAccelerators(const QStringList& texts);

// Gives accelerators to a form's menu bar titles and its controls (check boxes, radio buttons,
// tab pages, labels of fields, push buttons, in that order of preference) as one group, and to
// each of its menus' items as a group of their own. Tool bar buttons are left as they are.
void addAccelerators(QWidget* form);

// Gives accelerators to the items of one menu whose texts changed (the items that have one keep
// it).
void addMenuAccelerators(QMenu* menu);
