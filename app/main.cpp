// Program entry: an application object that shows stray exceptions, and the main window.
#include "app/UnGLCanvas.h"
#include "app/UnWindowFactory.h"
#include "app/unPalvorin.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTimer>

#include <exception>

namespace {

// No exception may cross the event loop: whatever a handler lets through is shown and dropped.
class TPalvorinApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            showError(messageText(e.what()));
        } catch (...) {
            showError(QStringLiteral("Unknown error"));
        }
        return false;
    }

  private:
    static void showError(const QString& text) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Palvorin"), text, QMessageBox::Ok,
                        activeWindow());
        box.exec();
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QSurfaceFormat::setDefaultFormat(TGLCanvas::surfaceFormat());
    TPalvorinApplication app(argc, argv);
    // The application's title; a display name would be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("Palvorin generator"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));

    // palvorin [document.PLV] [--screenshot picture.png]
    QString documentName;
    QString screenshotName;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshotName = args[++i];
        else if (documentName.isEmpty())
            documentName = args[i];
    }

    // The objects open their editor windows through this; the main window's commands need it.
    TPalvorinWindowFactory objectWindows;
    setObjectWindowFactory(&objectWindows);
    TfrmPalvorin window;
    if (screenshotName.isEmpty()) {
        window.showMaximized();
    } else {
        // Without a window manager "maximised" means nothing: take the whole screen.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window.setGeometry(screen->availableGeometry());
        window.show();
    }

    if (!documentName.isEmpty()) {
        // The document's textures go to the view's context, so it is opened once that exists.
        auto open = [&window, documentName] {
            window.OpenDocument(documentName);
            try {
                window.Redraw();
            } catch (const std::exception& e) {
                QMessageBox::critical(&window, QStringLiteral("Palvorin"), messageText(e.what()));
            }
        };
        if (window.glcanvas()->isValid())
            QTimer::singleShot(0, &window, open);
        else
            QObject::connect(
                window.glcanvas(), &TGLCanvas::glInitialize, &window,
                [&window, open] { QTimer::singleShot(0, &window, open); },
                Qt::SingleShotConnection);
    }
    if (!screenshotName.isEmpty()) {
        QTimer::singleShot(1500, &window, [&window, screenshotName] {
            const bool saved = window.grab().save(screenshotName);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
