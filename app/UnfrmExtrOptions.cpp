// The object properties dialog: the controls from and to the options copy, the textures
// directory chooser and the three colour/texture buttons.
#include "app/UnfrmExtrOptions.h"

#include "app/Internationalization.h"
#include "editor/UnIcons.h"
#include "app/UnQtText.h"
#include "app/UnMessages.h"
#include "app/UnSpinEdit.h"
#include "editor/GraphicListBox.h"
#include "editor/UnGroupEdit.h"
#include "ui_UnfrmExtrOptions.h"

#include <QFileDialog>
#include <QPainter>

namespace {

// A swatch of the pair's colour; hatched when a texture covers it.
QIcon swatch(TColor color, bool textured) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QColor(80, 80, 80));
    p.setBrush(colorOf(color));
    p.drawRect(0, 0, 15, 15);
    if (textured) p.fillRect(1, 1, 14, 14, QBrush(QColor(60, 60, 60), Qt::BDiagPattern));
    return QIcon(picture);
}

} // namespace

TfrmExtrOptionDialog::TfrmExtrOptionDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmExtrOptionDialog>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->ok->setIcon(svgIcon(QStringLiteral("ok")));
    ui->cancel->setIcon(svgIcon(QStringLiteral("cancel")));

    // The most digits that can be typed follow from the bounds.
    struct Range {
        TSpinEdit* spin;
        int minimum, maximum;
    };
    const Range ranges[] = {
        {ui->sePrecision, 1, 20},    {ui->seProfileScale, 10, 500}, {ui->sePathScale, 10, 500},
        {ui->seCoordX, -9999, 9999}, {ui->seCoordY, -9999, 9999},   {ui->seCoordZ, -9999, 9999},
        {ui->seRotX, -360, 360},     {ui->seRotY, -360, 360},       {ui->seRotZ, -360, 360},
    };
    for (const Range& r : ranges)
        r.spin->setRange(r.minimum, r.maximum);

    connect(ui->ok, &QPushButton::clicked, this, &TfrmExtrOptionDialog::okClick);
    connect(ui->cancel, &QPushButton::clicked, this, &TfrmExtrOptionDialog::cancelClick);
    connect(ui->corners, &QPushButton::clicked, this, &TfrmExtrOptionDialog::cornersClick);
    connect(ui->top, &QPushButton::clicked, this, &TfrmExtrOptionDialog::topClick);
    connect(ui->bottom, &QPushButton::clicked, this, &TfrmExtrOptionDialog::bottomClick);
    connect(ui->viewdirlist, &QPushButton::clicked, this, &TfrmExtrOptionDialog::viewdirlistClick);
    translateForm(this);
}

TfrmExtrOptionDialog::~TfrmExtrOptionDialog() = default;

void TfrmExtrOptionDialog::ShowModal(TfrmExtrOption& options) {
    fields = &options;
    FormActivate();
    exec();
    fields = nullptr;
}

void TfrmExtrOptionDialog::FormActivate() {
    if (fields == nullptr) return;
    const TfrmExtrOption& f = *fields;
    ui->sePrecision->setValue(f.Precision);
    ui->seProfileScale->setValue(f.ProfileScale);
    ui->sePathScale->setValue(f.PathScale);
    showTexDir(f.TexDir.empty() && DocumentFolder ? DocumentFolder() : fileNameText(f.TexDir));
    ui->chkLathe->setChecked(f.Lathe);
    ui->chkRoundCorner->setChecked(f.RoundCorner);
    ui->chkEmbCorner->setChecked(f.EmbCorner);
    ui->txName->setText(modelText(f.Name));
    ui->seCoordX->setValue(f.CoordX);
    ui->seCoordY->setValue(f.CoordY);
    ui->seCoordZ->setValue(f.CoordZ);
    ui->seRotX->setValue(f.RotX);
    ui->seRotY->setValue(f.RotY);
    ui->seRotZ->setValue(f.RotZ);
    showPairs();
    ui->PageControl1->setCurrentIndex(0);
    ui->txName->setFocus();
}

void TfrmExtrOptionDialog::okClick() {
    if (fields != nullptr) {
        // Text still being typed counts as if the field had been left.
        for (TSpinEdit* spin : findChildren<TSpinEdit*>())
            spin->interpretText();
        TfrmExtrOption& f = *fields;
        f.PathScale = ui->sePathScale->value();
        f.ProfileScale = ui->seProfileScale->value();
        f.Precision = ui->sePrecision->value();
        QString dir = texDir;
        if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
        f.TexDir = fileNameBytes(dir);
        f.RoundCorner = ui->chkRoundCorner->isChecked();
        f.EmbCorner = ui->chkEmbCorner->isChecked();
        f.Lathe = ui->chkLathe->isChecked();
        f.Name = modelString(ui->txName->text());
        f.CoordX = ui->seCoordX->value();
        f.CoordY = ui->seCoordY->value();
        f.CoordZ = ui->seCoordZ->value();
        f.RotX = ui->seRotX->value();
        f.RotY = ui->seRotY->value();
        f.RotZ = ui->seRotZ->value();
    }
    accept();
}

void TfrmExtrOptionDialog::cancelClick() {
    reject();
}

void TfrmExtrOptionDialog::cornersClick() {
    if (fields)
        chooseColorAndTexture(msg::CornersCaption, fields->CornersColor, fields->CornersTexture);
}

void TfrmExtrOptionDialog::topClick() {
    if (fields) chooseColorAndTexture(msg::TopCaption, fields->TopColor, fields->TopTexture);
}

void TfrmExtrOptionDialog::bottomClick() {
    if (fields)
        chooseColorAndTexture(msg::BottomCaption, fields->BottomColor, fields->BottomTexture);
}

void TfrmExtrOptionDialog::chooseColorAndTexture(const char* caption, TColor& color,
                                                 std::string& texture) {
    TgroupEdit chooser(this);
    chooser.setWindowTitle(translatedText(caption));
    chooser.GroupColor = color;
    chooser.TextureName = texture;
    chooser.SetTextures(fields->Textures);
    // Corners and caps take a colour and a texture only: the texture's scales do not apply.
    chooser.ShowTextureParameters(false);
    chooser.exec();
    // The chooser hands back what the user confirmed, or the values as they came.
    color = chooser.GroupColor;
    texture = chooser.TextureName;
    showPairs();
}

QString TfrmExtrOptionDialog::chooseDirectory(const QString& start) {
    return QFileDialog::getExistingDirectory(this, translatedText(msg::TexturesDirectoryTitle),
                                             start);
}

void TfrmExtrOptionDialog::viewdirlistClick() {
    const QString dir = chooseDirectory(texDir);
    if (!dir.isEmpty()) showTexDir(dir);
}

void TfrmExtrOptionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showTexDir(texDir); // elided to the label's final width
}

void TfrmExtrOptionDialog::showTexDir(const QString& dir) {
    texDir = dir;
    const int room = qMax(80, ui->texdir->width() - 8);
    ui->texdir->setText(ui->texdir->fontMetrics().elidedText(dir, Qt::ElideMiddle, room));
    ui->texdir->setToolTip(dir);
}

void TfrmExtrOptionDialog::showPairs() {
    if (fields == nullptr) return;
    ui->corners->setIcon(swatch(fields->CornersColor, !fields->CornersTexture.empty()));
    ui->top->setIcon(swatch(fields->TopColor, !fields->TopTexture.empty()));
    ui->bottom->setIcon(swatch(fields->BottomColor, !fields->BottomTexture.empty()));
}
