// The main window's mouse navigation: drags rotate, move or zoom the camera or the current object;
// the wheel zooms the camera.
#include "app/Internationalization.h"
#include "app/UnGLCanvas.h"
#include "app/UnMessages.h"
#include "app/unPalvorin.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

void TfrmPalvorin::glcanvasMouseDown(int x, int y) {
    MouseDown = true;
    LastMouseX = x;
    LastMouseY = y;
    dragMovedObject = false;
}

// A drag that moved or turned the current object is one step.
void TfrmPalvorin::glcanvasMouseUp(int, int) {
    MouseDown = false;
    if (!dragMovedObject) return;
    dragMovedObject = false;
    runCommand([&] {
        const bool turned = ui->setMouseMoveRot->isChecked();
        RecordStep(translatedText(turned ? msg::TurnStep : msg::MoveStep)
                       .arg(modelText(CurrentObject->Name)));
    });
}

// The wheel zooms the camera in every mode: one notch is the dolly of a 40-pixel zoom drag.
void TfrmPalvorin::glcanvasWheel(int angleDelta) {
    runCommand([&] {
        if (ui->glcanvas->context() == nullptr || !scene.ready) return;
        ui->glcanvas->makeCurrent();
        dollyCamera(float(angleDelta) / 120.0f * 20.0f);
        Repaint();
    });
}

// Recompiles only the current object's placement list; its mesh stays as it is.
void TfrmPalvorin::replaceObjectPlacement() {
    if (CurrentObject->DisplayList == 0) return;
    placeObjectList(static_cast<int32_t>(CurrentObject->DisplayList), CurrentObject->Position,
                    CurrentObject->Rotation);
}

void TfrmPalvorin::glcanvasMouseMove(int x, int y) {
    if (!MouseDown) return;
    runCommand([&] {
        const float dx = float(x - LastMouseX);
        const float dy = float(y - LastMouseY);
        const bool hasView = ui->glcanvas->context() != nullptr && scene.ready;
        if (hasView) ui->glcanvas->makeCurrent();
        if (MoveMode == 1) {
            if (hasView) {
                if (ui->setMouseMoveRot->isChecked())
                    rotateCamera(-dy * 0.5f, -dx * 0.5f);
                else if (ui->setMouseLRUD->isChecked())
                    panCamera(-dx * 0.5f, dy * 0.5f);
                else if (ui->setMouseZoom->isChecked())
                    dollyCamera(-dy * 0.5f);
            }
        } else {
            const Vec3 p = CurrentObject->Position;
            const Vec3 r = CurrentObject->Rotation;
            if (ui->setMouseMoveRot->isChecked())
                CurrentObject->SetRotation(Vec3{r.X - dy * 0.5f, r.Y - dx * 0.5f, r.Z});
            else if (ui->setMouseLRUD->isChecked())
                CurrentObject->SetPosition(Vec3{p.X + dx * 0.5f, p.Y + dy * 0.5f, p.Z});
            else if (ui->setMouseZoom->isChecked())
                CurrentObject->SetPosition(Vec3{p.X, p.Y, p.Z - dy * 0.5f});
            if (hasView) {
                replaceObjectPlacement();
                updateSceneExtent();
            }
            if (dx != 0 || dy != 0) dragMovedObject = true;
        }
        Repaint();
        LastMouseX = x;
        LastMouseY = y;
    });
}
