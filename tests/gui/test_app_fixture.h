// Shared set-up of the main window tests: a window whose dialogs are answered by the test.
#pragma once

#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace AppTestPixels {
// The view's clear colour (0.7, 0.8, 0.8).
inline bool isBackground(QRgb p) {
    return std::abs(qRed(p) - 179) <= 3 && std::abs(qGreen(p) - 204) <= 3 &&
           std::abs(qBlue(p) - 204) <= 3;
}
} // namespace AppTestPixels

// The main window with its questions to the user answered from fields and its messages recorded.
class TTestWindow : public TfrmPalvorin {
  public:
    QString openAnswer;
    QString saveAnswer;
    int dialogsAsked = 0;
    QString lastProposed;
    QString lastFilter;
    QStringList messages;
    QList<QMessageBox::Icon> messageIcons;
    QUrl helpOpened;

    // The window's own save dialog, for the tests that answer it themselves.
    QString realSaveDialog(const QString& proposed, const QString& filter, const QString& suffix) {
        return TfrmPalvorin::chooseSaveFileName(proposed, filter, suffix);
    }

  protected:
    QString chooseOpenFileName(const QString& proposed, const QString& filter) override {
        ++dialogsAsked;
        lastProposed = proposed;
        lastFilter = filter;
        return openAnswer;
    }
    QString chooseSaveFileName(const QString& proposed, const QString& filter,
                               const QString&) override {
        ++dialogsAsked;
        lastProposed = proposed;
        lastFilter = filter;
        return saveAnswer;
    }
    void showMessage(QMessageBox::Icon icon, const QString& text) override {
        messageIcons.append(icon);
        messages.append(text);
    }
    bool openHelp(const QUrl& url) override {
        helpOpened = url;
        return true;
    }
};

class AppTest : public ::testing::Test {
  protected:
    std::unique_ptr<TTestWindow> w;

    void SetUp() override {
        w = std::make_unique<TTestWindow>();
        w->resize(900, 640);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->glcanvas()->isValid(); }, 5000));
    }
    void TearDown() override { w.reset(); }

    static QString example(const char* name) {
        return QStringLiteral(PALVORIN_SOURCE_DIR "/examples/") + QLatin1String(name);
    }
    QStringList objectNames() const {
        QStringList names;
        for (int i = 0; i < w->lbObjects()->count(); ++i)
            names << w->lbObjects()->item(i)->text();
        return names;
    }
    bool lineSelected(int row) const {
        return w->lbObjects()->item(row)->icon().cacheKey() == w->SelectedPicture.cacheKey();
    }
    QImage frame() const { return w->glcanvas()->grabFramebuffer(); }
    static bool isBackground(QRgb p) { return AppTestPixels::isBackground(p); }
    static int drawnPixels(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!isBackground(image.pixel(x, y))) ++count;
        return count;
    }
    void mouse(QEvent::Type type, int x, int y, Qt::MouseButtons held) {
        const QPointF p(x, y);
        QMouseEvent event(type, p, w->glcanvas()->mapToGlobal(p),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(w->glcanvas(), &event);
    }
    void drag(int fromX, int fromY, int toX, int toY) {
        mouse(QEvent::MouseButtonPress, fromX, fromY, Qt::LeftButton);
        mouse(QEvent::MouseMove, toX, toY, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, toX, toY, Qt::NoButton);
    }
    // Runs action once a modal dialog of type D is up (the command that opens it runs meanwhile).
    template <class D> static void whenModal(std::function<void(D&)> action) {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, action] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                action(*dialog);
            }
        });
        timer->start();
    }
};

inline QByteArray fileBytes(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

// Profile and path set straight into an object, in editor units.
inline void setOutline(TExtrObj& object, std::initializer_list<std::pair<int, int>> profile,
                       std::initializer_list<std::pair<int, int>> path, bool closed) {
    int i = 0;
    for (auto [x, y] : profile) {
        object.Profile[i] = OutlineVertex{};
        object.Profile[i].X = x;
        object.Profile[i].Y = y;
        ++i;
    }
    object.ProfileCount = i;
    i = 0;
    for (auto [x, y] : path) {
        object.Path[i] = OutlineVertex{};
        object.Path[i].X = x;
        object.Path[i].Y = y;
        ++i;
    }
    object.PathCount = i;
    object.SetPathClosed(closed);
}
