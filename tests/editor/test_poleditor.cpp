// The profile/path editor window, driven without showing it: stored coordinates at every zoom, the
// editing commands and their undo points, the edge-group rules, the vertex limit, the background
// picture and the window-wide arrow keys.
#include "TestPolEdit.h"
#include "WhenModal.h"

#include "model/ModelTestUtil.h"

#include "editor/UnPointFields.h"
#include "editor/UnPointsTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

const Outline Seven{{10, 20, {1}}, {30, 20, {1}}, {30, 40}, {0, 60, {2, 1}},
                    {-30, 40},     {-30, 20},     {10, 20}};

} // namespace

// The profile's y goes up the screen, the path's z down; 2400 is the centre.
TEST_F(PolEditTest, StoredCoordinatesComeBackUnchangedAtEveryZoomANewOutlineIsOneSegment) {
    // Path or profile, zoom, first point's model y, the cursor's place shown there.
    const std::tuple<bool, int, int, QString> cases[] = {
        {false, 100, 2380, "X: 10     Y: 20"},
        {true, 100, 2420, "X: 10     Z: 20"},
        {false, 200, 2380, "X: 10     Y: 20"},
        {true, 25, 2420, ""},
        {false, 250, 2380, ""}, // grid steps of whole pixels: not exactly 2.5
    };
    for (const auto& [path, zoom, firstY, cursorAtFirst] : cases) {
        SCOPED_TRACE(zoom);
        open(Seven, path);
        EXPECT_EQ(e.Line.StartPoint.Pos.X, 2410);
        EXPECT_EQ(e.Line.StartPoint.Pos.Y, firstY);
        w.findChild<QComboBox*>("lZoom")->setCurrentText(QString::number(zoom));
        EXPECT_NEAR(e.Zoom, zoom / 100.0, 0.04);
        w.MultiLineEdit1MouseMove(RoundHalfEven(2410 * e.Zoom), RoundHalfEven(firstY * e.Zoom));
        if (!cursorAtFirst.isEmpty()) {
            EXPECT_EQ(w.statusPanel(2)->text(), cursorAtFirst);
        }
        EXPECT_EQ(save(), Seven);
        EXPECT_EQ(e.Zoom, 1.0);
        EXPECT_EQ(w.Closed(), path);
    }
    open({});
    EXPECT_EQ(save(), (Outline{{0, 0}, {100, 0}}));
    EXPECT_EQ(saved->Count(), 0);
}

TEST_F(PolEditTest, EachCommandTakesOneUndoPointAndMovesTheOutlineAsDrawn) {
    const Outline given{{10, 20}, {30, 20}, {30, 40}, {20, 50}};
    struct Case {
        const char *button, *menu;
        bool selectSecond;
        Outline after; // empty: not checked
    };
    const Case cases[] = {
        {"flipHoriz", "mnFliphoriz", false, {{-10, 20}, {-30, 20}, {-30, 40}, {-20, 50}}},
        {"flipVert", "mnFlipvert", false, {{10, -20}, {30, -20}, {30, -40}, {20, -50}}},
        {"invOrder", "mnInvertord", false, {{20, 50}, {30, 40}, {30, 20}, {10, 20}}},
        {"closeshape", "mnCloseShape", false, {{10, 20}, {30, 20}, {30, 40}, {20, 50}, {10, 20}}},
        {"delete", "mnDelete", true, {{10, 20}, {30, 40}, {20, 50}}},
        {"drawcircle", "mnCircle", false, {}},
    };
    for (const Case& c : cases)
        for (const char* name : {c.button, c.menu}) {
            SCOPED_TRACE(name);
            for (bool undo : {false, true}) {
                open(given);
                if (c.selectSecond) w.band({25, 25}, {35, 15});
                const int before = e.UndoCount();
                w.press(name);
                EXPECT_EQ(e.UndoCount(), before + 1);
                if (undo) w.press("mnUndo");
                if (undo || !c.after.empty()) {
                    EXPECT_EQ(save(), undo ? given : c.after);
                }
            }
        }
}

TEST_F(PolEditTest, AHundredVerticesAreTheMost) {
    Outline line;
    for (int i = 0; i < 99; ++i)
        line.push_back({i * 4 - 200, 0});
    open(line);
    const Point2 far = w.ToModel(OutlineVertex{300, 100});
    w.MultiLineEdit1DblClick(far.X, far.Y);
    EXPECT_EQ(e.Line.VertexCount(), 100);
    EXPECT_TRUE(w.statusPanel(1)->text().isEmpty());
    const int undoPoints = e.UndoCount();
    w.MultiLineEdit1DblClick(far.X + 20, far.Y);
    EXPECT_EQ(e.Line.VertexCount(), 100);
    EXPECT_EQ(e.UndoCount(), undoPoints);
    EXPECT_EQ(w.statusPanel(1)->text(), "Limit of 100 vertices reached");
    const Outline back = save();
    ASSERT_EQ(back.size(), 100u);
    EXPECT_EQ(back.back(), (Stored{300, 100}));
}

TEST_F(PolEditTest, NewGroupNeedsARunOfTwoOrMoreSelectedPoints) {
    const Outline zigzag{{0, 0}, {50, 100}, {100, 0}, {150, 100}};
    // A rubber band's corners; whether a group is made.
    const std::tuple<QPoint, QPoint, bool> cases[] = {
        {{40, 110}, {60, 90}, false},   // one point
        {{-10, 10}, {110, -10}, false}, // two points that are not neighbours
        {{-10, 110}, {60, -10}, true},  // a run
        {{-10, 110}, {160, -10}, true}, // the whole outline
    };
    for (const auto& [from, to, made] : cases) {
        open(zigzag);
        w.messages.clear();
        w.band(from, to);
        w.newgroupClick();
        EXPECT_EQ(w.messages.size(), made ? 0 : 1);
        if (!made) {
            EXPECT_EQ(w.messages.value(0),
                      "The selected points must be 2 or more, and in sequence!!");
            EXPECT_EQ(w.GroupCount, 0);
            EXPECT_EQ(w.listgroups1()->count(), 0);
            continue;
        }
        ASSERT_EQ(w.listgroups1()->count(), 1);
        EXPECT_EQ(w.listgroups1()->item(0)->text(), "1");
        EXPECT_EQ(w.listgroups1()->ItemPicture(0).toImage().pixelColor(16, 16), QColor(Qt::white));
        ASSERT_EQ(w.Groups->Count(), 1);
        EXPECT_EQ(w.Groups->Items(0).Color, 0xFFFFFFu);
        EXPECT_EQ(save()[1].groups, std::vector<int32_t>{1});
        EXPECT_EQ(saved->Items(0).Id, 1);
    }
}

TEST_F(PolEditTest, DeletingTheNewestGroupFreesItsIdAnOlderOneKeepsTheCount) {
    const Outline square{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    for (auto [row, next] : {std::pair{1, 2}, {0, 3}}) { // the group deleted, the next id
        open(square);
        w.band({-10, 10}, {110, -10}); // bottom edge
        w.newgroupClick();
        w.band({90, 110}, {110, -10}); // right edge
        w.newgroupClick();
        w.chooseGroup(row);
        w.delgroupClick();
        for (int32_t i = 0; i < e.Line.VertexCount(); ++i)
            EXPECT_FALSE(e.Line.Vertex(i).HasGroup(row + 1)) << "the deleted id left vertex " << i;
        w.band({-10, 110}, {110, 90}); // top edge
        w.newgroupClick();
        EXPECT_EQ(w.GroupCount, next);
        EXPECT_EQ(w.listgroups1()->item(1)->text(), QString::number(next));
        EXPECT_EQ(save()[3].groups, std::vector<int32_t>{next});
        EXPECT_EQ(saved->Count(), 2);
    }
    // After loading, new ids start above every id in use, in the list or on a vertex.
    open({{0, 0, {3}}, {100, 0, {7}}, {100, 100}}, false, [] {
        auto list = std::make_shared<TGroupPropertyList>();
        list->Add(MakeGroup(1, 0xFFFFFF)), list->Add(MakeGroup(3, 0xFFFFFF));
        return list;
    }());
    EXPECT_EQ(w.GroupCount, 7);
}

TEST_F(PolEditTest, CancelKeepsTheObjectsListButGroupEditsAreShared) {
    auto objectList = std::make_shared<TGroupPropertyList>();
    TGroupRef lost = MakeGroup(1, 0x00FF00, "gone"), kept = MakeGroup(2, 0xFFFFFF);
    objectList->Add(lost), objectList->Add(kept);
    w.SetTextures({{PALVORIN_SOURCE_DIR "/examples/wood.bmp", "wood", -1, nullptr}});
    for (bool cancel : {true, false}) {
        open({{0, 0, {1}}, {100, 0, {1, 2}}, {100, 100, {2}}}, false, objectList);
        w.band({90, 110}, {110, -10});
        w.newgroupClick(); // group 3, above every id in use
        // The group whose texture is not in the table opens with none chosen and keeps it.
        w.chooseGroup(0);
        w.groupAnswer = [](TgroupEdit& d) {
            EXPECT_LE(d.texCombo()->currentIndex(), 0);
            EXPECT_TRUE(d.curtexture()->Picture().isNull());
            d.camcel()->click();
        };
        w.editgroupClick();
        EXPECT_EQ(lost->Texture, "gone");
        w.delgroupClick();
        w.chooseGroup(0); // group 2 now
        w.findChild<QComboBox*>("lZoom")->setCurrentText("200");
        w.colorAnswer = QColor(255, 0, 0);
        w.groupAnswer = [](TgroupEdit& d) {
            d.selcolor()->click();
            d.texCombo()->setCurrentIndex(1);
            d.ok()->click();
        };
        w.editgroupClick();
        EXPECT_EQ(e.Zoom, 1.0) << "back from the group editor at 100 %";
        EXPECT_EQ(kept->Color, 0x0000FFu);
        EXPECT_EQ(kept->Texture, "wood");
        EXPECT_EQ(w.listgroups1()->ItemPicture(0).toImage().pixelColor(16, 16), QColor(Qt::red));
        if (cancel) {
            w.annullaClick();
            EXPECT_FALSE(w.Saved());
            ASSERT_EQ(objectList->Count(), 2);
            EXPECT_EQ(objectList->Item(0), lost);
        } else {
            save();
            ASSERT_EQ(saved->Count(), 2);
            EXPECT_EQ(saved->Item(0), kept);
            EXPECT_EQ(saved->Items(1).Id, 3);
            EXPECT_EQ(objectList->Count(), 2);
        }
        kept->Color = 0xFFFFFF;
    }
}

TEST_F(PolEditTest, BackgroundLoadsPicturesTogglesAndRefusesOtherFiles) {
    QTemporaryDir dir;
    const QString png = dir.filePath("grid.png"), text = dir.filePath("notes.bmp");
    QImage(3, 5, QImage::Format_RGB32).save(png);
    std::ofstream(text.toStdString()) << "not a picture";
    // The picture chosen, the background's width afterwards (0: none), whether refused.
    const std::tuple<QString, int, bool> cases[] = {
        {PALVORIN_SOURCE_DIR "/examples/walnut.jpg", 0, false},
        {QString(), 0, false}, // the toggle removes it
        {png, 3, false},
        {QString(), 0, false},
        {text, 0, true},
    };
    open({});
    for (const auto& [file, width, refused] : cases) {
        SCOPED_TRACE(file.toStdString());
        const bool had = w.BackgroundLoaded();
        w.messages.clear();
        w.pictureAnswer = file;
        w.backgroundClick();
        EXPECT_EQ(w.BackgroundLoaded(), !had && !refused && !file.isEmpty());
        if (width) {
            EXPECT_EQ(e.BackgroundPicture().Width, width);
        }
        ASSERT_EQ(w.messages.size(), refused ? 1 : 0);
        if (refused) {
            EXPECT_TRUE(w.messages[0].contains(text)) << w.messages[0].toStdString();
        }
    }
    EXPECT_EQ(e.BackgroundPicture().Height, 0);
    // A picture stays from one edit to the next, and the button then removes it.
    w.pictureAnswer = png;
    w.backgroundClick();
    open({});
    EXPECT_TRUE(w.BackgroundLoaded());
    EXPECT_TRUE(w.findChild<QTabWidget*>("drawProperties")->isTabVisible(1));
}

TEST_F(PolEditTest, ArrowKeysNudgeTheDraggedPartExceptInNumberFields) {
    open({{0, 0}, {100, 0}});
    qApp->installEventFilter(&w);
    const Point2 end = w.ToModel(OutlineVertex{100, 0});
    w.band({100, 0}, {110, 0});
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(w.listgroups1(), &right);
    EXPECT_EQ(e.Line.EndPoint.Pos.X, end.X + 11);
    auto* spin = w.findChild<QSpinBox*>("seGridX");
    const int before = spin->value();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(spin, &up);
    EXPECT_EQ(spin->value(), before + 1);
    EXPECT_EQ(e.Line.EndPoint.Pos.Y, end.Y);
    qApp->removeEventFilter(&w);
}

// ---- exact drawing: the points table, the point fields, wheel zoom, Save checks, Cancel ---------

TEST_F(PolEditTest, CtrlTOpensThePointsTableAndPastedRowsReplaceTheOutlineAsOneStep) {
    w.SetScale(50); // a stored unit is half a millimetre of the solid
    open({{0, 0, {3}}, {100, 0, {3}}});
    showActive(w);
    const int before = e.UndoCount();
    QApplication::clipboard()->setText(QStringLiteral("0\t0\n60\t0\n60\t40\n0\t40\n"));
    bool opened = false;
    whenModal<TPointsTable>([&](TPointsTable& t) {
        opened = true;
        EXPECT_EQ(cell(t, 1, 0), "50");
        EXPECT_EQ(t.focusWidget(), t.table()); // the keyboard in the table, not in a cell
        EXPECT_EQ(t.table()->selectionModel()->selectedRows().size(), 2);
        QTest::keyClick(t.table(), Qt::Key_V, Qt::ControlModifier); // replaces every row
        EXPECT_EQ(t.table()->rowCount(), 4);
        EXPECT_FALSE(t.closedBox()->isChecked());
        t.closedBox()->click(); // the first row again at the end
        EXPECT_EQ(t.table()->rowCount(), 5);
        EXPECT_EQ(cell(t, 4, 1), "0");
        // One row more after the current one, copied and pasted back as text.
        t.table()->setCurrentCell(1, 0,
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(t.table(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "60\t0\n");
        t.table()->clearSelection();
        QApplication::clipboard()->setText(QStringLiteral("60.3; 20"));
        QTest::keyClick(t.table(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(cell(t, 2, 0), "60.3");
        // 60.3 needs a finer step: the scale is refined, nothing is rounded.
        EXPECT_EQ(t.noteLabel()->text(), "");
        QTest::keyClick(&t, Qt::Key_Return);
    });
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(opened);
    EXPECT_EQ(e.UndoCount(), before + 1);
    EXPECT_EQ(w.statusPanel(1)->text(), "Scale refined to 10 % (storage step 0.1 mm) to keep the "
                                        "values exact; the solid keeps its size.");
    // Pasted rows are new points, without the groups of the rows they replaced.
    EXPECT_EQ(w.Scale(), 10);
    EXPECT_EQ(save(), (Outline{{0, 0}, {600, 0}, {603, 200}, {600, 400}, {0, 400}, {0, 0}}));
    EXPECT_TRUE(w.questions.isEmpty()); // closed and simple: no warning
    // The undo step takes back the scale with the points.
    w.press("mnUndo");
    EXPECT_EQ(w.Scale(), 50);
    EXPECT_EQ(save(), (Outline{{0, 0, {3}}, {100, 0, {3}}}));

    // A bad cell is refused with its row named; Escape leaves the outline alone.
    open({{0, 0}, {100, 0}});
    QString refusal;
    whenModal<TPointsTable>([&](TPointsTable& t) {
        t.table()->item(1, 1)->setText(QStringLiteral("abc"));
        whenModal<QMessageBox>([&](QMessageBox& box) {
            refusal = box.text();
            box.accept();
        });
        t.accept();
        EXPECT_TRUE(t.isVisible());
        QTest::keyClick(&t, Qt::Key_Escape);
    });
    w.press("mnPointsTable");
    EXPECT_EQ(refusal, "Row 2: \"abc\" is not a number. Nothing was changed.");
    EXPECT_EQ(save(), (Outline{{0, 0}, {100, 0}}));
}

TEST_F(PolEditTest, TheSelectedPointsFieldsShowMillimetresAndMoveItExactly) {
    w.SetScale(50);
    open(Seven);
    EXPECT_FALSE(w.pointFields()->xField()->isEnabled());
    w.band({35, 45}, {25, 35}); // the third point, (30, 40)
    QLineEdit* x = w.pointFields()->xField();
    QLineEdit* y = w.pointFields()->yField();
    ASSERT_TRUE(x->isEnabled());
    EXPECT_EQ(std::make_pair(x->text(), y->text()), std::make_pair(QString("15"), QString("20")));
    const int before = e.UndoCount();
    x->setText(QStringLiteral("-7.5"));
    QTest::keyClick(x, Qt::Key_Return);
    EXPECT_EQ(e.UndoCount(), before + 1);
    Outline moved = Seven;
    moved[2].x = -15;
    EXPECT_EQ(save(), moved);
}

TEST_F(PolEditTest, CtrlWheelZoomsAboutTheCursorTheWheelScrolls) {
    open(Seven);
    w.show(); // wheel events go to the control itself: no focus needed
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QScrollBar* v = w.findChild<QScrollArea*>("ScrollBox1")->verticalScrollBar();
    const QPoint at = w.at(30, 40);
    const QPoint onScreen = e.mapToGlobal(at);
    auto wheel = [&](Qt::KeyboardModifiers modifiers, int notches) {
        const QPoint p = e.mapFromGlobal(onScreen);
        QWheelEvent event(p, e.mapToGlobal(p), {}, {0, 120 * notches}, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&e, &event);
    };
    wheel(Qt::ControlModifier, 1);
    EXPECT_EQ(w.findChild<QComboBox*>("lZoom")->currentText(), "125");
    // The vertex under the cursor stays under it.
    EXPECT_LE((e.mapFromGlobal(onScreen) - w.at(30, 40)).manhattanLength(), 2);
    for (int i = 0; i < 12; ++i)
        wheel(Qt::ControlModifier, 1);
    EXPECT_EQ(w.findChild<QComboBox*>("lZoom")->currentText(), "1000");
    const int top = v->value();
    wheel({}, -1);
    EXPECT_GT(v->value(), top);
    QScrollBar* h = w.findChild<QScrollArea*>("ScrollBox1")->horizontalScrollBar();
    const int left = h->value();
    wheel(Qt::ShiftModifier, -1);
    EXPECT_GT(h->value(), left);

    // A middle-button drag pans by the distance dragged and leaves the outline alone.
    const Outline before = save();
    open(Seven);
    const QPoint scroll(h->value(), v->value());
    QTest::mousePress(&e, Qt::MiddleButton, {}, {400, 400});
    QMouseEvent drag(QEvent::MouseMove, QPointF(370, 380), e.mapToGlobal(QPointF(370, 380)),
                     Qt::NoButton, Qt::MiddleButton, {});
    QApplication::sendEvent(&e, &drag);
    QTest::mouseRelease(&e, Qt::MiddleButton, {}, {370, 380});
    EXPECT_EQ(QPoint(h->value(), v->value()), scroll + QPoint(30, 20));
    EXPECT_EQ(save(), before);
}

TEST_F(PolEditTest, SaveWarnsOfWhatTheSolidWouldLackAndCancelAsksOnlyAfterChanges) {
    open({{10, 20}, {30, 20}, {30, 40}});
    w.saveAnywayAnswer = false;
    w.salvaClick();
    EXPECT_FALSE(w.Saved());
    EXPECT_EQ(w.questions,
              QStringList{"The profile is not closed: the solid will have no end caps."});
    open({{0, 0}, {0, 50}, {0, 50}, {40, 50}}, true);
    w.salvaClick();
    EXPECT_EQ(w.questions.last(), "The path repeats a point next to itself: the solid will have "
                                  "zero-length segments there.");
    w.saveAnywayAnswer = true;
    w.salvaClick();
    EXPECT_TRUE(w.Saved());

    // Cancel without changes closes at once; with changes it asks, and Keep editing stays.
    for (bool path : {false, true}) {
        w.questions.clear();
        open(Seven, path);
        w.press("annulla");
        EXPECT_TRUE(w.Cancelled());
        EXPECT_TRUE(w.questions.isEmpty());
        open(Seven, path);
        w.doubleClick(20, 20); // a point inserted on a segment
        w.discardAnswer = false;
        w.press("annulla");
        EXPECT_FALSE(w.Cancelled());
        w.close(); // the close box asks the same
        EXPECT_FALSE(w.Cancelled());
        w.discardAnswer = true;
        w.close();
        EXPECT_TRUE(w.Cancelled());
        EXPECT_EQ(w.questions, QStringList(3, path ? "Discard the changes to the path?"
                                                   : "Discard the changes to the profile?"));
    }
}
