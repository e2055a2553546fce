// The colour and texture chooser: fills its controls from the values when shown, writes them back
// only on Confirm; the texture preview reads the picture with the program's own loaders.
#include "editor/UnGroupEdit.h"

#include "app/Internationalization.h"
#include "editor/GraphicListBox.h"
#include "ui_UnGroupEdit.h"

#include <QColorDialog>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextOption>

#include <exception>
#include <stdexcept>

TTexturePreview::TTexturePreview(QWidget* parent) : QFrame(parent) {}

void TTexturePreview::SetPicture(const QImage& picture) {
    FPicture = picture;
    FMessage.clear();
    update();
}

void TTexturePreview::SetMessage(const QString& message) {
    FPicture = QImage();
    FMessage = message;
    update();
}

void TTexturePreview::Clear() {
    SetMessage(QString());
}

QRect TTexturePreview::PictureRect() const {
    if (FPicture.isNull()) return QRect();
    const QRect area = contentsRect().adjusted(2, 2, -2, -2);
    QSize size = FPicture.size();
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    QRect r(QPoint(), size.expandedTo(QSize(1, 1)));
    r.moveCenter(area.center());
    return r;
}

void TTexturePreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (!FPicture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PictureRect(), FPicture);
    } else if (!FMessage.isEmpty()) {
        QTextOption option(Qt::AlignCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter.drawText(QRectF(contentsRect().adjusted(8, 8, -8, -8)), FMessage, option);
    }
}

TgroupEdit::TgroupEdit(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TgroupEdit>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The horizontal inversion travels in and out unchanged but is not offered to the user.
    ui->ckInvertX->hide();
    ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->camcel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setSwatch(GroupColor);
    connect(ui->selcolor, &QPushButton::clicked, this, &TgroupEdit::selcolorClick);
    connect(ui->texCombo, &QComboBox::currentIndexChanged, this, &TgroupEdit::texComboChange);
    connect(ui->ok, &QPushButton::clicked, this, &TgroupEdit::okClick);
    connect(ui->camcel, &QPushButton::clicked, this, &TgroupEdit::cancelClick);
    translateForm(this);
}

TgroupEdit::~TgroupEdit() = default;

void TgroupEdit::SetTextures(const std::vector<TTextureObj>& textures) {
    Textures = textures;
}

QFrame* TgroupEdit::gcolor() const {
    return ui->gcolor;
}
QPushButton* TgroupEdit::selcolor() const {
    return ui->selcolor;
}
QComboBox* TgroupEdit::texCombo() const {
    return ui->texCombo;
}
TTexturePreview* TgroupEdit::curtexture() const {
    return ui->curtexture;
}
QCheckBox* TgroupEdit::ckInvertX() const {
    return ui->ckInvertX;
}
QCheckBox* TgroupEdit::ckInvertY() const {
    return ui->ckInvertY;
}
QSpinBox* TgroupEdit::seScaleX() const {
    return ui->seScaleX;
}
QSpinBox* TgroupEdit::seScaleY() const {
    return ui->seScaleY;
}
QPushButton* TgroupEdit::ok() const {
    return ui->ok;
}
QPushButton* TgroupEdit::camcel() const {
    return ui->camcel;
}

void TgroupEdit::FormActivate() {
    setSwatch(GroupColor);
    ui->ckInvertX->setChecked(InvertX);
    ui->ckInvertY->setChecked(InvertY);
    ui->seScaleX->setValue(TextureScaleX);
    ui->seScaleY->setValue(TextureScaleY);
    // The last entry of that name wins; no name (or an unknown one) selects nothing.
    int selected = -1;
    {
        const QSignalBlocker quiet(ui->texCombo);
        ui->texCombo->clear();
        ui->texCombo->addItem(QString());
        for (size_t i = 0; i < Textures.size(); ++i) {
            ui->texCombo->addItem(QString::fromStdString(Textures[i].TexName)); // names are UTF-8
            if (!TextureName.empty() && Textures[i].TexName == TextureName)
                selected = static_cast<int>(i) + 1;
        }
        ui->texCombo->setCurrentIndex(selected);
    }
    ui->curtexture->Clear();
    if (selected >= 1) showTexture(selected - 1);
}

void TgroupEdit::texComboChange(int index) {
    if (index >= 1 && !ui->texCombo->itemText(index).isEmpty())
        showTexture(index - 1);
    else
        ui->curtexture->Clear();
}

void TgroupEdit::selcolorClick() {
    const QColor chosen = chooseColor(colorOf(FSwatchColor));
    if (chosen.isValid()) setSwatch(tcolorOf(chosen));
}

void TgroupEdit::okClick() {
    ui->seScaleX->interpretText();
    ui->seScaleY->interpretText();
    GroupColor = FSwatchColor;
    const int index = ui->texCombo->currentIndex();
    TextureName = index >= 1 && static_cast<size_t>(index) <= Textures.size()
                      ? Textures[static_cast<size_t>(index) - 1].TexName
                      : std::string();
    TextureScaleX = ui->seScaleX->value();
    TextureScaleY = ui->seScaleY->value();
    InvertX = ui->ckInvertX->isChecked();
    InvertY = ui->ckInvertY->isChecked();
    accept();
}

void TgroupEdit::cancelClick() {
    reject();
}

QColor TgroupEdit::chooseColor(const QColor& initial) {
    return QColorDialog::getColor(initial, this);
}

QImage pictureOf(const TTextureImage& image) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() < size_t(image.Width) * size_t(image.Height) * 3)
        return QImage();
    const QImage rows(image.Pixels.data(), image.Width, image.Height, image.Width * 3,
                      QImage::Format_RGB888);
    return rows.mirrored(); // a deep copy, top row first
}

QImage TgroupEdit::loadPicture(const std::string& fileName) {
    const QImage picture = pictureOf(loadTextureImage(fileName));
    if (picture.isNull()) throw std::runtime_error("The picture holds no pixels");
    return picture;
}

void TgroupEdit::ShowTextureParameters(bool show) {
    ui->GroupBox1->setVisible(show);
}

void TgroupEdit::showEvent(QShowEvent* event) {
    FormActivate();
    if (const QScreen* where = parentWidget() ? parentWidget()->screen() : screen())
        move(where->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TgroupEdit::setSwatch(TColor color) {
    FSwatchColor = color;
    QPalette palette = ui->gcolor->palette();
    palette.setColor(QPalette::Window, colorOf(color));
    ui->gcolor->setPalette(palette);
}

void TgroupEdit::showTexture(int entry) {
    const std::string& fileName = Textures[static_cast<size_t>(entry)].FileName;
    try {
        ui->curtexture->SetPicture(loadPicture(fileName));
    } catch (const std::exception& e) {
        ui->curtexture->SetMessage(
            QStringLiteral("Cannot show the picture \"%1\":\n%2")
                .arg(QFile::decodeName(fileName.c_str()), QString::fromLocal8Bit(e.what())));
    }
}
