// The main window's File > Export picture...: the current view drawn again offscreen at a chosen
// size and saved as a PNG file.
#include "app/Internationalization.h"
#include "app/UnBusyCursor.h"
#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"
#include "scene/UnOffscreenView.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QSaveFile>
#include <QSpinBox>

#include <stdexcept>

namespace {

constexpr const char* PictureSizeTitle = "Picture size";
constexpr const char* WidthLabel = "Width (pixels)";
constexpr const char* HeightLabel = "Height (pixels)";
constexpr const char* PngFiles = "PNG pictures";
constexpr const char* PictureTooLarge = "The picture cannot be drawn at %1 x %2 pixels.";
constexpr const char* PictureNotSaved = "The picture could not be saved in %1: %2";

// The size last chosen in this run (0: the view's own size).
int lastWidth = 0, lastHeight = 0;

} // namespace

bool TfrmPalvorin::choosePictureSize(int& width, int& height) {
    QDialog dialog(this);
    dialog.setWindowTitle(translatedText(PictureSizeTitle));
    auto* form = new QFormLayout(&dialog);
    QSpinBox* sides[2];
    for (int k = 0; k < 2; ++k) {
        sides[k] = new QSpinBox(&dialog);
        sides[k]->setRange(MinPictureSize, MaxPictureSize);
        sides[k]->setValue(k == 0 ? width : height);
        sides[k]->setObjectName(k == 0 ? QStringLiteral("pictureWidth")
                                       : QStringLiteral("pictureHeight"));
        form->addRow(translatedText(k == 0 ? WidthLabel : HeightLabel), sides[k]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    sides[0]->selectAll();
    if (dialog.exec() != QDialog::Accepted) return false;
    width = sides[0]->value();
    height = sides[1]->value();
    return true;
}

void TfrmPalvorin::mnExportPictureClick() {
    runCommand([&] {
        int width = lastWidth > 0 ? lastWidth : ui->glcanvas->pixelWidth();
        int height = lastHeight > 0 ? lastHeight : ui->glcanvas->pixelHeight();
        width = qBound(int(MinPictureSize), width, int(MaxPictureSize));
        height = qBound(int(MinPictureSize), height, int(MaxPictureSize));
        if (!choosePictureSize(width, height)) return;
        lastWidth = width;
        lastHeight = height;
        const QString name =
            chooseExportName(QStringLiteral(".png"), QString::fromUtf8(PngFiles));
        if (name.isEmpty()) return;
        ExportPicture(name, width, height);
    });
}

void TfrmPalvorin::ExportPicture(const QString& fileName, int width, int height) {
    TGLCanvas* canvas = ui->glcanvas;
    if (canvas->context() == nullptr || !scene.ready) return; // no view yet, nothing to show
    if (!SceneReady) Redraw();
    TBusyCursor busy;
    canvas->makeCurrent();
    QImage picture;
    {
        QOpenGLFramebufferObject frame(width, height, QOpenGLFramebufferObject::Depth);
        if (!frame.isValid() || !frame.bind())
            throw std::runtime_error(
                translatedText(PictureTooLarge).arg(width).arg(height).toStdString());
        // The view's camera and lists at the picture's size; the view gets its own size back.
        struct RestoreView {
            TGLCanvas* canvas;
            ~RestoreView() {
                canvas->context()->functions()->glBindFramebuffer(
                    GL_FRAMEBUFFER, canvas->defaultFramebufferObject());
                resizeScene(canvas->pixelWidth(), canvas->pixelHeight());
            }
        } restore{canvas};
        resizeScene(width, height);
        drawFrame();
        picture = frame.toImage().convertToFormat(QImage::Format_RGB888);
    }
    Repaint();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        throw std::runtime_error(
            translatedText(PictureNotSaved).arg(fileName, file.errorString()).toStdString());
}
