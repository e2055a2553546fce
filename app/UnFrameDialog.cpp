// The frame-for-a-picture dialog and its profile drawing.
#include "app/UnFrameDialog.h"

#include "app/Internationalization.h"
#include "app/UnDataDirectory.h"
#include "app/unPalvorin.h"
#include "model/UnTExtrObj.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The profile drawn across the path (x to the right, outward of the frame), the rebate's line on
// it; a click takes the x of the nearest vertex.
class TProfileRebateView : public QWidget {
  public:
    TProfileRebateView(const TExtrObj& object, QDoubleSpinBox& rebate, QWidget* parent)
        : QWidget(parent), rebate_(rebate) {
        setObjectName(QStringLiteral("pbProfile"));
        setMinimumSize(260, 180);
        const double s = object.ProfileScale() / 100.0;
        for (int i = 0; i < std::min(object.ProfileCount, MaxOutlineVertices); ++i)
            points_ << QPointF(object.Profile[size_t(i)].X * s, object.Profile[size_t(i)].Y * s);
        setToolTip(translatedText("Click the vertex the picture's edge rests against"));
        connect(&rebate, &QDoubleSpinBox::valueChanged, this, [this] { update(); });
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (points_.isEmpty()) return;
        const QTransform t = toView();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(0xE8, 0xD8, 0xB8));
        p.drawPolygon(t.map(QPolygonF(points_)));
        p.setBrush(Qt::black);
        for (const QPointF& v : points_)
            p.drawEllipse(t.map(v), 2.5, 2.5);
        const double x = t.map(QPointF(rebate_.value(), 0)).x();
        p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 1.5, Qt::DashLine));
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
        p.setPen(Qt::darkGray);
        p.drawText(rect().adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignBottom,
                   translatedText("picture side"));
        p.drawText(rect().adjusted(6, 4, -6, -4), Qt::AlignRight | Qt::AlignBottom,
                   translatedText("outside"));
    }
    void mousePressEvent(QMouseEvent* event) override {
        const QTransform t = toView();
        double best = 1e300, x = rebate_.value();
        for (const QPointF& v : points_) {
            const double d = QLineF(t.map(v), event->position()).length();
            if (d < best) best = d, x = v.x();
        }
        rebate_.setValue(x);
    }

  private:
    QTransform toView() const {
        const QRectF b = QPolygonF(points_).boundingRect();
        const double k = std::min((width() - 40) / std::max(b.width(), 1e-6),
                                  (height() - 40) / std::max(b.height(), 1e-6));
        QTransform t;
        t.translate(20 + (width() - 40 - b.width() * k) / 2, height() - 20);
        t.scale(k, -k);
        t.translate(-b.left(), -b.top());
        return t;
    }
    QList<QPointF> points_;
    QDoubleSpinBox& rebate_;
};

QDoubleSpinBox* field(QWidget* parent, const char* name, double lo, double hi, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lo, hi);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

} // namespace

TFrameDialog::TFrameDialog(const TExtrObj& object, QWidget* parent)
    : QDialog(parent), object_(object) {
    setObjectName(QStringLiteral("frmFrame"));
    setWindowTitle(translatedText("Frame for a picture"));
    const std::vector<double> steps = profileSteps(object);
    QSettings settings = programSettings();
    width_ = field(this, "sePictureWidth", 1, 10000, settings.value("frame/width", 300).toDouble());
    height_ =
        field(this, "sePictureHeight", 1, 10000, settings.value("frame/height", 200).toDouble());
    allowance_ = field(this, "seFrameAllowance", 0, 100, 2);
    rebate_ = field(this, "seRebate", steps.empty() ? 0 : steps.front(),
                    steps.empty() ? 0 : steps.back(), proposedRebate(object));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(translatedText("Picture &width"), width_);
    form->addRow(translatedText("Picture &height"), height_);
    form->addRow(translatedText("&Allowance (in all)"), allowance_);
    form->addRow(translatedText("&Rebate (x across the profile)"), rebate_);
    layout->addLayout(form);
    layout->addWidget(new TProfileRebateView(object, *rebate_, this), 1);
    problem_ = new QLabel(this);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QDoubleSpinBox* box : {width_, height_, allowance_, rebate_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TFrameDialog::check);
    check();
}

TFrameSettings TFrameDialog::settings() const {
    return {width_->value(), height_->value(), allowance_->value(), rebate_->value()};
}

void TFrameDialog::check() {
    const std::string problem = checkFrameSettings(object_, settings());
    problem_->setText(problem.empty() ? QString() : translatedText(problem.c_str()));
    if (auto* buttons = findChild<QDialogButtonBox*>())
        buttons->button(QDialogButtonBox::Ok)->setEnabled(problem.empty());
}

void frameForAPicture(TfrmPalvorin& window) {
    TExtrObj* object = window.CurrentObject;
    if (object == nullptr) return;
    if (object->ProfileCount < 3) {
        QMessageBox::information(
            &window, translatedText("Frame for a picture"),
            translatedText("Draw the moulding's profile first: the frame is built "
                           "from its rebate."));
        return;
    }
    TFrameDialog dialog(*object, &window);
    if (dialog.exec() != QDialog::Accepted) return;
    const TFrameSettings s = dialog.settings();
    programSettings().setValue("frame/width", s.Width);
    programSettings().setValue("frame/height", s.Height);
    makePictureFrame(*object, s);
    window.RecordStep(translatedText("Frame for a picture") + QStringLiteral(" ") +
                      QString::fromStdString(object->Name));
    window.Redraw();
}
