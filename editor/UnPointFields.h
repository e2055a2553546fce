// The selected point's X and Y in millimetres of the solid, as two fields on the editor's tool
// bar: they show the one selected point and move it exactly to a typed value (Return).
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

class TPointFields : public QWidget {
    Q_OBJECT
  public:
    explicit TPointFields(QWidget* parent = nullptr);

    // The second field's name: Y for a profile, Z for a path.
    void SetYName(const QString& name);
    // Shows a point (fields enabled) or none (fields empty and disabled); a field being typed in
    // keeps its text.
    void ShowPoint(bool shown, double x, double y);
    QLineEdit* xField() const { return FX; }
    QLineEdit* yField() const { return FY; }

  signals:
    // Return in either field, with both fields' texts.
    void Typed(const QString& x, const QString& y);

  private:
    QLabel* FYName;
    QLineEdit *FX, *FY;
};
