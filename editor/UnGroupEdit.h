// The colour and texture chooser: one colour, one texture of the table and its scales and
// inversions, handed in as plain values and handed back when the user confirms.
#pragma once

#include "model/unVectorCalc.h"
#include "scene/UnBmpTex.h"

#include <QDialog>
#include <QFrame>
#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TgroupEdit;
}
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

// Shows a picture shrunk to fit (never enlarged), centred, keeping its proportions; or a message.
class TTexturePreview : public QFrame {
    Q_OBJECT
  public:
    explicit TTexturePreview(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    void SetMessage(const QString& message);
    void Clear();
    const QImage& Picture() const { return FPicture; }
    const QString& Message() const { return FMessage; }
    // Where the picture is drawn, in widget coordinates (empty without a picture).
    QRect PictureRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage FPicture;
    QString FMessage;
};

// A decoded texture image (bottom row first) as a picture, top row first; a null picture when the
// image holds no pixels.
QImage pictureOf(const TTextureImage& image);

// Usage: set the values and the textures, optionally the caption (setWindowTitle), exec(); the
// values hold the user's choice when exec() returned Accepted and are untouched otherwise.
class TgroupEdit : public QDialog {
    Q_OBJECT
  public:
    explicit TgroupEdit(QWidget* parent = nullptr);
    ~TgroupEdit() override;

    TColor GroupColor = 0xFFFFFF;
    std::string TextureName; // TexName of the chosen texture; empty for none
    int32_t TextureScaleX = 1;
    int32_t TextureScaleY = 1;
    bool InvertX = false;
    bool InvertY = false;
    std::vector<TTextureObj> Textures;

    void SetTextures(const std::vector<TTextureObj>& textures);
    // Shows or hides the texture's scales and inversions (they mean nothing for a colour and
    // texture that are not a group's).
    void ShowTextureParameters(bool show);

    QFrame* gcolor() const;
    QPushButton* selcolor() const;
    QComboBox* texCombo() const;
    TTexturePreview* curtexture() const;
    QCheckBox* ckInvertX() const;
    QCheckBox* ckInvertY() const;
    QSpinBox* seScaleX() const;
    QSpinBox* seScaleY() const;
    QPushButton* ok() const;
    QPushButton* camcel() const;
    // The colour the swatch shows.
    TColor SwatchColor() const { return FSwatchColor; }

  public slots:
    // Fills the controls from the values; runs each time the window is shown.
    void FormActivate();
    void texComboChange(int index);
    void selcolorClick();
    void okClick();
    void cancelClick();

  protected:
    // The colour dialog; an invalid colour means the user cancelled it.
    virtual QColor chooseColor(const QColor& initial);
    // Reads a texture picture; throws std::exception with the reason when it cannot.
    virtual QImage loadPicture(const std::string& fileName);

    void showEvent(QShowEvent* event) override;

  private:
    void setSwatch(TColor color);
    void showTexture(int entry);

    std::unique_ptr<Ui::TgroupEdit> ui;
    TColor FSwatchColor = 0xFFFFFF;
};
