// The profile/path editor with the user's answers supplied by the test: messages recorded, the
// picture dialog answered from a field, group editors whose colour dialog answers a set colour
// and, when an answer is given, that run it in place of the user.
#pragma once

#include "editor/UnGroupEdit.h"
#include "editor/UnPolEditor.h"

#include <QStringList>

#include <functional>
#include <memory>

class TAnsweredGroupEdit : public TgroupEdit {
  public:
    using TgroupEdit::TgroupEdit;
    QColor colorAnswer;
    // Null: the window runs modally for the test to drive.
    std::function<void(TgroupEdit&)> answer;

    int exec() override {
        if (!answer) return TgroupEdit::exec();
        FormActivate();
        answer(*this);
        return result();
    }

  protected:
    QColor chooseColor(const QColor&) override { return colorAnswer; }
};

class TTestPolEdit : public TPolEdit {
  public:
    QStringList messages;
    QString pictureAnswer;
    QColor colorAnswer = Qt::red;
    std::function<void(TgroupEdit&)> groupAnswer;

  protected:
    void showMessage(QMessageBox::Icon, const QString& text) override { messages << text; }
    QString chooseBackgroundFile() override { return pictureAnswer; }
    std::unique_ptr<TgroupEdit> createGroupEditor() override {
        auto editor = std::make_unique<TAnsweredGroupEdit>(this);
        editor->colorAnswer = colorAnswer;
        editor->answer = groupAnswer;
        return editor;
    }
};
