// The polyline edit control as a Qt widget: it feeds mouse and arrow-key events to the control's
// logic (TMultiLineEditCore), paints it through QPainter, holds its size, and tells the host
// about mouse positions, paints, double clicks and selections.
#include "editor/UnMultiLineEdit.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cstring>

namespace {

TFCMouseButton buttonOf(const QMouseEvent* e) {
    switch (e->button()) {
    case Qt::LeftButton:
        return TFCMouseButton::Left;
    case Qt::RightButton:
        return TFCMouseButton::Right;
    default:
        return TFCMouseButton::Middle;
    }
}

bool shiftOf(const QMouseEvent* e) {
    return e->modifiers() & Qt::ShiftModifier;
}

} // namespace

TMultiLineEdit::TMultiLineEdit(QWidget* parent)
    : QWidget(parent), TMultiLineEditCore(static_cast<TMultiLineEditView&>(*this)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted from the control's state
}

bool TMultiLineEdit::LoadBackground(const QString& fileName) {
    QImage image(fileName);
    if (image.isNull()) return false;
    image = image.convertToFormat(QImage::Format_BGR888);
    TFCBitmap picture;
    picture.Width = image.width();
    picture.Height = image.height();
    picture.Pixels.resize(size_t(picture.Width) * picture.Height * 3);
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(picture.Pixels.data() + size_t(y) * picture.Width * 3, image.constScanLine(y),
                    size_t(picture.Width) * 3);
    SetBackgroundPicture(std::move(picture));
    return true;
}

void TMultiLineEdit::ClearBackground() {
    SetBackgroundPicture({});
    PictureCache = {};
}

bool TMultiLineEdit::HandleArrowKey(int key) {
    // Qt numbers the arrow keys in the order of TFCArrowKey.
    static_assert(Qt::Key_Up - Qt::Key_Left == int(TFCArrowKey::Up) &&
                  Qt::Key_Right - Qt::Key_Left == int(TFCArrowKey::Right) &&
                  Qt::Key_Down - Qt::Key_Left == int(TFCArrowKey::Down));
    if (key < Qt::Key_Left || key > Qt::Key_Down) return false;
    ArrowNudge(static_cast<TFCArrowKey>(key - Qt::Key_Left));
    return true;
}

void TMultiLineEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TPainterCanvas canvas(painter, PictureCache);
    Paint(canvas);
    emit OnPaint(&painter);
}

void TMultiLineEdit::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    MouseDown(buttonOf(e), shiftOf(e), p.x(), p.y());
}

void TMultiLineEdit::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    MouseMove(shiftOf(e), p.x(), p.y());
    emit OnMouseMove(p.x(), p.y());
}

void TMultiLineEdit::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    MouseUp(buttonOf(e), shiftOf(e), p.x(), p.y());
}

void TMultiLineEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) emit OnDblClick(p.x(), p.y());
    MouseDown(buttonOf(e), shiftOf(e), p.x(), p.y());
}

void TMultiLineEdit::keyPressEvent(QKeyEvent* e) {
    if (!HandleArrowKey(e->key())) QWidget::keyPressEvent(e);
}

TFCBounds TMultiLineEdit::GetBounds() const {
    const QRect g = geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void TMultiLineEdit::SetBounds(const TFCBounds& b) {
    setGeometry(b.Left, b.Top, b.Width, b.Height);
}

void TMultiLineEdit::ShowCursor(TFCCursor cursor) {
    switch (cursor) {
    case TFCCursor::Drag:
        setCursor(Qt::SizeAllCursor);
        break;
    case TFCCursor::Cross:
        setCursor(Qt::CrossCursor);
        break;
    default:
        unsetCursor();
    }
}

void TMultiLineEdit::FigureSelected(const std::string& className) {
    emit OnSelect(this, QString::fromLatin1(className));
}
