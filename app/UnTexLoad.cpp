// The texture chooser: the list and preview of the texture table, Add new, Select from file,
// Load as texture, Delete and Exit.
#include "app/UnTexLoad.h"

#include "app/Internationalization.h"
#include "app/UnBusyCursor.h"
#include "editor/UnIcons.h"
#include "app/UnQtText.h"
#include "app/UnMessages.h"
#include "editor/UnGroupEdit.h"
#include "ui_UnTexLoad.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>

namespace {

// The pixels the table keeps (RGB, bottom row first) as a picture; the file when there are none.
QImage tableImage(const TTextureObj& texture) {
    const QImage picture = texture.Image ? pictureOf(*texture.Image) : QImage();
    return picture.isNull() ? QImage(fileNameText(texture.FileName)) : picture;
}

} // namespace

TTexLoad::TTexLoad(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TTexLoad>()) {
    ui->setupUi(this);
    // "new" and "delete" cannot name generated members; the buttons take their names here.
    ui->newButton->setObjectName(QStringLiteral("new"));
    ui->deleteButton->setObjectName(QStringLiteral("delete"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->cancel->setIcon(svgIcon(QStringLiteral("exit")));
    QPalette panel = ui->Panel2->palette();
    panel.setColor(QPalette::Window, QColor(207, 222, 220));
    ui->Panel2->setPalette(panel);
    setMinimumSize(281, 475);

    connect(ui->texCombo, &QComboBox::currentIndexChanged, this, &TTexLoad::texComboChange);
    connect(ui->newButton, &QPushButton::clicked, this, &TTexLoad::newClick);
    connect(ui->deleteButton, &QPushButton::clicked, this, &TTexLoad::deleteClick);
    connect(ui->load, &QPushButton::clicked, this, &TTexLoad::loadClick);
    connect(ui->ok, &QPushButton::clicked, this, &TTexLoad::okClick);
    connect(ui->cancel, &QPushButton::clicked, this, &TTexLoad::cancelClick);
    translateForm(this);
}

TTexLoad::~TTexLoad() = default;

QComboBox* TTexLoad::texCombo() const {
    return ui->texCombo;
}

TTexturePreview* TTexLoad::curtexture() const {
    return ui->curtexture;
}

QLineEdit* TTexLoad::texname() const {
    return ui->texname;
}

QPushButton* TTexLoad::button(const char* name) const {
    return findChild<QPushButton*>(QLatin1String(name));
}

void TTexLoad::setTextureList(const std::vector<TTextureObj>& textures) {
    textureList = textures;
    const QSignalBlocker quiet(ui->texCombo);
    ui->texCombo->clear();
    for (const TTextureObj& t : textureList)
        ui->texCombo->addItem(modelText(t.TexName));
    ui->texCombo->setCurrentIndex(textureList.empty() ? -1 : 0);
    texComboChange();
}

void TTexLoad::texComboChange() {
    const int i = ui->texCombo->currentIndex();
    if (i < 0 || size_t(i) >= textureList.size() || ui->texCombo->currentText().isEmpty()) {
        ui->curtexture->Clear();
        return;
    }
    // A null picture: an image of the document that was missing or unreadable.
    const TTextureObj& texture = textureList[size_t(i)];
    showPicture(tableImage(texture), fileNameText(texture.FileName));
}

// Shrunk to fit, keeping its proportions (a smaller picture keeps its size); a null picture is
// said to be unreadable.
void TTexLoad::showPicture(const QImage& picture, const QString& fileName) {
    if (picture.isNull())
        ui->curtexture->SetMessage(
            translatedText(msg::PictureUnreadable).arg(QFileInfo(fileName).fileName()));
    else
        ui->curtexture->SetPicture(picture);
}

void TTexLoad::newClick() {
    ui->texname->setEnabled(true);
    ui->load->setEnabled(true);
    ui->ok->setEnabled(true);
    ui->texname->setFocus();
}

QString TTexLoad::choosePicture() {
    const QString filter = QStringLiteral("%1 (*.bmp *.jpg *.jpeg *.BMP *.JPG *.JPEG);;%2 (*)")
                               .arg(translatedText(msg::ImageFiles), translatedText(msg::AllFiles));
    const QString start = PictureFileName.isEmpty() ? PictureDirectory : PictureFileName;
    return QFileDialog::getOpenFileName(this, ui->load->text(), start, filter);
}

void TTexLoad::loadClick() {
    const QString file = choosePicture();
    if (file.isEmpty()) return;
    PictureFileName = file;
    showPicture(QImage(file), file); // a preview only: nothing is registered yet
}

void TTexLoad::showMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

void TTexLoad::okClick() {
    const QString name = ui->texname->text().trimmed();
    if (PictureFileName.isEmpty() || name.isEmpty()) {
        showMessage(QMessageBox::Information, translatedText(msg::TextureNameAndFile));
        return;
    }
    const std::string texName = modelString(name);
    for (const TTextureObj& t : textureList) {
        if (t.TexName == texName) {
            showMessage(QMessageBox::Information,
                        translatedText(msg::TextureNameTaken).arg(EchoText(name)));
            return;
        }
    }
    try {
        TBusyCursor busy;
        if (BeforeTableChange) BeforeTableChange();
        addTexture(fileNameBytes(PictureFileName), texName);
    } catch (const std::exception& e) {
        // The dialog stays open so that another file can be chosen.
        showMessage(QMessageBox::Critical,
                    translatedText(msg::TextureNotLoaded).arg(PictureFileName) + QLatin1Char('\n') +
                        translatedText(msg::TechnicalDetails).arg(QString::fromUtf8(e.what())));
        return;
    }
    Changed = true;
    accept();
}

void TTexLoad::deleteClick() {
    const int i = ui->texCombo->currentIndex();
    if (i < 0 || size_t(i) >= textureList.size()) return;
    const TTextureObj texture = textureList[size_t(i)];
    const std::string user = TextureUser ? TextureUser(texture.TexName) : std::string();
    if (!user.empty()) {
        showMessage(
            QMessageBox::Information,
            translatedText(msg::TextureInUse).arg(modelText(texture.TexName), modelText(user)));
        return;
    }
    if (BeforeTableChange) BeforeTableChange();
    deleteTexture(texture);
    removeTexture(texture);
    Changed = true;
    const QSignalBlocker quiet(ui->texCombo);
    ui->texCombo->removeItem(i);
    ui->texCombo->setCurrentIndex(textureList.empty() ? -1 : 0);
    texComboChange();
}

void TTexLoad::removeTexture(const TTextureObj& texture) {
    for (size_t i = textureList.size(); i-- > 0;) {
        if (textureList[i].TexName == texture.TexName) {
            textureList.erase(textureList.begin() + std::ptrdiff_t(i));
            return;
        }
    }
}

void TTexLoad::cancelClick() {
    reject();
}
