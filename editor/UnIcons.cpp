// Pictures of the program: SVG resources rendered into icons and pixmaps without an icon plugin.
#include "editor/UnIcons.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library; registering them here keeps the linker from dropping
// them.
static void registerResources() {
    Q_INIT_RESOURCE(palvorin);
}

static void initPalvorinResources() {
    static const bool registered = (registerResources(), true);
    (void)registered;
}

QPixmap svgPixmap(const QString& name, const QSize& size, qreal devicePixelRatio) {
    initPalvorinResources();
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon svgIcon(const QString& name) {
    QIcon icon;
    for (int side : {16, 20, 24, 32, 48, 64})
        icon.addPixmap(svgPixmap(name, QSize(side, side)));
    return icon;
}
