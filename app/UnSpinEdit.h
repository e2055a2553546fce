// A whole-number field with arrows: limited typing, the value pulled into range on leaving it.
#pragma once

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;

  protected:
    // Only a minus sign and no more digits than the bounds have can be typed (the line's own
    // length limit would also cut values set from the program, "-180" in a -360..360 field); a
    // number outside the range is kept as typed until the field is left or confirmed, then pulled
    // to the nearest bound; text that is not a number ("", "-") reads as the minimum.
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
};
