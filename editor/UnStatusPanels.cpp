// The status bar of the program's windows: three sunken text panels sharing the bar's width (by
// default 20 %, 20 % and 60 %).
#include "editor/UnStatusPanels.h"

#include <QLabel>
#include <QStatusBar>

void addStatusPanels(QStatusBar* bar, QLabel* (&panels)[3]) {
    for (int i = 0; i < 3; ++i) {
        panels[i] = new QLabel(bar);
        panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panels[i]->setContentsMargins(4, 0, 4, 0);
        bar->addWidget(panels[i]);
    }
    bar->setSizeGripEnabled(false);
}

void sizeStatusPanels(const QStatusBar* bar, QLabel* const (&panels)[3], double first,
                      double second) {
    const int total = bar->width();
    const int a = qRound(total * first), b = qRound(total * second);
    panels[0]->setFixedWidth(a);
    panels[1]->setFixedWidth(b);
    panels[2]->setFixedWidth(qMax(0, total - a - b - 16));
}
