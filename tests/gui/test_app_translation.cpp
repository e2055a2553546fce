// Translation of forms: the walk over captions and hints, the log, and the shipped languages.
#include "test_app_fixture.h"

#include "app/Internationalization.h"
#include "app/UnCutListWindow.h"
#include "app/UnFrameDialog.h"
#include "app/UnFrmLathe.h"
#include "app/UnMessages.h"
#include "app/UnTexLoad.h"
#include "app/UnfrmExtrOptions.h"
#include "editor/UnGroupEdit.h"
#include "editor/UnPolEditor.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

namespace {

QStringList logLines(const QString& file) {
    QString text = QString::fromUtf8(fileBytes(file));
    if (text.isEmpty()) return {};
    EXPECT_TRUE(text.endsWith("\r\n"));
    text.chop(2);
    return text.split("\r\n");
}

// The program's translator for the length of a test; the tests' own one (no file, no log) after.
class ProgramTranslator {
  public:
    ProgramTranslator(const QString& messages, const QString& log) {
        TInternationalization::SetProgram(std::make_unique<TInternationalization>(messages, log));
    }
    ~ProgramTranslator() {
        TInternationalization::SetProgram(
            std::make_unique<TInternationalization>(QString(), QString()));
    }
};

} // namespace

TEST(Translation, FormWalkTranslatesCaptionsAndHintsAndLogsTheRestOnce) {
    QTemporaryDir dir;
    const QString prop = dir.filePath("messages_ITA.prop");
    ASSERT_TRUE(writeFile(prop, "Form = Modulo\r\nOpen=Apri\nLeave=Esci\nGroup=Gruppo\n"
                                "Tab one=Scheda uno\nFile=File\nSave=Salva\nHint=\n"));
    const QString log = dir.filePath("state/palvorin/messages_ITA.log");
    QDir().mkpath(dir.filePath("state/palvorin"));
    ASSERT_TRUE(writeFile(log, "from an earlier run\r\n"));
    TInternationalization translator(prop, log);
    EXPECT_FALSE(QFileInfo::exists(log)); // the earlier run's log is gone

    QWidget form;
    form.setWindowTitle("Form");
    new QLabel("Open", &form);
    auto* exit = new QPushButton("Exit", &form);
    exit->setToolTip("Leave");
    auto* dots = new QPushButton("...", &form);
    auto* box = new QGroupBox("Group", &form);
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "Tab one");
    tabs->setTabToolTip(0, "Hint"); // an empty value counts as missing
    auto* menu = new QMenu("File", &form);
    QAction* save = menu->addAction("Save");
    auto* tool = new QToolButton(&form);
    tool->setDefaultAction(save);
    auto* edit = new QLineEdit(&form);
    edit->setToolTip("Type here");

    translator.Translate(&form);
    translator.Translate(&form); // once only
    EXPECT_EQ(form.windowTitle(), "Modulo");
    EXPECT_EQ(form.findChild<QLabel*>()->text(), "Apri");
    EXPECT_EQ(exit->text(), "Exit");
    EXPECT_EQ(exit->toolTip(), "Esci");
    EXPECT_EQ(dots->text(), "...");
    EXPECT_EQ(box->title(), "Gruppo");
    EXPECT_EQ(tabs->tabText(0), "Scheda uno");
    EXPECT_EQ(save->text(), "Salva");
    EXPECT_EQ(tool->text(), "Salva");
    EXPECT_EQ(translator.Text("Open"), "Apri");
    for (int i = 0; i < 3; ++i) // a status line shown again and again is logged once a run
        EXPECT_EQ(translator.Text("Not there"), "Not there");
    EXPECT_EQ(translator.Text("Exit"), "Exit");
    EXPECT_EQ(logLines(log), QStringList({"Exit", "Hint", "Type here", "Not there"}));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("messages_DEU.prop")));

    // No language file and a log that cannot be written: texts stay, nothing fails or appears.
    TInternationalization none(dir.filePath("messages_DEU.prop"), "/proc/palvorin/messages.log");
    QLabel label("Open");
    none.Translate(&label);
    EXPECT_EQ(label.text(), "Open");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("messages_DEU.prop")));
}

TEST(Translation, ShippedLanguagesTranslateEveryFormAndMessage) {
    // The language, the caption of File > Open, the measurements dock's last material, the cut
    // list window's title.
    struct Language {
        const char *code, *open, *custom, *cutList;
    };
    for (auto [code, open, custom, cutList] :
         {Language{"ITA", "Apri", "Personalizzato", "Distinta di taglio"},
          Language{"DEU", "\u00d6ffnen", "Eigene", "Zuschnittliste"}}) {
        SCOPED_TRACE(code);
        QTemporaryDir dir;
        const QString log = dir.filePath("messages.log");
        const ProgramTranslator translator(
            QStringLiteral(PALVORIN_SOURCE_DIR "/resources/lang/messages_%1.prop").arg(code), log);
        {
            TfrmPalvorin window;
            EXPECT_EQ(window.command("mnOpen")->text().remove('&'), QString::fromUtf8(open));
            // Accelerators come from the translated texts; buttons make room for them.
            EXPECT_TRUE(window.menuBar()->actions().value(0)->text().startsWith('&'));
            const QPushButton* add = window.findChild<QPushButton*>("btNewobj");
            EXPECT_GE(add->minimumWidth(),
                      add->fontMetrics().horizontalAdvance(add->text().remove('&')) + 20);
            const QWidget* panel = window.findChild<QWidget*>("paObjlist");
            EXPECT_GE(panel->minimumWidth(), panel->layout()->minimumSize().width());
            // The making windows translate their own texts.
            const auto* material = window.findChild<QComboBox*>("cbMaterial");
            ASSERT_NE(material, nullptr);
            EXPECT_EQ(material->itemText(material->count() - 1), QString::fromUtf8(custom));
            TCutListWindow list(window);
            EXPECT_EQ(list.windowTitle(), QString::fromUtf8(cutList));
            TFrameDialog frame(*window.CurrentObject, &window);
            TfrmExtrOptionDialog options;
            TfrmLathe lathe;
            TTexLoad chooser;
            TgroupEdit groupEditor;
            TPolEdit outlineEditor;
        }
        for (const char* text : msg::All)
            translatedText(text);
        EXPECT_EQ(logLines(log), QStringList());
    }
}

// The codes come from the interface language of the environment the program starts in: each case
// runs this test again in a child process with that environment, where it prints the codes.
TEST(Translation, CodesFollowTheInterfaceLanguageOfTheEnvironment) {
    if (qEnvironmentVariableIsSet("PALVORIN_PRINT_LANGUAGE_CODES")) {
        std::printf("codes=%s\n", qPrintable(TInternationalization::LanguageCodes().join(',')));
        return;
    }
    // The variable, its value, the codes.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"LANG", "it_IT.UTF-8", "ITA"},
        {"LANG", "de_CH.UTF-8", "DES,DEU"},
        {"LC_ALL", "en_GB.UTF-8", "ENG,ENU"},
        {"LANG", "C", "ENU"},
    };
    for (auto [variable, value, codes] : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            env.remove(name);
        env.insert(variable, value);
        env.insert("PALVORIN_PRINT_LANGUAGE_CODES", "1");
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=Translation.CodesFollowTheInterfaceLanguageOfTheEnvironment"});
        ASSERT_TRUE(child.waitForFinished(20000));
        EXPECT_TRUE(child.readAllStandardOutput().contains(QByteArray("codes=") + codes + "\n"))
            << variable << "=" << value;
    }
}
