// A list box whose items are a text and an optional picture (the profile editor's group list shows
// each group as a colour swatch with its id), and the swatch pictures themselves.
#pragma once

#include "model/unVectorCalc.h"

#include <QColor>
#include <QListWidget>
#include <QPixmap>

// Colour values of the model (0x00BBGGRR) and Qt colours.
inline QColor colorOf(TColor value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}
inline TColor tcolorOf(const QColor& color) {
    return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
           (static_cast<TColor>(color.blue()) << 16);
}
// A square picture filled with the colour (the group list uses 32 x 32).
QPixmap colorPicture(TColor value, int side = 32);

class TGraphicListBox : public QListWidget {
    Q_OBJECT
  public:
    // Every item is ItemHeight pixels high; the pictures keep their own size.
    explicit TGraphicListBox(QWidget* parent = nullptr, int itemHeight = 40);

    int ItemHeight() const { return FItemHeight; }

    // Adds an item; a null picture gives a text-only item. The list keeps its own (shared) copy.
    void AddItem(const QString& text, const QPixmap& picture = QPixmap());
    QPixmap ItemPicture(int index) const;
    // Replaces an item's picture and repaints it.
    void SetItemPicture(int index, const QPixmap& picture);

  private:
    int FItemHeight;
};
