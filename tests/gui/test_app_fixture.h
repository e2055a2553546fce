// Shared set-up of the main window tests: a window whose dialogs are answered by the test.
#pragma once

#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"
#include "WhenModal.h"
#include "tools/export_fixtures.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// The main window with its questions to the user answered from fields and its messages recorded.
class TTestWindow : public TfrmPalvorin {
  public:
    QString openAnswer, saveAnswer, lastProposed, lastFilter;
    int dialogsAsked = 0;
    QStringList messages;
    QList<QMessageBox::Icon> messageIcons;
    QUrl helpOpened;
    QMessageBox::StandardButton saveChangesAnswer = QMessageBox::Discard;
    int saveChangesAsked = 0;
    bool recoverAnswer = true;
    QStringList recoverAsked; // the documents named by the recovery question

    // The window's own save dialog, for the tests that answer it themselves.
    QString realSaveDialog(const QString& proposed, const QString& filter, const QString& suffix) {
        return TfrmPalvorin::chooseSaveFileName(proposed, filter, suffix);
    }

  protected:
    QString chooseOpenFileName(const QString& proposed, const QString& filter) override {
        return asked(proposed, filter, openAnswer);
    }
    QString chooseSaveFileName(const QString& proposed, const QString& filter,
                               const QString&) override {
        return asked(proposed, filter, saveAnswer);
    }
    void showMessage(QMessageBox::Icon icon, const QString& text) override {
        messageIcons.append(icon);
        messages.append(text);
    }
    bool openHelp(const QUrl& url) override {
        helpOpened = url;
        return true;
    }
    QMessageBox::StandardButton askSaveChanges() override {
        ++saveChangesAsked;
        return saveChangesAnswer;
    }
    bool askRecover(const QString& document, const QDateTime&) override {
        recoverAsked << document;
        return recoverAnswer;
    }

  private:
    QString asked(const QString& proposed, const QString& filter, const QString& answer) {
        ++dialogsAsked;
        lastProposed = proposed;
        lastFilter = filter;
        return answer;
    }
};

// The view's clear colour (0.7, 0.8, 0.8).
inline bool isBackground(QRgb p) {
    return std::abs(qRed(p) - 179) <= 3 && std::abs(qGreen(p) - 204) <= 3 &&
           std::abs(qBlue(p) - 204) <= 3;
}

// Pixels of the image, or of the part of it given, that are not background.
inline int drawnPixels(const QImage& image, QRect part = QRect()) {
    if (part.isNull()) part = image.rect();
    int count = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (!isBackground(image.pixel(x, y))) ++count;
    return count;
}

inline QByteArray fileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Profile and path set straight into an object, in editor units.
inline void setOutline(TExtrObj& object, std::initializer_list<std::pair<int, int>> profile,
                       std::initializer_list<std::pair<int, int>> path, bool closed) {
    object.ProfileCount = fixtures::setOutline(object.Profile.data(), profile);
    object.PathCount = fixtures::setOutline(object.Path.data(), path);
    object.SetPathClosed(closed);
}

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
    void TearDown() override {
        expectEveryModalShown();
        w.reset();
    }

    static QString example(const char* name) {
        return QStringLiteral(PALVORIN_SOURCE_DIR "/examples/") + QLatin1String(name);
    }
    static void copyExamples(const QString& dir, std::initializer_list<const char*> names) {
        for (const char* name : names)
            ASSERT_TRUE(QFile::copy(example(name), dir + '/' + name)) << name;
    }
    void open(const char* exampleName) {
        w->openAnswer = example(exampleName);
        w->loadClick();
        ASSERT_TRUE(w->messages.isEmpty()) << w->messages.join("|").toStdString();
    }
    // The object list shows names, the selection picture and the highlight only on row current,
    // which is the current object and is named in the status bar.
    void expectObjects(const QStringList& names, int current) {
        QStringList shown;
        QList<int> marked;
        for (int i = 0; i < w->lbObjects()->count(); ++i) {
            shown << w->lbObjects()->item(i)->text();
            if (w->lbObjects()->item(i)->icon().cacheKey() == w->SelectedPicture.cacheKey())
                marked << i;
        }
        EXPECT_EQ(shown, names);
        EXPECT_EQ(marked, QList<int>{current});
        EXPECT_EQ(w->lbObjects()->currentRow(), current); // the highlight follows
        EXPECT_EQ(w->SelectedIndex, current);
        ASSERT_EQ(w->Document->Count(), names.size());
        EXPECT_EQ(w->CurrentObject, &w->Document->Items(current));
        EXPECT_EQ(w->statusPanel(0)->text(), names.value(current));
    }
    QImage frame() const { return w->glcanvas()->grabFramebuffer(); }
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
};
