// Interface text translation: language file, form walk, run-time texts and the untranslated log.
#include "app/Internationalization.h"

#include "app/Internationalization_File.h"
#include "app/UnAccelerators.h"
#include "app/UnDataDirectory.h"
#include "model/UnAnsiText.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

const char* const TranslatedMark = "palvorinTranslated";

std::unique_ptr<TInternationalization>& programTranslator() {
    static std::unique_ptr<TInternationalization> translator;
    return translator;
}

// Language files are 8-bit text: UTF-8 when the whole file is valid UTF-8, Windows-1252 otherwise.
QHash<QString, QString> readTable(const QString& fileName) {
    QHash<QString, QString> table;
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly)) return table;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes);
    const bool isUtf8 = !utf8.hasError();
    auto text = [isUtf8](const std::string& s) {
        return QString::fromStdString(isUtf8 ? s : ansiToUtf8(s));
    };
    const TTranslationTable parsed =
        TTranslationTable::Parse(std::string_view(bytes.constData(), size_t(bytes.size())));
    for (const auto& [key, value] : parsed.Entries())
        table.insert(text(key), text(value));
    return table;
}

// Texts without a letter ("...", "- - -", "%") read the same in every language.
bool needsTranslation(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

} // namespace

TInternationalization::TInternationalization(const QString& messagesFile, const QString& logFile)
    : logFile(logFile), table(readTable(messagesFile)) {
    // The log lists the texts of this run: one left by an earlier run goes.
    if (!logFile.isEmpty()) QFile::remove(logFile);
}

QString TInternationalization::lookupText(const QString& key) const {
    return table.value(key);
}

void TInternationalization::logMissing(const QString& text) {
    if (text.isEmpty() || logFile.isEmpty() || logFailed) return;
    // Each text once per run: a status line updated on every move would fill the disk.
    if (logged.contains(text)) return;
    logged.insert(text);
    QFile log(logFile);
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (logStarted) {
        mode |= QIODevice::Append;
    } else {
        mode |= QIODevice::Truncate;
        QDir().mkpath(QFileInfo(logFile).absolutePath());
    }
    if (!log.open(mode) || log.write(text.toUtf8() + "\r\n") < 0) {
        logFailed = true;
        return;
    }
    logStarted = true;
}

bool TInternationalization::translated(const QString& text, QString& result) {
    if (!needsTranslation(text)) return false;
    result = lookupText(text);
    if (!result.isEmpty()) return true;
    logMissing(text);
    return false;
}

QString TInternationalization::Text(const QString& text) {
    QString result;
    return translated(text, result) ? result : text;
}

void TInternationalization::Translate(QWidget* form) {
    if (form == nullptr || form->property(TranslatedMark).toBool()) return;
    form->setProperty(TranslatedMark, true);

    QString t;
    auto tip = [&](QWidget* w) {
        if (translated(w->toolTip(), t)) w->setToolTip(t);
    };
    if (translated(form->windowTitle(), t)) form->setWindowTitle(t);
    tip(form);

    std::function<void(QObject*)> visit = [&](QObject* parent) {
        for (QObject* child : parent->children()) {
            if (auto* a = qobject_cast<QAction*>(child)) {
                const QString text = a->text(), hint = a->toolTip();
                if (translated(text, t)) a->setText(t);
                if (translated(hint, t)) a->setToolTip(t);
                continue;
            }
            auto* w = qobject_cast<QWidget*>(child);
            if (w == nullptr) continue;
            // Dialogs and windows it owns translate themselves when they are built.
            if (qobject_cast<QDialog*>(w) || qobject_cast<QMainWindow*>(w)) continue;
            auto* toolButton = qobject_cast<QToolButton*>(w);
            if (toolButton && toolButton->defaultAction()) {
                // A tool bar button shows its action's texts.
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                if (translated(b->text(), t)) b->setText(t);
                tip(w);
            } else if (auto* l = qobject_cast<QLabel*>(w)) {
                if (translated(l->text(), t)) l->setText(t);
                tip(w);
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                if (translated(g->title(), t)) g->setTitle(t);
                tip(w);
            } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    if (translated(tabs->tabText(i), t)) tabs->setTabText(i, t);
                    if (translated(tabs->tabToolTip(i), t)) tabs->setTabToolTip(i, t);
                }
                tip(w);
            } else if (qobject_cast<QTabBar*>(w)) {
                continue; // its texts belong to the tab widget
            } else {
                tip(w);
            }
            visit(w);
        }
    };
    visit(form);
}

QStringList TInternationalization::LanguageCodes() {
    const QStringList languages = QLocale::system().uiLanguages();
    const QLocale locale(languages.isEmpty() ? QLocale::system().name() : languages.first());
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return {QStringLiteral("ENU")};
    const std::string language =
        QLocale::languageToCode(locale.language(), QLocale::ISO639Part1).toStdString();
    const std::string territory = QLocale::territoryToCode(locale.territory()).toStdString();
    QStringList codes;
    const std::string specific = WindowsLanguageCode(language, territory);
    const std::string primary = PrimaryLanguageCode(language);
    if (!specific.empty()) codes << QString::fromStdString(specific);
    if (!primary.empty() && primary != specific) codes << QString::fromStdString(primary);
    // A language outside the table: its three-letter ISO code.
    if (codes.isEmpty())
        codes << QLocale::languageToCode(locale.language(), QLocale::ISO639Part2).toUpper();
    return codes;
}

QString TInternationalization::StateDirectory() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative path in the variable is not valid and is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/palvorin");
}

TInternationalization& TInternationalization::Program() {
    std::unique_ptr<TInternationalization>& translator = programTranslator();
    if (!translator) {
        const QDir dir(programDataDirectory());
        const QStringList codes = LanguageCodes();
        QString code = codes.first();
        for (const QString& c : codes) {
            if (QFileInfo::exists(dir.filePath(QStringLiteral("messages_%1.prop").arg(c)))) {
                code = c;
                break;
            }
        }
        translator = std::make_unique<TInternationalization>(
            dir.filePath(QStringLiteral("messages_%1.prop").arg(code)),
            QDir(StateDirectory()).filePath(QStringLiteral("messages_%1.log").arg(code)));
    }
    return *translator;
}

void TInternationalization::SetProgram(std::unique_ptr<TInternationalization> translator) {
    programTranslator() = std::move(translator);
}

namespace {

// Room a push button's text keeps on each side, in pixels.
constexpr int ButtonTextRoom = 10;

// A translation may be longer than the English text the form was laid out for: each push button
// of the form gets the width its text needs with room on both sides.
void widenButtonsForTexts(QWidget* form) {
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        if (b->window() != form || b->text().isEmpty()) continue;
        const QString shown = QString(b->text()).remove(QLatin1Char('&'));
        int need = b->fontMetrics().horizontalAdvance(shown) + 2 * ButtonTextRoom +
                   b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        if (!b->icon().isNull()) need += b->iconSize().width() + 4;
        if (b->minimumWidth() >= need) continue;
        b->setMinimumWidth(need);
        if (b->maximumWidth() < need) b->setMaximumWidth(need);
    }
}

} // namespace

void translateForm(QWidget* form) {
    TInternationalization::Program().Translate(form);
    addAccelerators(form);
    widenButtonsForTexts(form);
}

QString EchoText(const QString& typed, int maxLength) {
    QString line = typed.simplified();
    if (line.size() <= maxLength) return line;
    // A surrogate pair is not cut in two.
    qsizetype cut = maxLength;
    if (line[cut - 1].isHighSurrogate()) --cut;
    return line.left(cut) + QChar(0x2026);
}

QString translatedText(const QString& text) {
    return TInternationalization::Program().Text(text);
}
