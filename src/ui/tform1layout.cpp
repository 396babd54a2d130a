// The main window's controls, placed pixel for pixel, with their captions,
// item lists, colours and fonts.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <string>

#if __has_include(<langinfo.h>)
#include <langinfo.h>
#endif

#include "clock.h"
#include "pickervalue.h"
#include "serialport.h"
#include "tform1.h"
#include "uilook.h"

namespace quibrano {
namespace {

const QStringList kModeItems = {
    QStringLiteral("Toggle"),        QStringLiteral("Timer"),
    QStringLiteral("IF  K1"),        QStringLiteral("IF  K2"),
    QStringLiteral("IF  K1 AND K2"), QStringLiteral("IF  K1 OR K2"),
    QStringLiteral("IF  K1 NOR K2"), QStringLiteral("IF  K1 XOR K2"),
    QStringLiteral("Sec. - Timer"),  QStringLiteral("Random")};
const QString kClockPulseItem = QStringLiteral("Uhr - Steuerung");
const QStringList kDayItems = {
    QStringLiteral("Date"), QStringLiteral("So"),    QStringLiteral("Mo"),
    QStringLiteral("Di"),   QStringLiteral("Mi"),    QStringLiteral("Do"),
    QStringLiteral("Fr"),   QStringLiteral("Sa"),    QStringLiteral("Mo-Fr"),
    QStringLiteral("Sa-So"), QStringLiteral("Mo-So")};
const QStringList kProgramItems = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                   QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
const QStringList kWindowItems = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
const QString kRelayCaptions[kRelays] = {
    QStringLiteral(" REL 1 "), QStringLiteral(" REL 2 "), QStringLiteral(" REL 3 "),
    QStringLiteral(" REL 4 "), QStringLiteral(" REL 5 "), QStringLiteral("REL 6")};

constexpr int kRowTop[kRelays] = {32, 72, 112, 152, 192, 232};
constexpr int kPanelTop[kRelays] = {29, 68, 107, 148, 187, 227};
constexpr int kListHeight = 21;
constexpr int kPickerWidth = 81;
constexpr int kPickerHeight = 21;

// Which named member each cell of a relay's row is.
struct RowMembers {
  QLabel* TForm1::*label;
  QPushButton* TForm1::*toggle;
  QComboBox* TForm1::*mode;
  QComboBox* TForm1::*program;
  QComboBox* TForm1::*day;
  QDateTimeEdit* TForm1::*date;
  QDateTimeEdit* TForm1::*start;
  QDateTimeEdit* TForm1::*end;
  QFrame* TForm1::*secondsPanel;
  QCheckBox* TForm1::*repeat;
  QLineEdit* TForm1::*startAfter;
  QLineEdit* TForm1::*endAfter;
  QFrame* TForm1::*randomPanel;
  QComboBox* TForm1::*window;
  QLineEdit* TForm1::*maxMinutes;
  QDateTimeEdit* TForm1::*windowStart;
  QDateTimeEdit* TForm1::*windowEnd;
};

using F = TForm1;
const RowMembers kRowMembers[kRelays] = {
    {&F::Label1, &F::Button1, &F::ComboBox1, &F::ComboBox7, &F::ComboBox13, &F::DateTimePicker1,
     &F::DateTimePicker7, &F::DateTimePicker13, &F::Panel4, &F::CheckBox1, &F::Edit1, &F::Edit2,
     &F::Panel10, &F::ComboBox20, &F::Edit13, &F::DateTimePicker19, &F::DateTimePicker20},
    {&F::Label2, &F::Button2, &F::ComboBox2, &F::ComboBox8, &F::ComboBox14, &F::DateTimePicker2,
     &F::DateTimePicker8, &F::DateTimePicker14, &F::Panel5, &F::CheckBox2, &F::Edit3, &F::Edit4,
     &F::Panel11, &F::ComboBox21, &F::Edit14, &F::DateTimePicker21, &F::DateTimePicker22},
    {&F::Label3, &F::Button3, &F::ComboBox3, &F::ComboBox9, &F::ComboBox15, &F::DateTimePicker3,
     &F::DateTimePicker9, &F::DateTimePicker15, &F::Panel6, &F::CheckBox3, &F::Edit5, &F::Edit6,
     &F::Panel12, &F::ComboBox22, &F::Edit15, &F::DateTimePicker23, &F::DateTimePicker24},
    {&F::Label4, &F::Button4, &F::ComboBox4, &F::ComboBox10, &F::ComboBox16, &F::DateTimePicker4,
     &F::DateTimePicker10, &F::DateTimePicker16, &F::Panel7, &F::CheckBox4, &F::Edit7, &F::Edit8,
     &F::Panel13, &F::ComboBox23, &F::Edit16, &F::DateTimePicker25, &F::DateTimePicker26},
    {&F::Label5, &F::Button5, &F::ComboBox5, &F::ComboBox11, &F::ComboBox17, &F::DateTimePicker5,
     &F::DateTimePicker11, &F::DateTimePicker17, &F::Panel8, &F::CheckBox5, &F::Edit9, &F::Edit10,
     &F::Panel14, &F::ComboBox24, &F::Edit17, &F::DateTimePicker27, &F::DateTimePicker28},
    {&F::Label6, &F::Button6, &F::ComboBox6, &F::ComboBox12, &F::ComboBox18, &F::DateTimePicker6,
     &F::DateTimePicker12, &F::DateTimePicker18, &F::Panel9, &F::CheckBox6, &F::Edit11, &F::Edit12,
     &F::Panel15, &F::ComboBox25, &F::Edit18, &F::DateTimePicker29, &F::DateTimePicker30},
};

QString Numbered(const char* kind, int n) {
  return QString::fromLatin1(kind) + QString::number(n);
}

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                  int width = -1, int height = -1, const QFont& font = QFont()) {
  auto* l = Named(new QLabel(text, parent), name);
  // The font first: the size taken from the text depends on it.
  if (!font.family().isEmpty()) l->setFont(font);
  l->move(x, y);
  l->adjustSize();
  l->resize(width < 0 ? l->width() : width, height < 0 ? l->height() : height);
  return l;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        QRect geometry) {
  auto* b = Named(new QPushButton(text, parent), name);
  b->setGeometry(geometry);
  b->setAutoDefault(false);
  return b;
}

QComboBox* MakeList(QWidget* parent, const QString& name, const QStringList& items, int x,
                    int y, int width) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems(items);
  c->setMaxVisibleItems(12);
  c->setGeometry(x, y, width, kListHeight);
  PaintField(c, kAqua);
  return c;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
  auto* e = Named(new QLineEdit(text, parent), name);
  e->setGeometry(geometry);
  e->setTextMargins(0, 0, 0, 0);
  PaintField(e, kAqua);
  return e;
}

QFrame* MakePanel(QWidget* parent, const QString& name, QRect geometry, const QColor& colour) {
  auto* p = Named(new QFrame(parent), name);
  p->setGeometry(geometry);
  PaintBackground(p, colour);
  return p;
}

void RaisedBevel(QFrame* p) {
  p->setFrameStyle(QFrame::Panel | QFrame::Raised);
  p->setLineWidth(2);
}

// The picker's form of a strftime date format; empty when it holds a
// conversion the picker cannot show.
QString PickerFormatOf(const char* strftimeFormat) {
  QString out;
  QString literal;
  auto flush = [&] {
    if (literal.isEmpty()) return;
    out += QLatin1Char('\'') + literal + QLatin1Char('\'');
    literal.clear();
  };
  for (const char* c = strftimeFormat; *c != '\0'; ++c) {
    if (*c != '%') {
      literal += QLatin1Char(*c);
      continue;
    }
    flush();
    switch (*++c) {
      case 'd': out += QStringLiteral("dd"); break;
      case 'e': out += QStringLiteral("d"); break;
      case 'm': out += QStringLiteral("MM"); break;
      case 'b': case 'h': out += QStringLiteral("MMM"); break;
      // Four-digit years always: a two-digit year typed into a picker would
      // land in the wrong century.
      case 'y': case 'Y': out += QStringLiteral("yyyy"); break;
      default: return {};
    }
  }
  flush();
  return out;
}

// The same short date form as the status line shows (the locale's, as
// strftime's %x writes it).
QString ShortDateFormat() {
#if __has_include(<langinfo.h>)
  const QString f = PickerFormatOf(nl_langinfo(D_FMT));
  if (!f.isEmpty()) return f;
#endif
  QString q = QLocale().dateFormat(QLocale::ShortFormat);
  if (!q.contains(QStringLiteral("yyyy"))) q.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return q;
}

QDateTimeEdit* MakePicker(QWidget* parent, const QString& name, bool datePicker, int x, int y) {
  auto* d = Named(new QDateTimeEdit(parent), name);
  d->setTimeSpec(Qt::UTC);
  // The lowest value stands for "nothing to show" (a selection that names no
  // program or window); the pickers show a blank then.
  d->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0), Qt::UTC));
  d->setMaximumDateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC));
  d->setSpecialValueText(QStringLiteral(" "));
  if (datePicker) {
    d->setDisplayFormat(ShortDateFormat());
    d->setCalendarPopup(true);
  } else {
    d->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  }
  const LocalTime now = GetClock().Now();
  d->setDateTime(QDateTime(DateOfValue(static_cast<double>(now.day)),
                           TimeOfValue(static_cast<double>(now.ms) / 86'400'000.0), Qt::UTC));
  d->setGeometry(x, y, kPickerWidth, kPickerHeight);
  PaintField(d, kAqua);
  return d;
}

}  // namespace

void TForm1::BuildControls() {
  setFont(SansFont(11));
  setWindowTitle(QStringLiteral("Quibrano V4.1c"));
  setWindowIcon(AppIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(665, 408);

  BuildTopStrip();

  Panel1 = MakePanel(this, QStringLiteral("Panel1"), {8, 24, 649, 377}, kMoneyGreen);
  RaisedBevel(Panel1);
  const struct {
    QLabel* TForm1::*member;
    const char* name;
    const char* text;
    int x;
  } headings[] = {{&TForm1::Label21, "Label21", "Status", 32}, {&TForm1::Label20, "Label20", "Key", 97},
                  {&TForm1::Label14, "Label14", "Mode", 144},   {&TForm1::Label15, "Label15", "Prog", 248},
                  {&TForm1::Label16, "Label16", "Day", 304},    {&TForm1::Label17, "Label17", "Date", 384},
                  {&TForm1::Label18, "Label18", "Start", 480},  {&TForm1::Label19, "Label19", "End", 568}};
  for (const auto& h : headings) {
    this->*h.member = MakeLabel(Panel1, QString::fromLatin1(h.name), QString::fromLatin1(h.text),
                                h.x, 8, -1, -1, SansFont(13, true));
  }

  for (int r = 0; r < kRelays; ++r) BuildRelayRow(r);
  // The panels come after every row so that a shown panel lies on top of
  // the program controls it covers.
  for (int r = 0; r < kRelays; ++r) {
    BuildSecondsPanel(r);
    BuildRandomPanel(r);
  }
  // Until the first refresh relay 1's seconds-timer panel is hidden and the
  // other eleven panels are shown.
  Panel4->hide();

  BuildLowerArea();

  // Made after every control, so it is the last child to go.
  auto* compact = new CompactListStyle;
  compact->setParent(this);
  for (QComboBox* c : findChildren<QComboBox*>()) c->setStyle(compact);
  for (QDateTimeEdit* d : findChildren<QDateTimeEdit*>()) {
    if (d->calendarPopup()) d->setStyle(compact);
  }
}

void TForm1::BuildTopStrip() {
  Label12 = MakeLabel(this, QStringLiteral("Label12"), QStringLiteral("Quibrano Relaiskarte"), 8, 4,
                      153, 17, SansFont(11, true));
  const struct {
    QPushButton* TForm1::*member;
    const char* name;
    const char* text;
    int x;
    int width;
  } buttons[] = {{&TForm1::Button13, "Button13", "IP", 344, 65},
                 {&TForm1::Button12, "Button12", "Load", 448, 41},
                 {&TForm1::Button11, "Button11", "Save", 493, 41},
                 {&TForm1::Button9, "Button9", "RESET", 538, 73},
                 {&TForm1::Button10, "Button10", "Help", 614, 41}};
  for (const auto& b : buttons) {
    QPushButton* button = MakeButton(this, QString::fromLatin1(b.name), QString::fromLatin1(b.text),
                                     {b.x, 4, b.width, 17});
    button->setFont(SansFont(11, true));
    this->*b.member = button;
  }
}

void TForm1::BuildRelayRow(int r) {
  RelayRow& row = rows_[static_cast<size_t>(r)];
  const RowMembers& m = kRowMembers[r];
  const int top = kRowTop[r];

  row.label = MakeLabel(Panel1, Numbered("Label", r + 1), kRelayCaptions[r], 8, top, 81, 24);
  row.label->setAlignment(Qt::AlignCenter);
  row.label->setFont(MonoFont(20, true));
  PaintBackground(row.label, kRed);
  captionBytes_[static_cast<size_t>(r)] = kRelayCaptions[r].toStdString();

  row.toggle = MakeButton(Panel1, Numbered("Button", r + 1), QStringLiteral("T"), {96, top, 25, 25});
  row.toggle->setFont(SansFont(19, true));

  QStringList modes = kModeItems;
  if (r == 5) modes << kClockPulseItem;
  row.mode = MakeList(Panel1, Numbered("ComboBox", r + 1), modes, 128, top, 97);
  row.program = MakeList(Panel1, Numbered("ComboBox", r + 7), kProgramItems, 248, top, 41);
  QStringList days = kDayItems;
  if (r == 1) days << QString();
  row.day = MakeList(Panel1, Numbered("ComboBox", r + 13), days, 296, top, 65);
  row.day->setCurrentIndex(10);  // "Mo-So"

  row.date = MakePicker(Panel1, Numbered("DateTimePicker", r + 1), true, 368, top);
  row.start = MakePicker(Panel1, Numbered("DateTimePicker", r + 7), false, 456, top);
  row.end = MakePicker(Panel1, Numbered("DateTimePicker", r + 13), false, 544, top);

  this->*m.label = row.label;
  this->*m.toggle = row.toggle;
  this->*m.mode = row.mode;
  this->*m.program = row.program;
  this->*m.day = row.day;
  this->*m.date = row.date;
  this->*m.start = row.start;
  this->*m.end = row.end;
}

void TForm1::BuildSecondsPanel(int r) {
  RelayRow& row = rows_[static_cast<size_t>(r)];
  const RowMembers& m = kRowMembers[r];
  QFrame* p = MakePanel(Panel1, Numbered("Panel", r + 4), {240, kPanelTop[r], 393, 30}, kMoneyGreen);
  row.secondsPanel = p;

  row.repeat = Named(new QCheckBox(QStringLiteral("Repeat"), p), Numbered("CheckBox", r + 1));
  row.repeat->setGeometry(8, 6, 57, 17);
  const int firstLabel = 22 + 4 * r;  // Label22..Label45, four per panel
  MakeLabel(p, Numbered("Label", firstLabel), QStringLiteral("start after"), 104, 7);
  row.startAfter = MakeEdit(p, Numbered("Edit", 2 * r + 1), QStringLiteral("0"), {160, 6, 49, 17});
  MakeLabel(p, Numbered("Label", firstLabel + 1), QStringLiteral("sec"), 211, 7);
  MakeLabel(p, Numbered("Label", firstLabel + 2), QStringLiteral("end after"), 248, 7);
  row.endAfter = MakeEdit(p, Numbered("Edit", 2 * r + 2), QStringLiteral("0"), {296, 6, 49, 17});
  MakeLabel(p, Numbered("Label", firstLabel + 3), QStringLiteral("sec"), 347, 7);

  this->*m.secondsPanel = p;
  this->*m.repeat = row.repeat;
  this->*m.startAfter = row.startAfter;
  this->*m.endAfter = row.endAfter;
}

void TForm1::BuildRandomPanel(int r) {
  RelayRow& row = rows_[static_cast<size_t>(r)];
  const RowMembers& m = kRowMembers[r];
  // Relay 1's random panel is a sibling of its seconds-timer panel; the
  // others fill their seconds-timer panel and are seen only with it.
  QFrame* p = r == 0 ? MakePanel(Panel1, QStringLiteral("Panel10"), {240, kPanelTop[0], 393, 30},
                                 kMoneyGreen)
                     : MakePanel(row.secondsPanel, Numbered("Panel", r + 10), {0, 0, 393, 30},
                                 kMoneyGreen);
  row.randomPanel = p;

  row.window = MakeList(p, Numbered("ComboBox", r + 20), kWindowItems, 8, 5, 41);
  const int firstLabel = 46 + 2 * r;  // Label46..Label57, two per panel
  MakeLabel(p, Numbered("Label", firstLabel), QStringLiteral("max."), 96, 8, -1, -1,
            SansFont(11, true));
  row.maxMinutes = MakeEdit(p, Numbered("Edit", r + 13), QStringLiteral("10"), {128, 5, 38, 21});
  MakeLabel(p, Numbered("Label", firstLabel + 1), QStringLiteral("min"), 168, 8, -1, -1,
            SansFont(11, true));
  row.windowStart = MakePicker(p, Numbered("DateTimePicker", 2 * r + 19), false, 216, 4);
  row.windowEnd = MakePicker(p, Numbered("DateTimePicker", 2 * r + 20), false, 304, 4);

  this->*m.randomPanel = p;
  this->*m.window = row.window;
  this->*m.maxMinutes = row.maxMinutes;
  this->*m.windowStart = row.windowStart;
  this->*m.windowEnd = row.windowEnd;
}

void TForm1::BuildLowerArea() {
  Panel3 = MakePanel(Panel1, QStringLiteral("Panel3"), {16, 264, 617, 3}, kBlue);

  GroupBox1 = Named(new QGroupBox(QStringLiteral("Input Channel"), Panel1), QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(16, 272, 153, 89);
  GroupBox1->setFont(SansFont(11, true));
  // Until the poll cycle colours them the inputs wear the active title
  // bar's colour, which the highlight colour stands for here.
  const QColor untouched = palette().color(QPalette::Active, QPalette::Highlight);
  Label7 = MakeLabel(GroupBox1, QStringLiteral("Label7"), QStringLiteral("K1"), 16, 25, 121, 24);
  Label8 = MakeLabel(GroupBox1, QStringLiteral("Label8"), QStringLiteral("K2"), 16, 57, 121, 24);
  for (QLabel* l : {Label7, Label8}) {
    l->setAlignment(Qt::AlignCenter);
    l->setFont(SansFont(19, true));
    PaintBackground(l, untouched);
  }
  captionBytes_[6] = "K1";
  captionBytes_[7] = "K2";

  CheckBox7 = Named(new QCheckBox(QStringLiteral("Remote"), Panel1), QStringLiteral("CheckBox7"));
  CheckBox7->setGeometry(192, 280, 81, 17);
  CheckBox7->setFont(SansFont(13, true));
  PaintBackground(CheckBox7, kYellow);
  PaintText(CheckBox7, kRed);

  Label58 = MakeLabel(Panel1, QStringLiteral("Label58"), QString(), 272, 280, 41, 17);
  PaintBackground(Label58, kRed);

  GroupBox2 = Named(new QGroupBox(QStringLiteral("COM Port"), Panel1), QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(336, 280, 137, 81);
  GroupBox2->setFont(SansFont(11, true));
  QStringList ports;
  for (int n = 1; n <= 8; ++n) ports << QStringLiteral("COM  ") + QString::number(n);
  ComboBox19 = MakeList(GroupBox2, QStringLiteral("ComboBox19"), ports, 16, 16, 105);
  ComboBox19->setFont(SansFont(11, true));
  // Which device each port opens on this machine.
  for (int n = 1; n <= 8; ++n) {
    const std::string device = DevicePathFor("COM" + std::to_string(n));
    ComboBox19->setItemData(n - 1, QString::fromLocal8Bit(device.c_str()), Qt::ToolTipRole);
  }
  Button7 = MakeButton(GroupBox2, QStringLiteral("Button7"), QStringLiteral("START"), {16, 48, 49, 25});
  Button8 = MakeButton(GroupBox2, QStringLiteral("Button8"), QStringLiteral("STOP"), {72, 48, 49, 25});

  Panel2 = MakePanel(Panel1, QStringLiteral("Panel2"), {488, 280, 145, 81}, kLime);
  RaisedBevel(Panel2);
  Label10 = MakeLabel(Panel2, QStringLiteral("Label10"), QStringLiteral("-"), 8, 8, 105, -1,
                      SansFont(11, true));
  Label11 = MakeLabel(Panel2, QStringLiteral("Label11"), QStringLiteral("-"), 8, 24, 113, -1,
                      SansFont(11, true));
  Label9 = MakeLabel(Panel2, QStringLiteral("Label9"), QStringLiteral("-"), 8, 40, 129);
  Label13 = MakeLabel(Panel2, QStringLiteral("Label13"), QStringLiteral("-"), 8, 56, 121);
}

}  // namespace quibrano
