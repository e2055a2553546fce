// The profile and path editor window: the edit control with rulers, zoom, grid and background
// settings, the edge groups of a profile, and the exchange of an object's outline in stored
// coordinates (origin at the centre; y up for a profile, down for a path).
#pragma once

#include "editor/UnPointsText.h"
#include "model/UnTExtrObj.h"
#include "model/UnTgroupObj.h"

#include <QMainWindow>
#include <QMessageBox>

#include <QPoint>
#include <QRectF>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TPolEdit;
}
class QAction;
class QEventLoop;
class QLabel;
class QPainter;
class TGraphicListBox;
class TMultiLineEdit;
class TPointFields;
class TRoundCornerDialog;
class TgroupEdit;

class TPolEdit : public QMainWindow, public TOutlineEditorWindow {
    Q_OBJECT
    friend class TOutlineCommands;

  public:
    explicit TPolEdit(QWidget* parent = nullptr);
    ~TPolEdit() override;

    // Window state.
    int32_t GroupCount = 0; // highest group id handed out; new groups take the next one
    Point2 Origin{};        // the drawing's centre at zoom 100 %, where stored (0, 0) lies
    int32_t YSign = -1;     // -1: profile (y up when stored), +1: path
    std::array<OutlineVertex, MaxOutlineVertices> Vertices{};
    TGroupListRef Groups; // entries shared with the object's list
    std::vector<TTextureObj> Textures;
    bool PathMode = false;
    int32_t UnitScale = 100; // the outline's scale: millimetres of the solid per 100 stored units
    // In path mode, the profile's extent across the path (its x, millimetres of the solid, to the
    // right of the path's direction as stored): drawn as a light band beside the path. Both 0:
    // no band.
    double ProfileXMin = 0, ProfileXMax = 0;
    // The control shows a background picture (it stays from one edit to the next); the
    // background button then removes it.
    bool BackgroundLoaded() const;

    // The object's side of an edit.
    void SetCaption(const std::string& caption) override;
    void SetPathMode(bool pathMode) override { PathMode = pathMode; }
    void SetScale(int32_t percent) override;
    void Reset() override;
    void SetTextures(const std::vector<TTextureObj>& textures) override { Textures = textures; }
    int32_t Scale() const override { return UnitScale; }
    void SetData(const OutlineVertex* outline, int32_t count, TGroupListRef groups,
                 bool closed) override;
    // Shows the window maximised and returns when it closes.
    void ShowModal() override;
    bool Saved() const override { return FSaved; }
    bool Closed() const override { return FClosed; }
    void GetData(OutlineVertex* outline, int32_t& count, TGroupListRef& groups) override;
    // A path's heights: each stays with its vertex through the editor's commands; after Save, the
    // saved outline's (count must be its vertex count).
    void SetHeights(const float* heights, int32_t count) override;
    bool GetHeights(float* heights, int32_t count) override;
    bool Cancelled() const { return FCancelled; }
    // The outline, its groups or the Closed box differ from what the edit started with.
    bool HasChanges() const;
    // What the solid would lack with the outline as it is; empty when nothing.
    QString SaveWarning() const;
    TPointFields* pointFields() const { return PointFields; }

    TMultiLineEdit* MultiLineEdit1() const;
    TGraphicListBox* listgroups1() const;
    QLabel* statusPanel(int index) const;
    // Model point of a stored vertex, and back.
    Point2 ToModel(const OutlineVertex& stored) const;
    Point2 ToStored(Point2 model) const;

  public slots:
    void FormActivate();
    void lZoomChange(int index);
    void undoClick();
    void redoClick();
    void pointsTableClick();
    void roundCornerClick();
    void helixClick();
    void pointTyped(const QString& x, const QString& y, const QString& height);
    // The user ticks or unticks Closed polygon: ticking closes an open path.
    void closedClicked(bool closed);
    void deleteClick();
    void closeshapeClick();
    void drawcircleClick();
    void invOrderClick();
    void flipHorizClick();
    void flipVertClick();
    void MultiLineEdit1DblClick(int x, int y);
    void MultiLineEdit1MouseMove(int x, int y);
    void MultiLineEdit1Paint(QPainter* painter);
    void newgroupClick();
    void listgroups1Click();
    void editgroupClick();
    void delgroupClick();
    void propertiesClick();
    void propOkClick();
    void propCancelClick();
    void backgroundClick();
    void imageApplyClick();
    void imageOkClick();
    void salvaClick();
    void annullaClick();
    // View > Fit outline (key F): the whole outline in view, with a margin.
    void fitOutlineClick();

  protected:
    // The user's answers come through these; tests answer them.
    virtual void showMessage(QMessageBox::Icon icon, const QString& text);
    // The picture-open dialog; empty when cancelled.
    virtual QString chooseBackgroundFile();
    virtual std::unique_ptr<TgroupEdit> createGroupEditor();
    // "Discard the changes ...?" (Discard / Keep editing): true to discard.
    virtual bool askDiscard(const QString& question);
    // The save warning (Save anyway / Keep editing): true to save anyway.
    virtual bool askSaveAnyway(const QString& warning);
    // The Round corner dialog; false when cancelled.
    virtual bool askRoundCorner(double& radiusMm, int32_t& segments);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void createToolbarAndMenus();
    void connectCommands();
    // The zoom box and the control back to 100 %.
    void zoomTo100();
    // Zooms keeping the model point at anchor (a pixel of the scroll box's view; by default its
    // centre) where it is.
    void applyZoom(int percent, QPoint anchor = QPoint(-1, -1));
    // The next zoom of the zoom box up (+1) or down (-1), about a point of the view.
    void zoomStep(int direction, QPoint anchor);
    // The commands beyond the form's: redo, close shape, points table, round corner, the point
    // fields, the wider zoom range (UnPolEditor_Commands.cpp).
    void createEditCommands();
    // The View menu (UnPolEditor_View.cpp).
    void createViewMenu();
    // The outline's box in control pixels at 100 % (empty when there is no outline).
    QRectF outlineBox() const;
    // The whole outline lies inside the scroll box's view as it is now.
    bool outlineInView() const;
    // Wheel zoom and scroll, middle-button pan; true when the event was used.
    bool navigationEvent(QObject* watched, QEvent* event);
    // Group colours on edges and vertex handles over the outline.
    void paintOverlay(QPainter* painter);
    // On a path, "h" and the height in millimetres beside each vertex that has one.
    void paintHeights(QPainter* painter);
    void showPointFields();
    // A stored point in millimetres of the solid, and back.
    double toMm(double stored) const;
    int32_t toStored(double mm) const;
    // After an undo or redo: the scale and Closed box the control's snapshot brought back.
    void takeUndoneState();
    // The outline as stored, and replaced as one undo step with its heights (none: 0); alongside
    // sets within that step what goes with the outline (its scale, the Closed box).
    std::vector<OutlineVertex> storedOutline() const;
    void replaceOutline(const std::vector<OutlineVertex>& stored,
                        const std::function<void()>& alongside = {},
                        const std::vector<float>& heights = {});
    // Stored rows (StoreExactly) and their heights (StoreHeights) into the outline as one undo
    // step, with their scale; in place (the same vertices, keeping the selection) or replacing
    // the outline, whose records give the groups. The status bar tells of a refined scale and of a
    // point that moved.
    void placeStored(const TStoredRows& stored, std::vector<OutlineVertex> outline,
                     const std::vector<float>& heights, bool inPlace,
                     const std::function<void()>& alongside = {});
    // Rows in millimetres of the solid (with their heights) stored exactly and placed.
    void placeRows(const std::vector<TPointRow>& rows, std::vector<OutlineVertex> outline,
                   bool inPlace, const std::function<void()>& alongside = {});
    // StoreExactly for rows in millimetres of the solid, within the drawing sheet's reach.
    TStoredRows storeExactly(const std::vector<TPointRow>& rows) const;
    // The outline's stored points (and heights) in millimetres of the solid.
    std::vector<TPointRow> outlineMm() const;
    // A path that ends on its start is closed, unless the user unticked Closed polygon for it;
    // the status bar says so.
    void closeEndingPath();
    // The state an edit started with, for HasChanges.
    void noteLoadedState();
    QString groupIds() const;
    // Takes an undo snapshot and runs the command on the control (whose commands repaint it).
    void edit(const std::function<void(TMultiLineEdit&)>& command);
    // The rulers follow the control as it scrolls, moves, resizes and zooms, and take its grid.
    void placeRulers();
    // The group list row of the chosen group, or -1.
    int chosenGroupRow() const;
    int groupPosition(int32_t id) const;
    void addGroupLine(int32_t id, TColor color);
    void showBackgroundTab();
    void showVertexCount();
    // Where stored (0, 0) lies on the control at the current zoom, in pixels.
    Point2 originPixel() const;

    std::unique_ptr<Ui::TPolEdit> ui;
    QAction* deleteAction = nullptr;
    QLabel* panels[3] = {nullptr, nullptr, nullptr};
    QEventLoop* modalLoop = nullptr;
    bool FSaved = false;
    bool FCancelled = false;
    bool FClosed = false;
    bool Leaving = false; // the user chose to leave: closing asks nothing more
    bool KeepOpen =
        false; // the user unticked Closed polygon: a path ending on its start stays open
    std::vector<OutlineVertex> LoadedOutline;
    bool LoadedClosed = false;
    bool GivenClosed = false; // the Closed flag SetData was given
    QString LoadedGroups;
    TPointFields* PointFields = nullptr;
    TRoundCornerDialog* CornerDialog = nullptr;
    std::vector<float> LoadedHeights; // the heights an edit started with
    std::vector<float> SavedHeights;  // the heights of the outline Save handed back
    bool Panning = false;
    QPoint PanFrom, PanScroll;
};
