// The selected point's X and Y (on a path X, Z and its height) in millimetres of the solid, as
// fields on the editor's tool bar: they show the one selected point and move it exactly to a
// typed value (Return).
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

class TPointFields : public QWidget {
    Q_OBJECT
  public:
    explicit TPointFields(QWidget* parent = nullptr);

    // A path's fields: Z for the second, and the height field shown.
    void SetPathMode(bool path);
    // Shows a point (fields enabled) or none (fields empty and disabled); a field being typed in
    // keeps its text.
    void ShowPoint(bool shown, double x, double y, double height);
    QLineEdit* xField() const { return FX; }
    QLineEdit* yField() const { return FY; }
    QLineEdit* heightField() const { return FH; }

  signals:
    // Return in any field, with the fields' texts.
    void Typed(const QString& x, const QString& y, const QString& height);

  private:
    QLabel *FYName, *FHName;
    QLineEdit *FX, *FY, *FH;
};
