// Pictures of the program, drawn from the SVG files compiled into its resources.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The SVG resource ":/icons/<name>.svg" rendered at the usual icon sizes.
QIcon svgIcon(const QString& name);
// The same picture at one size (device-independent pixels; sharp on high-density screens).
QPixmap svgPixmap(const QString& name, const QSize& size, qreal devicePixelRatio = 1.0);
