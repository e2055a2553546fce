// The status bar of the program's windows: three sunken text panels taking 20 %, 20 % and 60 % of
// the bar's width.
#pragma once

class QLabel;
class QStatusBar;

// Creates the panels (named StatusPanel0..2) on the bar.
void addStatusPanels(QStatusBar* bar, QLabel* (&panels)[3]);
// Shares the bar's width out again; the window calls it when it is resized.
void sizeStatusPanels(const QStatusBar* bar, QLabel* const (&panels)[3]);
