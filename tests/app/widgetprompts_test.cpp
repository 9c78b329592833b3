// The real message boxes behind Prompts: buttons, icon and title as the message codes say.

#include "app/productinfo.h"
#include "app/widgetprompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the next message box with button, noting what it showed.
struct BoxAnswer {
    void answerWith(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, [this, button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            buttons = box->standardButtons();
            title = box->windowTitle();
            box->button(button)->click();
        });
    }
    QMessageBox::Icon icon = QMessageBox::Question;
    QMessageBox::StandardButtons buttons;
    QString title;
};

TEST(WidgetPrompts, YesNoQuestionsHaveNoIconAndTheProgramsTitle)
{
    WidgetPrompts prompts;
    for (const QMessageBox::StandardButton answer : { QMessageBox::Yes, QMessageBox::No }) {
        BoxAnswer box;
        box.answerWith(answer);
        EXPECT_EQ(prompts.askYesNo(QStringLiteral("Delete Selection?")), answer == QMessageBox::Yes);
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
        EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.title, QString::fromLatin1(ProductInfo::Name));
    }
}

TEST(WidgetPrompts, MessagesShowTheirIcon)
{
    const struct {
        Prompts::Icon icon;
        QMessageBox::Icon shown;
    } cases[] = {
        { Prompts::Icon::Critical, QMessageBox::Critical },
        { Prompts::Icon::Exclamation, QMessageBox::Warning },
        { Prompts::Icon::Information, QMessageBox::Information },
    };
    WidgetPrompts prompts;
    for (const auto &c : cases) {
        BoxAnswer box;
        box.answerWith(QMessageBox::Ok);
        prompts.message(QStringLiteral("text"), c.icon);
        EXPECT_EQ(box.icon, c.shown);
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
}

} // namespace
