// The main window as laid out: every named control where it belongs, with
// its caption or items, colours and fonts; and screenshots for people.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <vector>

#include "test_tform1fixture.h"

namespace quibrano {
namespace {

struct Placement {
  const char* name;
  const char* parent;
  int x, y, width, height;  // -1: not fixed by the layout
  const char* text;         // caption or text; nullptr: none to check
};

void PrintTo(const Placement& p, std::ostream* os) { *os << p.name; }

// The window as its layout builds it, before the settings replace captions
// and the configuration fills the editor.
class LaidOutForm1 : public TForm1 {
 public:
  LaidOutForm1() : TForm1(nullptr, false) {}
};

QString TextOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return QStringLiteral("<no text>");
}

std::vector<Placement> Placements() {
  std::vector<Placement> v = {
      {"Label12", "Form1", 8, 4, 153, 17, nullptr},
      {"Button13", "Form1", 344, 4, 65, 17, "IP"},
      {"Button12", "Form1", 448, 4, 41, 17, "Load"},
      {"Button11", "Form1", 493, 4, 41, 17, "Save"},
      {"Button9", "Form1", 538, 4, 73, 17, "RESET"},
      {"Button10", "Form1", 614, 4, 41, 17, "Help"},
      {"Panel1", "Form1", 8, 24, 649, 377, nullptr},
      {"Label21", "Panel1", 32, 8, -1, -1, "Status"},
      {"Label20", "Panel1", 97, 8, -1, -1, "Key"},
      {"Label14", "Panel1", 144, 8, -1, -1, "Mode"},
      {"Label15", "Panel1", 248, 8, -1, -1, "Prog"},
      {"Label16", "Panel1", 304, 8, -1, -1, "Day"},
      {"Label17", "Panel1", 384, 8, -1, -1, "Date"},
      {"Label18", "Panel1", 480, 8, -1, -1, "Start"},
      {"Label19", "Panel1", 568, 8, -1, -1, "End"},
      {"Panel3", "Panel1", 16, 264, 617, 3, nullptr},
      {"GroupBox1", "Panel1", 16, 272, 153, 89, "Input Channel"},
      {"Label7", "GroupBox1", 16, 25, 121, 24, "K1"},
      {"Label8", "GroupBox1", 16, 57, 121, 24, "K2"},
      {"CheckBox7", "Panel1", 192, 280, 81, 17, "Remote"},
      {"Label58", "Panel1", 272, 280, 41, 17, ""},
      {"GroupBox2", "Panel1", 336, 280, 137, 81, "COM Port"},
      {"ComboBox19", "GroupBox2", 16, 16, 105, -1, nullptr},
      {"Button7", "GroupBox2", 16, 48, 49, 25, "START"},
      {"Button8", "GroupBox2", 72, 48, 49, 25, "STOP"},
      {"Panel2", "Panel1", 488, 280, 145, 81, nullptr},
      {"Label10", "Panel2", 8, 8, 105, -1, "-"},
      {"Label11", "Panel2", 8, 24, 113, -1, "-"},
      {"Label9", "Panel2", 8, 40, 129, -1, "-"},
      {"Label13", "Panel2", 8, 56, 121, -1, "-"},
  };
  // The relay rows and their panels, each cell by its own name.
  struct RowNames {
    const char *label, *caption, *button, *mode, *program, *day, *date, *start, *end;
    const char *secPanel, *repeat, *startAfter, *endAfter, *randPanel, *randParent, *window,
        *maxEdit, *wStart, *wEnd;
    int top, panelTop;
  };
  static const RowNames rows[] = {
      {"Label1", " REL 1 ", "Button1", "ComboBox1", "ComboBox7", "ComboBox13", "DateTimePicker1",
       "DateTimePicker7", "DateTimePicker13", "Panel4", "CheckBox1", "Edit1", "Edit2", "Panel10",
       "Panel1", "ComboBox20", "Edit13", "DateTimePicker19", "DateTimePicker20", 32, 29},
      {"Label2", " REL 2 ", "Button2", "ComboBox2", "ComboBox8", "ComboBox14", "DateTimePicker2",
       "DateTimePicker8", "DateTimePicker14", "Panel5", "CheckBox2", "Edit3", "Edit4", "Panel11",
       "Panel5", "ComboBox21", "Edit14", "DateTimePicker21", "DateTimePicker22", 72, 68},
      {"Label3", " REL 3 ", "Button3", "ComboBox3", "ComboBox9", "ComboBox15", "DateTimePicker3",
       "DateTimePicker9", "DateTimePicker15", "Panel6", "CheckBox3", "Edit5", "Edit6", "Panel12",
       "Panel6", "ComboBox22", "Edit15", "DateTimePicker23", "DateTimePicker24", 112, 107},
      {"Label4", " REL 4 ", "Button4", "ComboBox4", "ComboBox10", "ComboBox16", "DateTimePicker4",
       "DateTimePicker10", "DateTimePicker16", "Panel7", "CheckBox4", "Edit7", "Edit8", "Panel13",
       "Panel7", "ComboBox23", "Edit16", "DateTimePicker25", "DateTimePicker26", 152, 148},
      {"Label5", " REL 5 ", "Button5", "ComboBox5", "ComboBox11", "ComboBox17", "DateTimePicker5",
       "DateTimePicker11", "DateTimePicker17", "Panel8", "CheckBox5", "Edit9", "Edit10", "Panel14",
       "Panel8", "ComboBox24", "Edit17", "DateTimePicker27", "DateTimePicker28", 192, 187},
      {"Label6", "REL 6", "Button6", "ComboBox6", "ComboBox12", "ComboBox18", "DateTimePicker6",
       "DateTimePicker12", "DateTimePicker18", "Panel9", "CheckBox6", "Edit11", "Edit12", "Panel15",
       "Panel9", "ComboBox25", "Edit18", "DateTimePicker29", "DateTimePicker30", 232, 227},
  };
  for (const RowNames& r : rows) {
    const bool sibling = std::string(r.randParent) == "Panel1";
    v.insert(v.end(), {
        {r.label, "Panel1", 8, r.top, 81, 24, r.caption},
        {r.button, "Panel1", 96, r.top, 25, 25, "T"},
        {r.mode, "Panel1", 128, r.top, 97, -1, nullptr},
        {r.program, "Panel1", 248, r.top, 41, -1, nullptr},
        {r.day, "Panel1", 296, r.top, 65, -1, nullptr},
        {r.date, "Panel1", 368, r.top, 81, 21, nullptr},
        {r.start, "Panel1", 456, r.top, 81, 21, nullptr},
        {r.end, "Panel1", 544, r.top, 81, 21, nullptr},
        {r.secPanel, "Panel1", 240, r.panelTop, 393, 30, nullptr},
        {r.repeat, r.secPanel, 8, 6, 57, 17, "Repeat"},
        {r.startAfter, r.secPanel, 160, 6, 49, 17, nullptr},
        {r.endAfter, r.secPanel, 296, 6, 49, 17, nullptr},
        {r.randPanel, r.randParent, sibling ? 240 : 0, sibling ? r.panelTop : 0, 393, 30, nullptr},
        {r.window, r.randPanel, 8, 5, 41, -1, nullptr},
        {r.maxEdit, r.randPanel, 128, 5, 38, 21, nullptr},
        {r.wStart, r.randPanel, 216, 4, 81, 21, nullptr},
        {r.wEnd, r.randPanel, 304, 4, 81, 21, nullptr},
    });
  }
  return v;
}

class PlacementTest : public Form1Test, public ::testing::WithParamInterface<Placement> {};

TEST_P(PlacementTest, SitsWhereTheLayoutPutsIt) {
  const Placement& p = GetParam();
  LaidOutForm1 form;
  auto* w = form.findChild<QWidget*>(QString::fromLatin1(p.name));
  ASSERT_NE(w, nullptr) << "no control named " << p.name;
  ASSERT_NE(w->parentWidget(), nullptr);
  EXPECT_EQ(w->parentWidget()->objectName().toStdString(), p.parent);
  EXPECT_EQ(w->x(), p.x);
  EXPECT_EQ(w->y(), p.y);
  if (p.width >= 0) {
    EXPECT_EQ(w->width(), p.width);
  }
  if (p.height >= 0) {
    EXPECT_EQ(w->height(), p.height);
  }
  if (p.text != nullptr) {
    EXPECT_EQ(TextOf(w).toStdString(), p.text);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryControl, PlacementTest, ::testing::ValuesIn(Placements()),
                         [](const auto& info) { return std::string(info.param.name); });

struct ListItems {
  std::string name;
  std::vector<const char*> items;
  const char* shown;  // at creation
};

void PrintTo(const ListItems& l, std::ostream* os) { *os << l.name; }

const std::vector<const char*> kModes = {
    "Toggle",        "Timer",        "IF  K1",        "IF  K2",       "IF  K1 AND K2",
    "IF  K1 OR K2",  "IF  K1 NOR K2", "IF  K1 XOR K2", "Sec. - Timer", "Random"};
const std::vector<const char*> kDays = {"Date", "So", "Mo", "Di", "Mi", "Do",
                                        "Fr", "Sa", "Mo-Fr", "Sa-So", "Mo-So"};
const std::vector<const char*> kPrograms = {"1", "2", "3", "4", "5", "6"};
const std::vector<const char*> kWindows = {"1", "2", "3"};

std::vector<const char*> With(std::vector<const char*> v, const char* extra) {
  v.push_back(extra);
  return v;
}

std::vector<ListItems> Lists() {
  std::vector<ListItems> v;
  auto add = [&v](int first, int last, const std::vector<const char*>& items, const char* shown) {
    for (int n = first; n <= last; ++n) v.push_back({"ComboBox" + std::to_string(n), items, shown});
  };
  add(1, 5, kModes, "Toggle");
  add(6, 6, With(kModes, "Uhr - Steuerung"), "Toggle");
  add(7, 12, kPrograms, "1");
  add(13, 13, kDays, "Mo-So");
  add(14, 14, With(kDays, ""), "Mo-So");
  add(15, 18, kDays, "Mo-So");
  add(19, 19, {"COM  1", "COM  2", "COM  3", "COM  4", "COM  5", "COM  6", "COM  7", "COM  8"},
      "COM  1");
  add(20, 25, kWindows, "1");
  return v;
}

class ListItemsTest : public Form1Test, public ::testing::WithParamInterface<ListItems> {};

TEST_P(ListItemsTest, OffersExactlyItsItems) {
  LaidOutForm1 form;
  auto* list = form.findChild<QComboBox*>(QString::fromStdString(GetParam().name));
  ASSERT_NE(list, nullptr);
  std::vector<std::string> got;
  for (int i = 0; i < list->count(); ++i) got.push_back(list->itemText(i).toStdString());
  std::vector<std::string> want(GetParam().items.begin(), GetParam().items.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(list->currentText().toStdString(), GetParam().shown);
  EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0x00, 0xFF, 0xFF));
}

INSTANTIATE_TEST_SUITE_P(EveryList, ListItemsTest, ::testing::ValuesIn(Lists()),
                         [](const auto& info) { return info.param.name; });

TEST_F(Form1Test, WindowIsFixedCentredTitledAndHasItsOwnIcon) {
  TForm1& f = Form();
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Quibrano V4.1c"));
  EXPECT_EQ(f.minimumSize(), QSize(665, 408));
  EXPECT_EQ(f.maximumSize(), QSize(665, 408));
  EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(f.windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(f.windowIcon().isNull());
  EXPECT_EQ(f.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
  if (QScreen* s = f.screen()) {
    EXPECT_NEAR(f.geometry().center().x(), s->availableGeometry().center().x(), 1);
    EXPECT_NEAR(f.geometry().center().y(), s->availableGeometry().center().y(), 1);
  }
}

QColor Background(QWidget* w) { return w->palette().color(QPalette::Window); }

TEST(LaidOut, RelayOnesSecondsPanelAloneStartsHidden) {
  LaidOutForm1 f;
  EXPECT_TRUE(f.Panel4->isHidden());
  for (QFrame* p : {f.Panel5, f.Panel6, f.Panel7, f.Panel8, f.Panel9, f.Panel10, f.Panel11,
                    f.Panel12, f.Panel13, f.Panel14, f.Panel15}) {
    EXPECT_TRUE(p->isVisibleTo(&f)) << p->objectName().toStdString();
  }
  for (QLineEdit* e : {f.Edit1, f.Edit2, f.Edit11, f.Edit12}) EXPECT_EQ(e->text(), QStringLiteral("0"));
  for (QLineEdit* e : {f.Edit13, f.Edit18}) EXPECT_EQ(e->text(), QStringLiteral("10"));
  for (QPushButton* b : {f.Button7, f.Button8, f.Button11, f.Button12}) EXPECT_TRUE(b->isEnabled());
  EXPECT_EQ(f.Label7->palette().color(QPalette::Window),
            f.palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(Form1Test, ColoursAndFontsCarryTheirMeaning) {
  TForm1& f = Form();
  const QColor moneyGreen(0xC0, 0xDC, 0xC0), red(0xFF, 0, 0), lime(0, 0xFF, 0);
  EXPECT_EQ(Background(f.Panel1), moneyGreen);
  for (QFrame* p : {f.Panel4, f.Panel5, f.Panel9, f.Panel10, f.Panel11, f.Panel15}) {
    EXPECT_EQ(Background(p), moneyGreen) << p->objectName().toStdString();
    EXPECT_TRUE(p->autoFillBackground());
  }
  EXPECT_EQ(Background(f.Panel2), lime);
  EXPECT_EQ(Background(f.Panel3), QColor(0, 0, 0xFF));
  EXPECT_EQ(Background(f.Label58), red);
  EXPECT_EQ(Background(f.CheckBox7), QColor(0xFF, 0xFF, 0));
  EXPECT_EQ(f.CheckBox7->palette().color(QPalette::WindowText), red);
  EXPECT_TRUE(f.CheckBox7->font().bold());
  EXPECT_EQ(f.CheckBox7->font().pixelSize(), 13);
  EXPECT_FALSE(f.CheckBox7->isChecked()) << "no relf.ini: the switch went on and fell back off";
  for (QLabel* l : {f.Label1, f.Label6}) {
    EXPECT_EQ(Background(l), red);
    EXPECT_EQ(l->font().family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(l->font().pixelSize(), 20);
    EXPECT_TRUE(l->font().bold());
    EXPECT_EQ(l->alignment(), Qt::AlignCenter);
  }
  EXPECT_EQ(f.Label21->font().pixelSize(), 13);
  EXPECT_TRUE(f.Label21->font().bold());
  EXPECT_EQ(f.Button1->font().pixelSize(), 19);
  EXPECT_EQ(f.Label7->font().pixelSize(), 19);
  EXPECT_EQ(f.font().family(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(f.font().pixelSize(), 11);
  EXPECT_EQ(f.Edit1->palette().color(QPalette::Base), QColor(0, 0xFF, 0xFF));
  EXPECT_EQ(f.DateTimePicker19->palette().color(QPalette::Base), QColor(0, 0xFF, 0xFF));
  EXPECT_EQ(f.DateTimePicker7->displayFormat(), QStringLiteral("HH:mm:ss"));
  EXPECT_TRUE(f.DateTimePicker1->calendarPopup());
  EXPECT_TRUE(f.DateTimePicker1->displayFormat().contains(QStringLiteral("yyyy")));
  // Every pane of the five run-state controls is usable at creation.
  for (QWidget* w : {static_cast<QWidget*>(f.ComboBox19), static_cast<QWidget*>(f.Button7),
                     static_cast<QWidget*>(f.Button8), static_cast<QWidget*>(f.Button11),
                     static_cast<QWidget*>(f.Button12)}) {
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  }
  EXPECT_EQ(f.ComboBox19->currentText(), QStringLiteral("COM  1"));
  EXPECT_EQ(f.Timer1->interval(), 50);
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_TRUE(f.Timer2->isActive());
}

// A shown panel lies on top of the row controls it covers.
TEST_F(Form1Test, ShownPanelsCoverTheProgramControls) {
  TForm1& f = Form();
  Modes(2) = SecTimer;
  f.RefreshEditor();
  f.show();
  // Stacking alone must do it, whatever the visibility rules say.
  for (QWidget* covered : {static_cast<QWidget*>(f.ComboBox9), static_cast<QWidget*>(f.ComboBox15),
                          static_cast<QWidget*>(f.DateTimePicker15)}) {
    covered->show();
    QWidget* top = f.Panel1->childAt(covered->geometry().center());
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == f.Panel6 || f.Panel6->isAncestorOf(top)) << top->objectName().toStdString();
  }
}

void Shoot(QWidget& w, const char* file) {
  QDir().mkpath(QStringLiteral(QUIBRANO_SCREENSHOT_DIR));
  const QString path = QStringLiteral(QUIBRANO_SCREENSHOT_DIR) + QLatin1Char('/') + QLatin1String(file);
  EXPECT_TRUE(w.grab().save(path)) << path.toStdString();
}

TEST_F(Form1Test, ScreenshotOfEveryKindOfRow) {
  WriteUsualSettings();
  TForm1& f = Form();
  const int32_t modes[kRelays] = {Toggle, Timer, SecTimer, Random, IfK1XorK2, ClockPulse};
  for (int r = 0; r < kRelays; ++r) Modes(r) = modes[r];
  ProgramDay(1, 0) = 0;
  store.SecondsTimer[2] = {1, 30, 60, 0};
  store.MaxMinutes[3][0] = 15;
  f.RefreshEditor();
  f.Timer2Timer();
  f.SetPortStatus("COM 1   Close");
  f.SetAdapterStatus("Adapter  not connected");
  f.ShowRelay(0, true);
  f.ShowInput(0, true);
  f.ShowInput(1, false);
  f.show();
  Shoot(f, "tform1_modes.png");
  EXPECT_TRUE(f.windowIcon().pixmap(32, 32).scaled(128, 128).save(
      QStringLiteral(QUIBRANO_SCREENSHOT_DIR "/tform1_icon_x4.png")));
}

TEST_F(Form1Test, ScreenshotOfRelayOnesPanelsAndRelaySixRandom) {
  WriteUsualSettings();
  TForm1& f = Form();
  const int32_t modes[kRelays] = {SecTimer, Timer, Random, SecTimer, Timer, Random};
  for (int r = 0; r < kRelays; ++r) Modes(r) = modes[r];
  ProgramDay(1, 0) = 8;
  ProgramDay(4, 0) = 0;
  f.RefreshEditor();
  f.show();
  Shoot(f, "tform1_seconds_random.png");
  Modes(0) = Random;
  f.RefreshEditor();
  Shoot(f, "tform1_relay1_random.png");
}

}  // namespace
}  // namespace quibrano

namespace quibrano {
namespace {

// Each port item tells which device it opens: the mapped one where
// QUIBRANO_COMn is set, the serial device of that number otherwise.
TEST_F(Form1Test, PortItemsShowTheirDevicesAsTooltips) {
  setenv("QUIBRANO_COM2", "/dev/ttyUSB0", 1);
  unsetenv("QUIBRANO_COM5");
  const QComboBox* ports = Form().ComboBox19;
  EXPECT_EQ(ports->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(ports->itemData(4, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyS4"));
  EXPECT_EQ(ports->itemData(0, Qt::ToolTipRole).toString(), Path(QStringLiteral("no-such-device")));
}

}  // namespace
}  // namespace quibrano
