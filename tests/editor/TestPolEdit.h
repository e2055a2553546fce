// The editor windows with the user's answers supplied by the test: the colour/texture chooser,
// whose colour dialog answers a set colour, records what it was asked and read and, given an
// answer, runs that in place of the user; the profile/path editor with its messages recorded, its
// picture dialog answered from a field, such choosers and real mouse gestures at stored points.
// Outlines as rows of stored points with their groups; the fixture that opens the window on one.
#pragma once

#include "editor/GraphicListBox.h"
#include "editor/UnGroupEdit.h"
#include "editor/UnMultiLineEdit.h"
#include "editor/UnPointsTable.h"
#include "editor/UnPolEditor.h"
#include "WhenModal.h"

#include <QAction>
#include <QApplication>
#include <QTableWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

class TTestGroupEdit : public TgroupEdit {
  public:
    using TgroupEdit::TgroupEdit;
    QColor colorAnswer;
    QList<QColor> colorAsked;
    std::vector<std::string> loaded;
    // Null: the window runs modally for the test to drive.
    std::function<void(TgroupEdit&)> answer;

    int exec() override {
        if (!answer) return TgroupEdit::exec();
        FormActivate();
        answer(*this);
        return result();
    }
    QImage loadPicture(const std::string& fileName) override {
        loaded.push_back(fileName);
        return TgroupEdit::loadPicture(fileName);
    }

  protected:
    QColor chooseColor(const QColor& initial) override {
        colorAsked.append(initial);
        return colorAnswer;
    }
};

class TTestPolEdit : public TPolEdit {
  public:
    QStringList messages;
    QStringList questions; // the discard questions and save warnings asked
    bool discardAnswer = true, saveAnywayAnswer = true;
    double radiusAnswer = 10;
    int32_t segmentsAnswer = 4;
    QString pictureAnswer;
    QColor colorAnswer = Qt::red;
    std::function<void(TgroupEdit&)> groupAnswer;

    // Pixel of a stored point on the edit control.
    QPoint at(int x, int y) const {
        const Point2 p = ToModel(OutlineVertex{x, y});
        const double zoom = MultiLineEdit1()->Zoom;
        return {RoundHalfEven(p.X * zoom), RoundHalfEven(p.Y * zoom)};
    }
    void doubleClick(int x, int y) {
        QTest::mouseDClick(MultiLineEdit1(), Qt::LeftButton, {}, at(x, y));
        QTest::mouseRelease(MultiLineEdit1(), Qt::LeftButton, {}, at(x, y));
    }
    // Press, move and release from one stored point to another: a rubber band or a drag.
    void band(QPoint from, QPoint to) {
        QTest::mousePress(MultiLineEdit1(), Qt::LeftButton, {}, at(from.x(), from.y()));
        QTest::mouseMove(MultiLineEdit1(), at(to.x(), to.y()));
        QTest::mouseRelease(MultiLineEdit1(), Qt::LeftButton, {}, at(to.x(), to.y()));
    }
    void chooseGroup(int row) {
        QTest::mouseClick(listgroups1()->viewport(), Qt::LeftButton, {},
                          listgroups1()->visualItemRect(listgroups1()->item(row)).center());
    }
    // Clicks the button or triggers the menu command of that name.
    void press(const char* name) {
        if (auto* button = findChild<QPushButton*>(name))
            button->click();
        else
            findChild<QAction*>(name)->trigger();
    }

  protected:
    void showMessage(QMessageBox::Icon, const QString& text) override { messages << text; }
    QString chooseBackgroundFile() override { return pictureAnswer; }
    bool askDiscard(const QString& question) override {
        questions << question;
        return discardAnswer;
    }
    bool askSaveAnyway(const QString& warning) override {
        questions << warning;
        return saveAnywayAnswer;
    }
    bool askRoundCorner(double& radiusMm, int32_t& segments) override {
        radiusMm = radiusAnswer, segments = segmentsAnswer;
        return true;
    }
    std::unique_ptr<TgroupEdit> createGroupEditor() override {
        auto editor = std::make_unique<TTestGroupEdit>(this);
        editor->colorAnswer = colorAnswer;
        editor->answer = groupAnswer;
        return editor;
    }
};

struct Stored {
    int32_t x, y;
    std::vector<int32_t> groups = {};
    bool operator==(const Stored&) const = default;
};
using Outline = std::vector<Stored>;

inline void PrintTo(const Stored& s, std::ostream* os) {
    *os << "(" << s.x << "," << s.y;
    for (int32_t g : s.groups)
        *os << " g" << g;
    *os << ")";
}

inline std::vector<OutlineVertex> records(const Outline& points) {
    std::vector<OutlineVertex> r(MaxOutlineVertices);
    for (size_t i = 0; i < points.size(); ++i) {
        r[i].X = points[i].x, r[i].Y = points[i].y;
        std::copy(points[i].groups.begin(), points[i].groups.end(), r[i].Groups);
    }
    return r;
}

inline Outline outlineOf(const OutlineVertex* r, int32_t count) {
    Outline o;
    for (int32_t i = 0; i < count; ++i) {
        o.push_back({r[i].X, r[i].Y});
        for (int32_t g : r[i].Groups)
            if (g != 0) o.back().groups.push_back(g);
    }
    return o;
}

// The profile/path editor opened on an outline as an object opens it, saved and read back as the
// object reads it.
class PolEditTest : public ::testing::Test {
  protected:
    TTestPolEdit w;
    TMultiLineEdit& e = *w.MultiLineEdit1();
    TGroupListRef saved;

    void TearDown() override { expectEveryModalShown(); }

    // A path has no groups and is closed as given (by default when it is a path).
    void open(const Outline& outline, bool path = false, TGroupListRef groups = {},
              std::optional<bool> closed = {}) {
        w.SetPathMode(path);
        w.Reset();
        w.SetData(records(outline).data(), int32_t(outline.size()),
                  path     ? nullptr
                  : groups ? groups
                           : std::make_shared<TGroupPropertyList>(),
                  closed.value_or(path));
    }
    Outline save() {
        w.salvaClick();
        std::vector<OutlineVertex> r(MaxOutlineVertices);
        int32_t count = -1;
        w.GetData(r.data(), count, saved);
        if (count < MaxOutlineVertices) {
            EXPECT_EQ(r[count].Groups[0], -1) << "end mark";
        }
        return outlineOf(r.data(), count);
    }
};

// The window on screen and active, so that its keys reach it. Another test's window on the same
// display may take the focus meanwhile: activation is asked again a few times.
inline void showActive(QWidget& w) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    bool active = false;
    for (int attempt = 0; attempt < 5 && !active; ++attempt) {
        w.activateWindow();
        QApplication::setActiveWindow(&w);
        active = QTest::qWaitForWindowActive(&w, 1000);
    }
    ASSERT_TRUE(active);
}

inline QString cell(const TPointsTable& t, int row, int column) {
    return t.table()->item(row, column)->text();
}
