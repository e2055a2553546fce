// Object > Frame for a picture: the picture's size, an allowance and the profile's rebate (chosen
// on a drawing of the profile or typed) give the current object its closed frame path.
#pragma once

#include "making/UnPictureFrame.h"

#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class TExtrObj;

class TFrameDialog : public QDialog {
    Q_OBJECT
  public:
    TFrameDialog(const TExtrObj& object, QWidget* parent);
    // What the fields say.
    TFrameSettings settings() const;
    // The rebate's field (the drawing sets it on a click).
    QDoubleSpinBox* rebate() const { return rebate_; }

  private:
    void check();
    QDoubleSpinBox *width_, *height_, *allowance_, *rebate_;
    QLabel* problem_;
    const TExtrObj& object_;
};

// Runs the dialog for window's current object and, on OK, gives it the frame's path.
class TfrmPalvorin;
void frameForAPicture(TfrmPalvorin& window);
