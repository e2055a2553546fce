// The measurements dock: figures of the welded meshes, the outlines and a chosen material.
#include "app/UnMeasurementsDock.h"

#include "app/Internationalization.h"
#include "app/UnDataDirectory.h"
#include "app/UnGLCanvas.h"
#include "app/UnQtText.h"
#include "app/unPalvorin.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMetaObject>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const MaterialKey = "measurements/material";
const char* const DensityKey = "measurements/density";
// Windows at least this wide show the dock from the start.
constexpr int WideWindow = 1100;

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString sizeText(const TMeshMeasures& m) {
    return QStringLiteral("%1 × %2 × %3 mm")
        .arg(number(m.Size(0), 2), number(m.Size(1), 2), number(m.Size(2), 2));
}

} // namespace

TMeasurementsDock::TMeasurementsDock(TfrmPalvorin& window)
    : QDockWidget(translatedText("Measurements"), &window), window_(window) {
    setObjectName(QStringLiteral("dockMeasurements"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    figures_ = new QTreeWidget(body);
    figures_->setObjectName(QStringLiteral("twMeasurements"));
    figures_->setColumnCount(2);
    figures_->setMinimumWidth(320);
    figures_->setHeaderHidden(true);
    figures_->setRootIsDecorated(false);
    figures_->setSelectionMode(QAbstractItemView::NoSelection);
    figures_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(figures_, 1);

    auto* form = new QFormLayout;
    material_ = new QComboBox(body);
    material_->setObjectName(QStringLiteral("cbMaterial"));
    for (const TMaterial& m : Materials)
        material_->addItem(
            QStringLiteral("%1 (%2 kg/m³)").arg(translatedText(m.Name)).arg(number(m.Density, 0)),
            m.Density);
    material_->addItem(translatedText("Custom"), 0.0);
    density_ = new QDoubleSpinBox(body);
    density_->setObjectName(QStringLiteral("seDensity"));
    density_->setRange(1, 30000);
    density_->setDecimals(0);
    density_->setSuffix(QStringLiteral(" kg/m³"));
    form->addRow(translatedText("&Material"), material_);
    form->addRow(translatedText("&Density"), density_);
    layout->addLayout(form);
    setWidget(body);

    QSettings settings = programSettings();
    material_->setCurrentIndex(
        std::clamp(settings.value(MaterialKey, 1).toInt(), 0, int(Materials.size())));
    density_->setValue(settings.value(DensityKey, 750.0).toDouble());
    materialChosen();
    connect(material_, &QComboBox::currentIndexChanged, this, [this] {
        materialChosen();
        programSettings().setValue(MaterialKey, material_->currentIndex());
        fill();
    });
    connect(density_, &QDoubleSpinBox::valueChanged, this, [this] {
        if (density_->isEnabled()) programSettings().setValue(DensityKey, density_->value());
        fill();
    });

    auto* copy = new QAction(translatedText("&Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(figuresText()); });

    // Every change of the document ends in a new frame of the view.
    connect(window.glcanvas(), &QOpenGLWidget::frameSwapped, this,
            &TMeasurementsDock::scheduleRefresh);
}

void TMeasurementsDock::materialChosen() {
    const bool custom = material_->currentIndex() == int(Materials.size());
    density_->setEnabled(custom);
    if (!custom) {
        const QSignalBlocker quiet(density_);
        density_->setValue(material_->currentData().toDouble());
    } else {
        density_->setValue(programSettings().value(DensityKey, 750.0).toDouble());
    }
}

double TMeasurementsDock::density() const {
    return density_->value();
}

void TMeasurementsDock::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    scheduleRefresh();
}

void TMeasurementsDock::scheduleRefresh() {
    if (refreshQueued_ || !isVisible()) return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshQueued_ = false;
            try {
                refresh();
            } catch (const std::exception&) {
                // The view reports the document's own errors; the figures just stay.
            }
        },
        Qt::QueuedConnection);
}

void TMeasurementsDock::refresh() {
    if (!window_.Document) return;
    std::string bytes = window_.Document->SaveToBytes();
    if (bytes == measuredBytes_ && window_.SelectedIndex == measuredIndex_) return;
    measures_ = measureDocument(*window_.Document);
    measuredBytes_ = std::move(bytes);
    measuredIndex_ = window_.SelectedIndex;
    fill();
}

void TMeasurementsDock::fill() {
    figures_->clear();
    auto heading = [&](const QString& text) {
        auto* item = new QTreeWidgetItem(figures_, {text});
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setFirstColumnSpanned(true);
    };
    auto row = [&](const char* name, const QString& value) {
        new QTreeWidgetItem(figures_, {translatedText(name), value});
    };
    const double kg = density();
    auto solidFigures = [&](const TMeshMeasures& m, bool withMass) {
        row("Size", sizeText(m));
        row("Volume", m.Solid ? number(m.Volume / 1000, 2) + QStringLiteral(" cm³")
                              : translatedText("not a solid"));
        row("Surface area", number(m.Area / 100, 2) + QStringLiteral(" cm²"));
        if (withMass)
            row("Mass", m.Solid ? number(massKg(m.Volume, kg), 3) + QStringLiteral(" kg")
                                : translatedText("not a solid"));
    };
    const int index = window_.SelectedIndex;
    if (index >= 0 && size_t(index) < measures_.Objects.size()) {
        const TObjectMeasures& o = measures_.Objects[size_t(index)];
        heading(translatedText("Current object: %1").arg(modelText(o.Name)));
        if (!o.Problem.empty())
            row("Cannot be measured", translatedText(o.Problem.c_str()));
        else
            solidFigures(o.Mesh, true);
        row("Profile area", number(o.Outlines.ProfileArea / 100, 2) + QStringLiteral(" cm²"));
        row("Profile perimeter", number(o.Outlines.ProfilePerimeter, 2) + QStringLiteral(" mm"));
        row("Path length", number(o.Outlines.PathLength, 2) + QStringLiteral(" mm"));
    }
    heading(translatedText("Document"));
    if (measures_.Whole.Built)
        solidFigures(measures_.Whole, true);
    else
        row("Cannot be measured", translatedText("no complete object"));
}

QString TMeasurementsDock::figuresText() const {
    QStringList lines;
    for (int i = 0; i < figures_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = figures_->topLevelItem(i);
        lines << (item->text(1).isEmpty() ? item->text(0)
                                          : item->text(0) + QLatin1Char('\t') + item->text(1));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

TMeasurementsDock* installMeasurementsDock(TfrmPalvorin& window) {
    auto* dock = new TMeasurementsDock(window);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    QAction* toggle = dock->toggleViewAction();
    toggle->setText(translatedText("&Measurements"));
    toggle->setObjectName(QStringLiteral("mnMeasurements"));
    if (auto* view = window.findChild<QMenu*>(QStringLiteral("mnuView"))) {
        view->addSeparator();
        view->addAction(toggle);
    }
    dock->setVisible(window.width() >= WideWindow ||
                     (window.screen() && window.screen()->availableSize().width() >= WideWindow));
    return dock;
}
