// Accelerators chosen letter by letter within each group of texts that share a window or a menu.
#include "app/UnAccelerators.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>

#include <functional>
#include <vector>

namespace {

// The character after a single '&', or a null character when the text has no accelerator.
QChar acceleratorOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
        ++i; // "&&" is a plain '&'
    }
    return QChar();
}

QString withAccelerator(const QString& text, QSet<QChar>& used) {
    if (text.contains(QLatin1Char('&'))) {
        if (const QChar c = acceleratorOf(text); !c.isNull()) used.insert(c);
        return text;
    }
    for (const bool wordStartsOnly : {true, false}) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (!c.isLetterOrNumber() || used.contains(c.toLower())) continue;
            if (wordStartsOnly && i > 0 && text[i - 1].isLetterOrNumber()) continue;
            used.insert(c.toLower());
            return text.left(i) + QLatin1Char('&') + text.mid(i);
        }
    }
    return text;
}

// One entry of a group: its text as shown and how to set it.
struct Entry {
    QString text;
    std::function<void(const QString&)> set;
};

void applyGroup(const std::vector<Entry>& entries) {
    QStringList texts;
    for (const Entry& e : entries)
        texts << e.text;
    const QStringList marked = WithAccelerators(texts);
    for (size_t i = 0; i < entries.size(); ++i)
        if (marked[qsizetype(i)] != entries[i].text) entries[i].set(marked[qsizetype(i)]);
}

// True when object belongs to form itself and not to a window of its own inside it (a menu
// belongs to the window that holds it).
bool ownedBy(const QObject* object, const QWidget* form) {
    for (const QObject* p = object->parent(); p != nullptr; p = p->parent()) {
        if (p == form) return true;
        const auto* w = qobject_cast<const QWidget*>(p);
        if (w != nullptr && w->isWindow() && qobject_cast<const QMenu*>(w) == nullptr) return false;
    }
    return false;
}

void addActions(std::vector<Entry>& group, const QList<QAction*>& actions) {
    for (QAction* a : actions)
        if (!a->isSeparator() && !a->text().isEmpty())
            group.push_back({a->text(), [a](const QString& t) { a->setText(t); }});
}

} // namespace

QStringList WithAccelerators(const QStringList& texts) {
    QSet<QChar> used;
    // Accelerators the texts carry already are taken first, wherever they stand.
    for (const QString& t : texts)
        if (const QChar c = acceleratorOf(t); !c.isNull()) used.insert(c);
    QStringList result;
    for (const QString& t : texts)
        result << withAccelerator(t, used);
    return result;
}

void addAccelerators(QWidget* form) {
    if (form == nullptr) return;
    std::vector<Entry> controls;
    for (QMenuBar* bar : form->findChildren<QMenuBar*>())
        if (ownedBy(bar, form)) addActions(controls, bar->actions());

    std::vector<QAbstractButton*> choices, pushButtons;
    std::vector<Entry> tabs, labels;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!ownedBy(w, form)) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (qobject_cast<QToolButton*>(b) != nullptr || b->text().isEmpty()) continue;
            const bool choice = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
            (choice ? choices : pushButtons).push_back(b);
        } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < t->count(); ++i)
                tabs.push_back({t->tabText(i), [t, i](const QString& s) { t->setTabText(i, s); }});
        } else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy() && !l->text().isEmpty()) {
            labels.push_back({l->text(), [l](const QString& s) { l->setText(s); }});
        } else if (auto* g = qobject_cast<QGroupBox*>(w); g && g->isCheckable()) {
            labels.push_back({g->title(), [g](const QString& s) { g->setTitle(s); }});
        }
    }
    auto addButtons = [&controls](const std::vector<QAbstractButton*>& buttons) {
        for (QAbstractButton* b : buttons)
            controls.push_back({b->text(), [b](const QString& t) { b->setText(t); }});
    };
    addButtons(choices);
    controls.insert(controls.end(), tabs.begin(), tabs.end());
    controls.insert(controls.end(), labels.begin(), labels.end());
    addButtons(pushButtons);
    applyGroup(controls);

    for (QMenu* menu : form->findChildren<QMenu*>())
        if (ownedBy(menu, form)) addMenuAccelerators(menu);
}

void addMenuAccelerators(QMenu* menu) {
    std::vector<Entry> items;
    addActions(items, menu->actions());
    applyGroup(items);
}
