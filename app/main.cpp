// Program entry: an application object that shows stray exceptions, and the main window.
#include "app/Internationalization.h"
#include "app/UnGLCanvas.h"
#include "app/UnMessages.h"
#include "app/unPalvorin.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
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
            showError(translatedText(msg::UnknownError));
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

const char* const Usage =
    "Usage: palvorin [OPTION] [FILE.PLV]\n"
    "Palvorin models swept solids: a 2D profile swept along a 2D path or spun about an axis.\n"
    "Starts the main window, opening FILE.PLV when it is given.\n"
    "\n"
    "  -h, --help                  show this help and exit\n"
    "  -v, --version               show the version and exit\n"
    "      --screenshot FILE.png   save a picture of the window after start-up and exit\n"
    "\n"
    "Documents are converted without a window by palvorin-export.\n";

// --help and --version need no window: they are answered before a display is opened. -1 means
// go on. Other options are looked at once Qt has taken its own (-platform, -style, ...).
int helpOrVersionAnswer(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0) break;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0 || std::strcmp(a, "-v") == 0) {
            std::fputs("palvorin " PALVORIN_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(a, "--screenshot") == 0) ++i; // its file may start with "-"
    }
    return -1;
}

int usageError(const QString& text) {
    std::fprintf(stderr, "palvorin: %s\nTry 'palvorin --help'.\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int answer = helpOrVersionAnswer(argc, argv); answer >= 0) return answer;
    QSurfaceFormat::setDefaultFormat(TGLCanvas::surfaceFormat());
    TPalvorinApplication app(argc, argv);
    // Qt's own texts (file and colour dialogs, standard buttons) in the interface language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // The application's title; a display name would be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("Palvorin generator"));
    QApplication::setApplicationVersion(QStringLiteral(PALVORIN_VERSION));

    // palvorin [--screenshot picture.png] [--] [document.PLV]
    QString documentName;
    QString screenshotName;
    const QStringList args = QApplication::arguments();
    bool optionsEnded = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a == QLatin1String("--screenshot")) {
            if (i + 1 == args.size())
                return usageError(QStringLiteral("--screenshot needs a file"));
            screenshotName = args[++i];
        } else if (!optionsEnded && a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            return usageError(QStringLiteral("unknown option '%1'").arg(a));
        } else if (documentName.isEmpty()) {
            documentName = a;
        }
    }

    TfrmPalvorin window;
    if (screenshotName.isEmpty()) {
        window.showMaximized();
    } else {
        // Without a window manager "maximised" means nothing: take the whole screen.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window.setGeometry(screen->availableGeometry());
        window.show();
    }

    window.QuitOnClose = true;
    // Work a program left unsaved when it ended is offered first; then the document asked for.
    // Both load textures, which go to the view's context, so they wait until that exists.
    // A screenshot run asks nothing.
    auto start = [&window, documentName, screenshot = !screenshotName.isEmpty()] {
        const bool recovered = !screenshot && window.OfferRecovery();
        if (documentName.isEmpty()) return;
        if (recovered) {
            window.AddRecentFile(documentName);
            return;
        }
        window.OpenDocument(documentName);
        try {
            window.Redraw();
        } catch (const std::exception& e) {
            QMessageBox::critical(&window, QStringLiteral("Palvorin"), messageText(e.what()));
        }
    };
    if (window.glcanvas()->isValid())
        QTimer::singleShot(0, &window, start);
    else
        QObject::connect(
            window.glcanvas(), &TGLCanvas::glInitialize, &window,
            [&window, start] { QTimer::singleShot(0, &window, start); }, Qt::SingleShotConnection);
    if (!screenshotName.isEmpty()) {
        QTimer::singleShot(1500, &window, [&window, screenshotName] {
            const bool saved = window.grab().save(screenshotName);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
