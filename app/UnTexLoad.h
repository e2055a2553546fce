// The texture chooser: lists the texture table, previews a texture, adds and deletes textures.
#pragma once

#include "scene/UnBmpTex.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class TTexLoad;
}
class QComboBox;
class TTexturePreview;
class QLineEdit;
class QPushButton;

class TTexLoad : public QDialog {
    Q_OBJECT
  public:
    explicit TTexLoad(QWidget* parent = nullptr);
    ~TTexLoad() override;

    // The dialog's copy of the texture table, one entry per list item, in the same order.
    std::vector<TTextureObj> textureList;
    // The file chosen with "Select from file" (the picture dialog's file name).
    QString PictureFileName;
    // Where the picture dialog starts when no file was chosen yet.
    QString PictureDirectory;
    // Set once the texture table was changed (a texture added or deleted).
    bool Changed = false;
    // Run before the texture table changes: makes the view's context current for the upload.
    std::function<void()> BeforeTableChange;
    // The name of an object that uses the texture, or empty: such a texture cannot be deleted.
    std::function<std::string(const std::string&)> TextureUser;

    void setTextureList(const std::vector<TTextureObj>& textures);
    void removeTexture(const TTextureObj& texture);

    QComboBox* texCombo() const;
    TTexturePreview* curtexture() const;
    QLineEdit* texname() const;
    QPushButton* button(const char* name) const;

  public slots:
    void texComboChange();
    void newClick();
    void loadClick();
    void okClick();
    void deleteClick();
    void cancelClick();

  protected:
    // The picture dialog; an empty result means it was cancelled.
    virtual QString choosePicture();
    virtual void showMessage(QMessageBox::Icon icon, const QString& text);

  private:
    void showPicture(const QImage& picture, const QString& fileName);

    std::unique_ptr<Ui::TTexLoad> ui;
};
