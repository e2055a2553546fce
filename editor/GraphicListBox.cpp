// The picture list box: an item delegate paints each item as its picture and text in a framed cell.
#include "editor/GraphicListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Picture at (2, 4) inside the item; text 2 pixels below the item's top, 2 pixels right of the
// picture (or of the item's left edge).
constexpr int PictureLeft = 2;
constexpr int PictureTop = 4;
constexpr int TextGap = 2;
constexpr int TextTop = 2;

class TGraphicItemDelegate : public QStyledItemDelegate {
  public:
    TGraphicItemDelegate(TGraphicListBox* box) : QStyledItemDelegate(box), box(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QRect r = option.rect;
        const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        painter->save();
        painter->fillRect(r, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        int textLeft = r.left() + PictureLeft;
        if (!picture.isNull()) {
            painter->setPen(pal.color(QPalette::WindowText));
            painter->drawRect(r.adjusted(0, 0, -1, -1));
            painter->drawPixmap(r.left() + PictureLeft, r.top() + PictureTop, picture);
            // A thin frame keeps a white picture visible on the white item.
            const QSize pictureSize = picture.deviceIndependentSize().toSize();
            painter->setPen(pal.color(QPalette::Mid));
            painter->drawRect(QRect(QPoint(r.left() + PictureLeft - 1, r.top() + PictureTop - 1),
                                    pictureSize + QSize(1, 1)));
            const int pictureWidth = pictureSize.width();
            textLeft = r.left() + PictureLeft + pictureWidth + TextGap;
        }
        painter->setFont(option.font);
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(textLeft, r.top() + TextTop, r.right() - textLeft, r.height()),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), box->ItemHeight());
    }

  private:
    TGraphicListBox* box;
};

} // namespace

QPixmap colorPicture(TColor value, int side) {
    QPixmap picture(side, side);
    picture.fill(colorOf(value));
    return picture;
}

TGraphicListBox::TGraphicListBox(QWidget* parent, int itemHeight)
    : QListWidget(parent), FItemHeight(itemHeight) {
    setItemDelegate(new TGraphicItemDelegate(this));
    setUniformItemSizes(true);
}

void TGraphicListBox::AddItem(const QString& text, const QPixmap& picture) {
    auto* entry = new QListWidgetItem(text, this);
    if (!picture.isNull()) entry->setData(Qt::DecorationRole, picture);
}

QPixmap TGraphicListBox::ItemPicture(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(Qt::DecorationRole).value<QPixmap>() : QPixmap();
}

void TGraphicListBox::SetItemPicture(int index, const QPixmap& picture) {
    if (QListWidgetItem* entry = item(index)) entry->setData(Qt::DecorationRole, picture);
}
