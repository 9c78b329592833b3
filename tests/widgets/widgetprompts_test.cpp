// The real message boxes behind Prompts: buttons, icon and title as the message codes say.

#include "core/productinfo.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "widgets/widgetprompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers the next message box by act, noting what it showed.
struct BoxAnswer {
    void answerBy(std::function<void(QMessageBox &)> act)
    {
        QTimer::singleShot(0, [this, act] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            buttons = box->standardButtons();
            title = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            for (QAbstractButton *button : box->buttons()) {
                if (box->standardButton(button) == QMessageBox::NoButton)
                    ownButtons.append(button->text());
            }
            act(*box);
        });
    }
    void answerWith(QMessageBox::StandardButton button)
    {
        answerBy([button](QMessageBox &box) { box.button(button)->click(); });
    }
    QMessageBox::Icon icon = QMessageBox::Question;
    QMessageBox::StandardButtons buttons;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QStringList ownButtons;
};

// A key as the user presses it: to the widget that has the focus in the box.
void press(QMessageBox &box, Qt::Key key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box.focusWidget() ? box.focusWidget() : &box, &event);
}

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
        { Prompts::Icon::None, QMessageBox::NoIcon },
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

class CertificateQuestion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }
    WidgetPrompts m_prompts;
};

// The description names what the server chose (subject, issuer), so it must show as written.
TEST_F(CertificateQuestion, ShowsTheDescriptionAsPlainTextWithAWarning)
{
    const QString description = QStringLiteral("Subject: <b>CN=ftp.example.org</b>\nIssuer: CN=ftp.example.org\n"
                                               "SHA-256: 00:11:22\nThe certificate is self-signed.");
    BoxAnswer box;
    box.answerWith(QMessageBox::Cancel);
    m_prompts.askTrustCertificate(description);
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.title, QString::fromLatin1(ProductInfo::Name));
    EXPECT_EQ(box.text, description);
    EXPECT_EQ(box.format, Qt::PlainText);
    EXPECT_EQ(box.buttons, QMessageBox::Cancel);
    EXPECT_EQ(box.ownButtons, QStringList { QStringLiteral("Trust for this run") });
}

TEST_F(CertificateQuestion, OnlyTheTrustButtonTrusts)
{
    const struct {
        const char *name;
        std::function<void(QMessageBox &)> act;
        bool trusted;
    } cases[] = {
        { "trust button",
            [](QMessageBox &box) {
                for (QAbstractButton *button : box.buttons()) {
                    if (box.buttonRole(button) == QMessageBox::AcceptRole)
                        button->click();
                }
            },
            true },
        { "cancel button", [](QMessageBox &box) { box.button(QMessageBox::Cancel)->click(); }, false },
        { "enter", [](QMessageBox &box) { press(box, Qt::Key_Return); }, false },
        { "escape", [](QMessageBox &box) { press(box, Qt::Key_Escape); }, false },
    };
    for (const auto &c : cases) {
        BoxAnswer box;
        box.answerBy(c.act);
        EXPECT_EQ(m_prompts.askTrustCertificate(QStringLiteral("Subject: CN=host")), c.trusted) << c.name;
    }
}

} // namespace
