// Interface text translation: the captions and hints of every form, and the program's messages,
// from the language file of the user's interface language; texts without a translation go to a
// log for translators.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

class TInternationalization {
  public:
    // messagesFile: the language file (a missing or unreadable one translates nothing); logFile:
    // where untranslated texts are listed (empty: nowhere).
    TInternationalization(const QString& messagesFile, const QString& logFile);

    // Translates a form once it is built: its caption; the text and hint of its labels, buttons,
    // check boxes, group boxes and tab pages; the text and hint of its actions (menu items and
    // tool bar buttons, menu titles included); and the hint of any other widget. A second call on
    // the same form does nothing.
    void Translate(QWidget* form);
    // One text (a message, a caption set at run time): its translation, or the text itself.
    QString Text(const QString& text);

    QString lookupText(const QString& key) const;
    // Appends text as a line to the log (once per run), which is created with the first such text
    // of the run (a log left by an earlier run is removed when the translator starts). A log that
    // cannot be written is skipped without a word.
    void logMissing(const QString& text);

    // The translator of the running program: the language file "messages_" + code + ".prop" from
    // the program's directory, the log "messages_" + code + ".log" in the user's state directory.
    static TInternationalization& Program();
    // Replaces the program's translator (tests; null goes back to the default on next use).
    static void SetProgram(std::unique_ptr<TInternationalization> translator);

    // The codes to look for, most specific first ("DES", "DEU"), from the interface language.
    static QStringList LanguageCodes();
    // $XDG_STATE_HOME/palvorin, or ~/.local/state/palvorin.
    static QString StateDirectory();

  private:
    bool translated(const QString& text, QString& result);

    QString logFile;
    QHash<QString, QString> table;
    QSet<QString> logged;
    bool logStarted = false;
    bool logFailed = false;
};

// The program's translator applied to a form, and to one text.
void translateForm(QWidget* form);
QString translatedText(const QString& text);
// What the user typed, as a message repeats it: on one line, cut to maxLength characters with an
// ellipsis, so that a long paste cannot widen the message's window.
QString EchoText(const QString& typed, int maxLength = 40);
// One of the program's messages (app/UnMessages.h), translated.
inline QString translatedText(const char* text) {
    return translatedText(QString::fromUtf8(text));
}
