// The help window: its frame, the look of the text box, the ways it can and
// cannot be closed, and the help text itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <memory>
#include <string>
#include <vector>

#include "helptext.h"
#include "tform2.h"

namespace quibrano {
namespace {

void SaveScreenshot(QWidget* w, const char* name) {
  QDir().mkpath(QStringLiteral(QUIBRANO_SCREENSHOT_DIR));
  ASSERT_TRUE(w->grab().save(QStringLiteral(QUIBRANO_SCREENSHOT_DIR "/") + QLatin1String(name)));
}

QStringList HelpLines() {
  const std::string_view text = HelpText();
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).split(u'\n');
}

// A main window stand-in of the main window's size, off the screen's corner,
// with the help window over it as the program has it.
class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = std::make_unique<QWidget>();
    main_->setFixedSize(665, 408);
    main_->move(100, 100);
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    form_ = new TForm2(main_.get());
  }

  void Open() {
    form_->open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    // The widgets' side of the activation, which gives the focus, comes a
    // little after the window's.
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == form_; }));
  }

  std::unique_ptr<QWidget> main_;
  TForm2* form_ = nullptr;
};

TEST_F(HelpWindowTest, FrameHasTitleOnlyAndFixedClientArea) {
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Help Quibrano"));
  const Qt::WindowFlags flags = form_->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  for (Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                Qt::WindowContextHelpButtonHint}) {
    EXPECT_FALSE(flags.testFlag(button)) << "title-bar button " << button;
  }
  EXPECT_EQ(form_->minimumSize(), QSize(664, 408));
  EXPECT_EQ(form_->maximumSize(), QSize(664, 408));
  EXPECT_EQ(form_->Memo1->geometry(), QRect(8, 8, 649, 361));
  EXPECT_EQ(form_->BitBtn1->geometry(), QRect(279, 376, 105, 25));
  EXPECT_EQ(form_->Memo1->objectName(), QStringLiteral("Memo1"));
  EXPECT_EQ(form_->BitBtn1->objectName(), QStringLiteral("BitBtn1"));
}

TEST_F(HelpWindowTest, OpensCentredOverTheMainWindow) {
  Open();
  const QPoint offset = form_->frameGeometry().center() - main_->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();
}

TEST_F(HelpWindowTest, MemoIsReadOnlyWrappedMaroonWithWhiteBoldText) {
  QPlainTextEdit* memo = form_->Memo1;
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(0x80, 0x00, 0x00));
  EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::white));
  EXPECT_EQ(memo->font().pixelSize(), 13);
  EXPECT_TRUE(memo->font().bold());
  EXPECT_EQ(QFontInfo(memo->font()).family(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(memo->toPlainText().toStdString(), std::string(HelpText()));

  // The palette is only a wish; what is painted must be maroon and white.
  Open();
  const QImage image = memo->viewport()->grab().toImage();
  int maroon = 0, white = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c == QColor(0x80, 0, 0)) ++maroon;
      if (c == QColor(Qt::white)) ++white;
    }
  }
  const int all = image.width() * image.height();
  EXPECT_GT(maroon, all / 2);
  EXPECT_GT(white, all / 100);
  // Long lines wrap: nothing can scroll sideways.
  EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
  EXPECT_GT(memo->verticalScrollBar()->maximum(), 0);
}

TEST_F(HelpWindowTest, OkIsTheDefaultButtonWithACheckMarkAndTakesTheFocus) {
  EXPECT_EQ(form_->BitBtn1->text(), QStringLiteral("OK"));
  EXPECT_FALSE(form_->BitBtn1->icon().isNull());
  EXPECT_TRUE(form_->BitBtn1->isDefault());
  Open();
  EXPECT_EQ(form_->focusWidget(), form_->BitBtn1);
  QTest::keyClick(form_->BitBtn1, Qt::Key_Tab);
  EXPECT_EQ(form_->focusWidget(), form_->Memo1);
  SaveScreenshot(form_, "help_window.png");
  // The timer examples, for a person to read.
  const QTextBlock block = form_->Memo1->document()->find(QStringLiteral("Beispiele:")).block();
  ASSERT_TRUE(block.isValid());
  form_->Memo1->verticalScrollBar()->setValue(block.firstLineNumber());
  SaveScreenshot(form_, "help_window_timers.png");
}

struct CloseCase {
  const char* name;
  bool focusMemo;
  int key;         // 0: a click on OK; -1: a close request of the window system
  bool closes;
};

class HelpWindowCloseTest : public HelpWindowTest,
                            public ::testing::WithParamInterface<CloseCase> {};

TEST_P(HelpWindowCloseTest, OnlyOkAndEnterClose) {
  const CloseCase& c = GetParam();
  Open();
  if (c.focusMemo) {
    form_->Memo1->setFocus();
    ASSERT_EQ(form_->focusWidget(), form_->Memo1);
  }
  if (c.key == 0) {
    QTest::mouseClick(form_->BitBtn1, Qt::LeftButton);
  } else if (c.key == -1) {
    EXPECT_EQ(form_->close(), c.closes);
  } else {
    QTest::keyClick(form_->focusWidget(), static_cast<Qt::Key>(c.key));
  }
  QTest::qWait(20);
  EXPECT_EQ(!form_->isVisible(), c.closes);
  if (c.closes) {
    EXPECT_EQ(form_->result(), QDialog::Accepted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, HelpWindowCloseTest,
    ::testing::Values(CloseCase{"ClickOk", false, 0, true},
                      CloseCase{"EnterOnOk", false, Qt::Key_Return, true},
                      CloseCase{"KeypadEnterOnOk", false, Qt::Key_Enter, true},
                      CloseCase{"EnterInText", true, Qt::Key_Return, true},
                      CloseCase{"SpaceOnOk", false, Qt::Key_Space, true},
                      CloseCase{"EscapeOnOk", false, Qt::Key_Escape, false},
                      CloseCase{"EscapeInText", true, Qt::Key_Escape, false},
                      CloseCase{"CloseRequest", false, -1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HelpWindowTest, OpensAgainWithTheSameTextAfterOk) {
  Open();
  QTest::keyClick(form_->BitBtn1, Qt::Key_Return);
  ASSERT_FALSE(form_->isVisible());
  Open();
  EXPECT_EQ(form_->Memo1->toPlainText().toStdString(), std::string(HelpText()));
}

TEST(HelpText, StartsWithTheFramedTitleAfterABlankLine) {
  const QStringList lines = HelpLines();
  ASSERT_GE(lines.size(), 3);
  EXPECT_TRUE(lines[0].isEmpty());
  const QString title = lines[1].trimmed();
  EXPECT_TRUE(title.startsWith(QStringLiteral("***"))) << title.toStdString();
  EXPECT_TRUE(title.endsWith(QStringLiteral("***"))) << title.toStdString();
  EXPECT_TRUE(title.contains(QStringLiteral(" Quibrano  Version 4.1c "))) << title.toStdString();
  EXPECT_FALSE(lines[2].trimmed().isEmpty()) << "the line on passing the program on";
}

TEST(HelpText, HasEverySectionHeadingOnItsOwnLineInOrder) {
  const std::vector<QString> headings = {
      QStringLiteral("0.  Allgemeines"),
      QStringLiteral("1.  Quibrano"),
      QStringLiteral("2.  Software"),
      QStringLiteral("2.1.  Funktionen"),
      QStringLiteral("2.1.1.  Toggle  -   Direkt Schalten"),
      QStringLiteral("2.1.2.  K1 / K2  -  Schalten mit den Eingängen"),
      QStringLiteral("2.1.3.  Schalten durch die Timer"),
      QStringLiteral("2.1.4.  Sekunden Timer"),
      QStringLiteral("2.1.5.  Random  ( Zufallsgenerator )"),
      QStringLiteral("2.1.6.  Uhren-Steuerung"),
      QStringLiteral("2.2.  Fernsteuerung über Netzwerk / Internet"),
      QStringLiteral("2.3. Belegung der Bezeichner REL-Namen und Eingänge"),
  };
  const QStringList lines = HelpLines();
  qsizetype previous = 2;  // after the title and the licence line
  for (const QString& heading : headings) {
    const qsizetype at = lines.indexOf(heading);
    ASSERT_GE(at, 0) << "missing: " << heading.toStdString();
    EXPECT_EQ(lines.lastIndexOf(heading), at) << "twice: " << heading.toStdString();
    EXPECT_GT(at, previous) << "out of order: " << heading.toStdString();
    EXPECT_FALSE(lines[at + 1].trimmed().isEmpty()) << "empty section: " << heading.toStdString();
    previous = at;
  }
  // The closing lines follow the last section.
  EXPECT_GT(lines.size() - previous, 3);
}

// The statements on what the program does, in the words a user reads them.
TEST(HelpText, StatesTheBehaviourAsTheProgramHasIt) {
  const std::string_view text = HelpText();
  const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (const char* fact : {
           // one day code gates the end too
           "am Montag um 20:12:00 an und fällt erst am folgenden Montag um 04:00:00 ab",
           "am 01.05.1999 zehn Sekunden lang an, von 07:00:00 bis 07:00:10",
           "bis zum folgenden Samstag 06:00:00",
           "von Samstag 17:00:00 bis Montag 09:00:00 an",
           "von Montag bis Freitag von 16:00:00 bis 17:00:00 an",
           // seconds timer: on at 30, off at 60, restart to -1
           "zieht nach 30 s an und fällt 30 s später ab, bleibt dann 31 s aus",
           // debounce and clock pulse
           "zweimal hintereinander gemeldet",
           "etwa 300 ms",
           "bei Sekunde 58 an und fällt bei Sekunde 00",
           // remote defaults and port range
           "26535",
           "1 bis 65535",
           "/dev/ttyS0 bis /dev/ttyS7",
           "QUIBRANO_COM1 bis QUIBRANO_COM8",
           "höchstens 6 Zeichen",
       }) {
    EXPECT_TRUE(t.contains(QString::fromUtf8(fact))) << "missing: " << fact;
  }
}

TEST(HelpText, IsCleanUtf8WithoutAddressesOrOutsideReferences) {
  const std::string bytes(HelpText());
  const QString t = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  EXPECT_EQ(t.toUtf8().toStdString(), bytes);
  EXPECT_FALSE(t.contains(QChar::ReplacementCharacter));
  EXPECT_TRUE(t.contains(QStringLiteral("Eingänge")));
  for (const char* word : {"http", "www.", "@", "Tel.", "Fax", ".de", ".com", "\t", "\r"}) {
    EXPECT_FALSE(t.contains(QString::fromUtf8(word), Qt::CaseInsensitive)) << word;
  }
}

}  // namespace
}  // namespace quibrano
