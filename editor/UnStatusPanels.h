// The status bar of the program's windows: three sunken text panels sharing the bar's width (by
// default 20 %, 20 % and 60 %).
#pragma once

class QLabel;
class QStatusBar;

// Creates the panels (named StatusPanel0..2) on the bar.
void addStatusPanels(QStatusBar* bar, QLabel* (&panels)[3]);
// Shares the bar's width out again (the first two panels' shares given, the third takes the
// rest); the window calls it when it is resized.
void sizeStatusPanels(const QStatusBar* bar, QLabel* const (&panels)[3], double first = 0.2,
                      double second = 0.2);
