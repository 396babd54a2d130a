#include "tform1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QTimer>

#include "clock.h"
#include "configfile.h"
#include "modalseams.h"
#include "pollcycle.h"
#include "remoteserver.h"
#include "runcontrol.h"
#include "secondtick.h"
#include "serialport.h"
#include "settingsfile.h"
#include "tform2.h"
#include "tform3.h"
#include "uilook.h"

namespace quibrano {
namespace {

// Texts from the files and the logic are bytes: UTF-8 where they are, else
// one character per byte (an 8-bit code page), so nothing shows as garbage.
QString FromBytes(const std::string& s) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
  if (utf8.hasError()) return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
  return text;
}

}  // namespace

TForm1::TForm1(QWidget* parent, bool runFormCreate) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  for (int r = 0; r < kRelays; ++r) ConnectEditor(r);

  ServerSocket1 = new RemoteServer(*this, this);
  ServerSocket1->setObjectName(QStringLiteral("ServerSocket1"));
  SetServerCloseHook([this] { ServerSocket1->Close(); });

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setSingleShot(true);
  Timer2->setTimerType(Qt::PreciseTimer);
  ConnectCommands();
  Timer1->start();
  ArmTimer2();

  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());

  if (runFormCreate) FormCreate();
}

TForm1::~TForm1() {
  SetServerCloseHook({});
  Timer1->stop();
  Timer2->stop();
  // The server reports to this window; it goes while the window still is one.
  delete ServerSocket1;
  ServerSocket1 = nullptr;
}

void TForm1::SetDialogs(TForm2* help, TForm3* remoteDialog) {
  Form2 = help;
  Form3 = remoteDialog;
}

void TForm1::ConnectCommands() {
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
  connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
  connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
  connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
  connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
  connect(Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
  connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
  connect(Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
  connect(ComboBox19, &QComboBox::activated, this, &TForm1::ComboBox19Change);
  // toggled, not clicked: setting the box from code runs the handler too.
  connect(CheckBox7, &QCheckBox::toggled, this, &TForm1::CheckBox7Click);
}

bool TForm1::Failed(const FileResult& result) {
  if (!result) return false;
  ShowErrorBox(this, result->text);
  return true;
}

// --- Start-up and shutdown --------------------------------------------------

void TForm1::FormCreate() {
  // The Load and Save dialogs ask for the current directory each time they
  // open (modalseams), so nothing is fixed here.
  store.RemoteState = Idle;
  store.PortNumber = 1;
  ReadSettings(*this);
  if (Failed(LoadConfig(*this))) return;
  store.Debounce = 0;
  store.SecondCount = 0;
  store.MinuteFlag = false;
  for (auto& t : store.SecondsTimer) t.Elapsed = -1;
  BuildPortSpec();
  StartLink(*this);
  for (int r = 0; r < kRelays; ++r) {
    store.SecondsTimer[static_cast<size_t>(r)].Elapsed = -1;
    for (auto& c : store.OffCountdown[static_cast<size_t>(r)]) c = 0;
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A window closed once has saved everything; a later close (a signal
  // arriving during exit) must not write the files a second time.
  if (shutDown_) {
    event->accept();
    return;
  }
  // Stopping the link rather than only closing the port: should the save
  // fail and the window stay, it shows the link as stopped, which it is,
  // and Save is usable at once.
  RunStop(*this);
  if (Failed(SaveConfig()) || Failed(WriteSettings(*this))) {
    event->ignore();
    return;
  }
  ServerSocket1->Release();
  Timer1->stop();
  Timer2->stop();
  shutDown_ = true;
  event->accept();
}

bool TForm1::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return QWidget::event(e);
}

void TForm1::FormActivate() {
  if (Form3 != nullptr) Form3->FillFromStore();
}

// --- Timers -------------------------------------------------------------------

void TForm1::Timer1Timer() { PollTick(*this); }

int TForm1::MsUntilNextTick(int msOfDay) {
  const int intoSecond = ((msOfDay % 1000) + 1000) % 1000;
  return 1000 - intoSecond + kTickLateMs;
}

void TForm1::ArmTimer2() { Timer2->start(MsUntilNextTick(GetClock().Now().ms)); }

void TForm1::Timer2Timer() {
  const StatusTexts texts = SecondTick();
  Label10->setText(FromBytes(texts.dateLine));
  Label11->setText(FromBytes(texts.timeLine));
  ArmTimer2();
}

// --- Commands -------------------------------------------------------------------

void TForm1::Button7Click() { RunStart(*this); }
void TForm1::Button8Click() { RunStop(*this); }
void TForm1::Button9Click() { RunReset(); }
void TForm1::ComboBox19Change() { ChoosePort(ComboBox19->currentIndex()); }

void TForm1::Button10Click() {
  if (Form2 != nullptr) Form2->exec();
}

void TForm1::Button13Click() {
  if (Form3 != nullptr) Form3->exec();
}

void TForm1::Button12Click() {
  const QString path = AskOpenFileName(this);
  if (path.isEmpty()) return;
  // The chosen name is current even when the load then fails, so the save
  // at shutdown goes there.
  store.ConfigName = QFile::encodeName(path).toStdString();
  if (Failed(LoadConfig(*this))) return;
  BuildPortSpec();
  RunReset();
  RunStart(*this);
}

void TForm1::Button11Click() {
  const QString path = AskSaveFileName(this);
  if (path.isEmpty()) return;
  store.ConfigName = QFile::encodeName(path).toStdString();
  if (Failed(SaveConfig())) return;
  RunStart(*this);
}

void TForm1::CheckBox7Click() { ServerSocket1->CheckBox7Click(CheckBox7->isChecked()); }

// --- ConfigView -------------------------------------------------------------------

void TForm1::SelectPortItem(int index) {
  // Setting the index from code raises no activated(), so ChoosePort stays out.
  ComboBox19->setCurrentIndex(index >= 0 && index < ComboBox19->count() ? index : -1);
}

// --- SettingsView -----------------------------------------------------------------

namespace {
bool CaptionIndexOk(int i) { return i >= 0 && i < 8; }
}  // namespace

std::string TForm1::LabelCaption(int i) const {
  return CaptionIndexOk(i) ? captionBytes_[static_cast<size_t>(i)] : std::string();
}

void TForm1::SetLabelCaption(int i, const std::string& text) {
  if (!CaptionIndexOk(i)) return;
  captionBytes_[static_cast<size_t>(i)] = text;
  QLabel* label = i < kRelays ? rows_[static_cast<size_t>(i)].label : (i == 6 ? Label7 : Label8);
  label->setText(FromBytes(text));
}

bool TForm1::RemoteSwitch() const { return CheckBox7->isChecked(); }
void TForm1::SetRemoteSwitch(bool on) { CheckBox7->setChecked(on); }

std::string TForm1::DialogPort() const {
  // During start-up the dialog does not exist yet; it will hold the stored
  // values once it does.
  return Form3 != nullptr ? Form3->PortBytes() : store.RemotePort;
}

std::string TForm1::DialogPassword() const {
  return Form3 != nullptr ? Form3->PasswordBytes() : store.Password;
}

// --- LinkView -----------------------------------------------------------------------

void TForm1::SetPortStatus(const std::string& text) { Label9->setText(FromBytes(text)); }
void TForm1::SetAdapterStatus(const std::string& text) { Label13->setText(FromBytes(text)); }

void TForm1::ShowRelay(int r, bool on) {
  if (r < 0 || r >= kRelays) return;
  PaintBackground(rows_[static_cast<size_t>(r)].label, on ? kLime : kRed);
}

void TForm1::ShowInput(int k, bool closed) {
  if (k < 0 || k > 1) return;
  PaintBackground(k == 0 ? Label7 : Label8, closed ? kLime : kRed);
}

void TForm1::ShowRunState(bool linkOpen) {
  ComboBox19->setEnabled(!linkOpen);
  Button7->setEnabled(!linkOpen);
  Button11->setEnabled(!linkOpen);
  Button12->setEnabled(!linkOpen);
  Button8->setEnabled(linkOpen);
}

// --- RemoteView -----------------------------------------------------------------------

void TForm1::SetIndicator(bool green) {
  indicatorGreen_ = green;
  PaintBackground(Label58, green ? kLime : kRed);
}

bool TForm1::IndicatorGreen() const { return indicatorGreen_; }

void TForm1::SwitchRemoteOff() { CheckBox7->setChecked(false); }

}  // namespace quibrano
