// The remote access dialog: its frame and fields, what "Ok", the close box
// and Enter do to the stored port and password, and that the settings file's
// bytes pass through it unchanged.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>

#include "store.h"
#include "tform3.h"

namespace quibrano {
namespace {

class RemoteDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    store.RemotePort = "26535";
    store.Password = "geheim";
    main_ = std::make_unique<QWidget>();
    main_->setFixedSize(665, 408);
    main_->move(100, 100);
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    form_ = new TForm3(main_.get());
  }
  void TearDown() override { ResetStore(); }

  void Open() {
    form_->open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    // The widgets' side of the activation, which gives the focus, comes a
    // little after the window's.
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == form_; }));
  }

  // What a person does: select all in a field and type over it. Each
  // character goes as the key event a keyboard layout would give for it.
  static void TypeOver(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
      QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

  std::unique_ptr<QWidget> main_;
  TForm3* form_ = nullptr;
};

TEST_F(RemoteDialogTest, FrameHasSystemMenuAndCloseBoxOnly) {
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("IP Remote Config"));
  const Qt::WindowFlags flags = form_->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  EXPECT_EQ(form_->minimumSize(), QSize(237, 137));
  EXPECT_EQ(form_->maximumSize(), QSize(237, 137));
  Open();
  const QPoint offset = form_->frameGeometry().center() - main_->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();
}

TEST_F(RemoteDialogTest, ControlsSitWhereTheyBelongWithTheirTextsAndFonts) {
  EXPECT_EQ(form_->Label1->text(), QStringLiteral("Port "));
  EXPECT_EQ(form_->Label2->text(), QStringLiteral("Kennwort"));
  EXPECT_EQ(form_->Label1->pos(), QPoint(48, 28));
  EXPECT_EQ(form_->Label2->pos(), QPoint(15, 66));
  for (QLabel* label : {form_->Label1, form_->Label2}) {
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->font().pixelSize(), 13);
  }
  EXPECT_EQ(form_->Edit1->geometry(), QRect(88, 24, 89, 21));
  EXPECT_EQ(form_->Edit2->geometry(), QRect(88, 64, 89, 21));
  for (QLineEdit* field : {form_->Edit1, form_->Edit2}) {
    EXPECT_TRUE(field->font().bold());
    EXPECT_EQ(field->font().pixelSize(), 11);
    EXPECT_EQ(field->echoMode(), QLineEdit::Normal);  // the password is shown
  }
  EXPECT_EQ(form_->Button1->text(), QStringLiteral("Ok"));
  EXPECT_EQ(form_->Button1->geometry(), QRect(72, 96, 75, 25));
  EXPECT_TRUE(form_->Button1->font().bold());
  for (QObject* o : {static_cast<QObject*>(form_->Label1), static_cast<QObject*>(form_->Label2),
                     static_cast<QObject*>(form_->Edit1), static_cast<QObject*>(form_->Edit2),
                     static_cast<QObject*>(form_->Button1)}) {
    EXPECT_EQ(form_->findChild<QObject*>(o->objectName()), o);
  }
  Open();
  // Nothing clipped: each caption fits left of its field.
  for (QLabel* label : {form_->Label1, form_->Label2}) {
    EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), 88)
        << label->text().toStdString();
  }
  QDir().mkpath(QStringLiteral(QUIBRANO_SCREENSHOT_DIR));
  EXPECT_TRUE(form_->grab().save(QStringLiteral(QUIBRANO_SCREENSHOT_DIR "/remote_dialog.png")));
}

TEST_F(RemoteDialogTest, FieldsHoldTheStoredValuesFromConstruction) {
  // Never shown, as on a headless start: the values are there all the same.
  EXPECT_EQ(form_->Edit1->text(), QStringLiteral("26535"));
  EXPECT_EQ(form_->Edit2->text(), QStringLiteral("geheim"));
  EXPECT_EQ(form_->PortBytes(), "26535");
  EXPECT_EQ(form_->PasswordBytes(), "geheim");
}

TEST_F(RemoteDialogTest, TabOrderIsOkThenPortThenPassword) {
  Open();
  EXPECT_EQ(form_->focusWidget(), form_->Button1);
  QTest::keyClick(form_->focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(form_->focusWidget(), form_->Edit1);
  QTest::keyClick(form_->focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(form_->focusWidget(), form_->Edit2);
  QTest::keyClick(form_->focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(form_->focusWidget(), form_->Button1);
}

TEST_F(RemoteDialogTest, EnterInAFieldStoresNothingAndKeepsTheDialogOpen) {
  EXPECT_FALSE(form_->Button1->isDefault());
  EXPECT_FALSE(form_->Button1->autoDefault());
  Open();
  for (QLineEdit* field : {form_->Edit1, form_->Edit2}) {
    TypeOver(field, QStringLiteral("999"));
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
  }
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(store.RemotePort, "26535");
  EXPECT_EQ(store.Password, "geheim");
}

struct OkCase {
  const char* name;
  std::string port;
  std::string password;
};

class RemoteDialogOkTest : public RemoteDialogTest, public ::testing::WithParamInterface<OkCase> {};

// The dialog checks nothing: what is typed is what is stored, byte for byte.
TEST_P(RemoteDialogOkTest, OkStoresPortAndPasswordAsTypedAndCloses) {
  const OkCase& c = GetParam();
  Open();
  TypeOver(form_->Edit1, QString::fromLatin1(c.port.data(), static_cast<qsizetype>(c.port.size())));
  TypeOver(form_->Edit2,
           QString::fromLatin1(c.password.data(), static_cast<qsizetype>(c.password.size())));
  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(form_->result(), QDialog::Accepted);
  EXPECT_EQ(store.RemotePort, c.port);
  EXPECT_EQ(store.Password, c.password);
  // Opened again, the dialog shows what it stored.
  Open();
  EXPECT_EQ(form_->PortBytes(), c.port);
  EXPECT_EQ(form_->PasswordBytes(), c.password);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RemoteDialogOkTest,
    ::testing::Values(OkCase{"NewPortAndPassword", "4711", "Sesam"},
                      OkCase{"BothEmpty", "", ""},
                      OkCase{"NotANumber", "port x", "  blanks at both ends  "},
                      OkCase{"EightBitBytes", "26535", "Gr\xfc\xdf" "e\xe4\xb5"},
                      OkCase{"Long", std::string(300, '7'), std::string(300, 'k')}),
    [](const auto& info) { return std::string(info.param.name); });

struct DismissCase {
  const char* name;
  bool escape;  // else the close box
};

class RemoteDialogDismissTest : public RemoteDialogTest,
                                public ::testing::WithParamInterface<DismissCase> {};

TEST_P(RemoteDialogDismissTest, StoresNothingAndShowsTheStoredValuesAgain) {
  Open();
  TypeOver(form_->Edit1, QStringLiteral("1"));
  TypeOver(form_->Edit2, QStringLiteral("vertippt"));
  if (GetParam().escape) {
    QTest::keyClick(form_->Edit2, Qt::Key_Escape);
  } else {
    EXPECT_TRUE(form_->close());
  }
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(store.RemotePort, "26535");
  EXPECT_EQ(store.Password, "geheim");
  // The settings file is written from the fields: they must not keep the
  // unconfirmed text, even if the main window is never activated.
  EXPECT_EQ(form_->PortBytes(), "26535");
  EXPECT_EQ(form_->PasswordBytes(), "geheim");
}

INSTANTIATE_TEST_SUITE_P(Ways, RemoteDialogDismissTest,
                         ::testing::Values(DismissCase{"CloseBox", false},
                                           DismissCase{"Escape", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemoteDialogTest, FillFromStoreReplacesWhatWasTyped) {
  form_->Edit1->setText(QStringLiteral("abc"));
  form_->Edit2->setText(QStringLiteral("def"));
  store.RemotePort = "1234";
  store.Password = std::string("a\0b\xff", 4);
  form_->FillFromStore();
  EXPECT_EQ(form_->Edit1->text(), QStringLiteral("1234"));
  EXPECT_EQ(form_->PortBytes(), "1234");
  EXPECT_EQ(form_->PasswordBytes(), std::string("a\0b\xff", 4));
}

TEST_F(RemoteDialogTest, EveryByteValueSurvivesTheFields) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  store.Password = all;
  store.RemotePort = std::string(40000, '9');  // past QLineEdit's usual limit
  form_->FillFromStore();
  EXPECT_EQ(form_->PasswordBytes(), all);
  EXPECT_EQ(form_->PortBytes().size(), 40000u);
  form_->Button1Click();
  EXPECT_EQ(store.Password, all);
  EXPECT_EQ(store.RemotePort, std::string(40000, '9'));
}

// A character with no single byte cannot go into the settings file; it is
// refused as it is typed instead of being stored as '?'.
TEST_F(RemoteDialogTest, CharactersWithoutASingleByteAreRefusedWhenTyped) {
  Open();
  TypeOver(form_->Edit2, QStringLiteral("a\u20acb\u00e4"));
  EXPECT_EQ(form_->Edit2->text(), QStringLiteral("ab\u00e4"));
  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  EXPECT_EQ(store.Password, "ab\xe4");
}

}  // namespace
}  // namespace quibrano
