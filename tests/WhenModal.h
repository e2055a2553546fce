// Runs a test's action once a modal dialog of a given type is up, while the command that opened
// it waits in the dialog's own event loop; a dialog that never came up fails the test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

// The waits of whenModal whose dialog has not come up yet.
inline std::vector<QPointer<QTimer>>& pendingModalWaits() {
    static std::vector<QPointer<QTimer>> waits;
    return waits;
}

template <class D> void whenModal(std::function<void(D&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(*dialog);
        }
    });
    pendingModalWaits().push_back(timer);
    timer->start();
}

// Stops the waits of whenModal whose dialog has not come up, for a test that meant none to come.
inline int forgetModalWaits() {
    int pending = 0;
    for (const QPointer<QTimer>& timer : pendingModalWaits())
        if (timer && timer->isActive()) {
            ++pending;
            timer->stop();
            timer->deleteLater();
        }
    pendingModalWaits().clear();
    return pending;
}

// Fails the test when a dialog whenModal waited for never came up, and stops the waits, so that
// no action runs in a later test. The fixtures call it when a test ends.
inline void expectEveryModalShown() {
    EXPECT_EQ(forgetModalWaits(), 0) << "dialogs the test waited for never came up";
}
