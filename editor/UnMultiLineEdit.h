// The polyline edit control as a Qt widget: it feeds mouse and arrow-key events to the control's
// logic (TMultiLineEditCore), paints it through QPainter, holds its size, and tells the host
// about mouse positions, paints, double clicks and selections.
#pragma once

#include "editor/UnMultiLineEditCore.h"
#include "editor/UnPainterCanvas.h"

#include <QWidget>

class QPainter;

class TMultiLineEdit : public QWidget, public TMultiLineEditCore, private TMultiLineEditView {
    Q_OBJECT

  public:
    explicit TMultiLineEdit(QWidget* parent = nullptr);

    // Loads a picture file as the background (24 bits per pixel); false, with the old picture
    // kept, when the file is not a readable picture.
    bool LoadBackground(const QString& fileName);
    void ClearBackground();
    // Qt::Key_Left/Up/Right/Down go to ArrowNudge; true when the key was one of them.
    bool HandleArrowKey(int key);

  signals:
    // Pixel position, after the control has handled the move.
    void OnMouseMove(int x, int y);
    // After the control has painted; the host may draw on top (the painter is still active).
    void OnPaint(QPainter* painter);
    // Before the press that the double click also is.
    void OnDblClick(int x, int y);
    void OnSelect(TMultiLineEdit* sender, const QString& className);
    // The outline, its selection or the zoom may have changed (the control repaints).
    void OnChange();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TPainterCanvas::TPictureCache PictureCache;

    void RequestPaint() override {
        update();
        emit OnChange();
    }
    TFCBounds GetBounds() const override;
    void SetBounds(const TFCBounds& bounds) override;
    void ShowCursor(TFCCursor cursor) override;
    void FigureSelected(const std::string& className) override;
};
