// The main window's commands: start-up and shutdown, the timers, run
// control, Load and Save, the Remote switch and what the logic may show.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <vector>

#include "configfile.h"
#include "remoteserver.h"
#include "serialport.h"
#include "test_tform1fixture.h"
#include "tform2.h"
#include "tform3.h"

namespace quibrano {
namespace {

QColor Background(QWidget* w) { return w->palette().color(QPalette::Window); }
const QColor kLimeColour(0, 0xFF, 0), kRedColour(0xFF, 0, 0);

QStringList ReadLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("<missing>")};
  QStringList lines = QString::fromLocal8Bit(f.readAll()).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

uint16_t FreeTcpPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

QStringList Settings(const QString& config, const QString& port, const QString& remote) {
  return {config, QStringLiteral("geheim"), port, QStringLiteral("Pumpe"), QStringLiteral(" R2 "),
          QStringLiteral("R3"), QStringLiteral("R4"), QStringLiteral("R5"), QStringLiteral("Uhr"),
          QStringLiteral("Tuer"), QStringLiteral("Fenster"), remote};
}

// --- Start-up ----------------------------------------------------------------

TEST_F(Form1Test, StartUpReadsSettingsLoadsTheConfigurationAndSetsTheCounters) {
  Modes(2) = Timer;
  SelectedProgram(2) = 4;
  store.SecondsTimer[3] = {1, 5, 9, 33};
  store.OffCountdown[1][2] = 8;
  store.PortNumber = 3;
  store.ConfigName = Path(QStringLiteral("haus.dat")).toStdString();
  ASSERT_FALSE(SaveConfig().has_value());
  ResetStore();
  store.Debounce = 9;
  store.SecondCount = 17;
  store.MinuteFlag = true;
  store.OffCountdown[1][2] = 8;
  store.RemoteState = LoggedIn;
  WriteLines(QStringLiteral("relf.ini"), Settings(QStringLiteral("haus.dat"), QString(), QStringLiteral("0")));

  TForm1& f = Form();
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(store.ConfigName, "haus.dat");
  EXPECT_EQ(f.Label1->text(), QStringLiteral("Pumpe"));
  EXPECT_EQ(f.Label2->text(), QStringLiteral(" R2 "));
  EXPECT_EQ(f.Label8->text(), QStringLiteral("Fenster"));
  EXPECT_FALSE(f.CheckBox7->isChecked());
  EXPECT_EQ(store.PortNumber, 3);
  EXPECT_EQ(f.ComboBox19->currentIndex(), 2);
  EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral("Timer"));
  EXPECT_EQ(f.ComboBox9->currentText(), QStringLiteral("5"));
  EXPECT_EQ(store.PortSpec, "Com3:1200,N,8,1");
  EXPECT_EQ(store.RemoteState, Idle);
  EXPECT_EQ(store.Debounce, 0);
  EXPECT_EQ(store.SecondCount, 0);
  EXPECT_FALSE(store.MinuteFlag);
  for (const auto& t : store.SecondsTimer) EXPECT_EQ(t.Elapsed, -1);
  EXPECT_EQ(store.SecondsTimer[3].EndAfter, 9);
  EXPECT_EQ(store.OffCountdown[1][2], 0);
  EXPECT_FALSE(store.PortOpen) << "the port names no device";
  EXPECT_TRUE(f.Button7->isEnabled());
  EXPECT_TRUE(f.Button8->isEnabled());
}

TEST_F(Form1Test, StartUpWithAMalformedConfigurationShowsTheErrorAndSkipsTheRest) {
  WriteLines(QStringLiteral("kaputt.dat"), {QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("1,5")});
  WriteLines(QStringLiteral("relf.ini"), Settings(QStringLiteral("kaputt.dat"), QString(), QStringLiteral("0")));
  store.SecondsTimer[0].Elapsed = 12;
  store.Debounce = 4;
  TForm1& f = Form();
  EXPECT_EQ(errors_, QStringList{QStringLiteral("Ungültige numerische Eingabe.")});
  EXPECT_EQ(store.PortNumber, 2) << "values before the bad one are in";
  EXPECT_EQ(store.PortSpec, "") << "no port until one is chosen";
  EXPECT_EQ(store.SecondsTimer[0].Elapsed, 12);
  EXPECT_EQ(store.Debounce, 4);
  EXPECT_EQ(f.Label1->text(), QStringLiteral("Pumpe"));
}

TEST_F(Form1Test, StartUpWithRemoteOnListensBeforeTheConfigurationLoads) {
  const uint16_t port = FreeTcpPort();
  ASSERT_NE(port, 0);
  WriteLines(QStringLiteral("relf.ini"),
             Settings(QString(), QString::number(port), QStringLiteral("1")));
  TForm1& f = Form();
  EXPECT_TRUE(f.CheckBox7->isChecked());
  EXPECT_TRUE(f.ServerSocket1->IsListening());
  EXPECT_EQ(f.ServerSocket1->ListeningPort(), port);
  EXPECT_TRUE(errors_.isEmpty());

  // Off with no client: closed at once, the box stays off.
  f.CheckBox7->setChecked(false);
  EXPECT_FALSE(f.ServerSocket1->IsListening());
}

TEST_F(Form1Test, RemoteThatCannotOpenFallsBackOffWithoutAMessage) {
  TForm1& f = Form();  // no relf.ini: the switch went on with an empty port
  EXPECT_FALSE(f.CheckBox7->isChecked());
  EXPECT_FALSE(f.ServerSocket1->IsListening());
  store.RemotePort = "0";
  f.CheckBox7->setChecked(true);
  EXPECT_FALSE(f.CheckBox7->isChecked());
  EXPECT_TRUE(errors_.isEmpty());
}

// --- Timers ---------------------------------------------------------------------

class Timer2ArmTest : public Form1Test, public ::testing::WithParamInterface<int> {};

TEST_P(Timer2ArmTest, NextFireLandsJustAfterAWholeSecond) {
  TForm1& f = Form();
  LocalTime now = TestNow();
  now.ms = (now.ms / 1000) * 1000 + GetParam();
  clock_.Set(now);
  f.Timer2Timer();
  EXPECT_TRUE(f.Timer2->isActive());
  EXPECT_TRUE(f.Timer2->isSingleShot());
  EXPECT_EQ(f.Timer2->timerType(), Qt::PreciseTimer);
  const int fireAt = now.ms + f.Timer2->interval();
  EXPECT_EQ(fireAt % 1000, TForm1::kTickLateMs);
  EXPECT_GT(fireAt / 1000, now.ms / 1000) << "always the next second, never this one";
  EXPECT_LE(f.Timer2->interval(), 1000 + TForm1::kTickLateMs);
}

INSTANTIATE_TEST_SUITE_P(AcrossTheSecond, Timer2ArmTest, ::testing::Values(0, 1, 29, 30, 31, 500, 999));

TEST_F(Form1Test, SecondTickWritesTheStatusLine) {
  TForm1& f = Form();
  f.Timer2Timer();
  EXPECT_EQ(f.Label11->text(), QStringLiteral("14:30:15"));
  EXPECT_TRUE(f.Label10->text().startsWith(QStringLiteral("Mo ,  "))) << f.Label10->text().toStdString();
  EXPECT_EQ(f.Label10->text().mid(6).toStdString(), DateText(EncodeDate(2024, 5, 13)));
}

TEST_F(Form1Test, PollTickShowsTheClosedPort) {
  TForm1& f = Form();
  Choose(f.ComboBox19, 4);
  f.Timer1Timer();
  EXPECT_EQ(f.Label9->text(), QStringLiteral("COM 5   Close"));
  EXPECT_EQ(f.Label13->text(), QStringLiteral("Adapter  not connected"));
}

// --- Run control ---------------------------------------------------------------------

TEST_F(Form1Test, StartAndStopFollowTheLink) {
  PseudoPort device;
  ASSERT_FALSE(device.path().empty());
  TForm1& f = Form();
  ASSERT_FALSE(store.PortOpen);
  setenv("QUIBRANO_COM4", device.path().c_str(), 1);
  Choose(f.ComboBox19, 3);
  EXPECT_EQ(store.PortNumber, 4);
  EXPECT_EQ(store.PortSpec, "COM4:1200,N,8,1");
  store.SecondsTimer[1].Elapsed = 40;

  f.Button7->click();
  EXPECT_TRUE(store.PortOpen);
  EXPECT_EQ(store.SecondsTimer[1].Elapsed, 0);
  EXPECT_FALSE(f.ComboBox19->isEnabled());
  EXPECT_FALSE(f.Button7->isEnabled());
  EXPECT_FALSE(f.Button11->isEnabled());
  EXPECT_FALSE(f.Button12->isEnabled());
  EXPECT_TRUE(f.Button8->isEnabled());
  f.Timer1Timer();
  EXPECT_EQ(f.Label9->text(), QStringLiteral("COM 4   Open"));

  f.Button8->click();
  EXPECT_FALSE(store.PortOpen);
  EXPECT_EQ(PortHandle, 0);
  EXPECT_TRUE(f.ComboBox19->isEnabled());
  EXPECT_TRUE(f.Button7->isEnabled());
  EXPECT_TRUE(f.Button11->isEnabled());
  EXPECT_TRUE(f.Button12->isEnabled());
  EXPECT_FALSE(f.Button8->isEnabled());
}

TEST_F(Form1Test, ResetClearsRelaysAndCounters) {
  TForm1& f = Form();
  store.RelayWord = 0xE5;
  store.SecondsTimer[5].Elapsed = 7;
  store.OffCountdown[2] = {1, 2, 3};
  f.Button9->click();
  EXPECT_EQ(store.RelayWord, 0);
  EXPECT_EQ(store.SecondsTimer[5].Elapsed, -1);
  EXPECT_EQ(store.OffCountdown[2], (std::array<int32_t, 3>{0, 0, 0}));
}

// --- Load and Save ---------------------------------------------------------------------

TEST_F(Form1Test, LoadMakesTheChoiceCurrentAndRestartsTheRun) {
  TForm1& f = Form();
  store.PortNumber = 6;
  Modes(0) = Random;
  const QString chosen = Path(QStringLiteral("keller.dat"));
  store.ConfigName = chosen.toStdString();
  ASSERT_FALSE(SaveConfig().has_value());
  ResetStore();
  store.ConfigName = "alt.dat";
  store.RelayWord = 0x21;
  store.SecondsTimer[2].Elapsed = 50;

  SetOpenDialog([&](QWidget*) { return chosen; });
  f.Button12->click();
  EXPECT_TRUE(errors_.isEmpty());
  EXPECT_EQ(store.ConfigName, chosen.toStdString());
  EXPECT_EQ(store.PortNumber, 6);
  EXPECT_EQ(f.ComboBox19->currentText(), QStringLiteral("COM  6"));
  EXPECT_EQ(store.PortSpec, "Com6:1200,N,8,1");
  EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("Random"));
  EXPECT_TRUE(f.Panel10->isVisibleTo(&f));
  EXPECT_EQ(store.RelayWord, 0) << "RESET ran";
  EXPECT_EQ(store.SecondsTimer[2].Elapsed, 0) << "START ran after it";
}

TEST_F(Form1Test, LoadThatFailsKeepsTheNameAndSkipsResetAndStart) {
  TForm1& f = Form();
  const QString chosen = Path(QStringLiteral("schlecht.dat"));
  WriteLines(QStringLiteral("schlecht.dat"), {QStringLiteral("zwei")});
  store.RelayWord = 0x21;
  store.SecondsTimer[2].Elapsed = 50;
  SetOpenDialog([&](QWidget*) { return chosen; });
  f.Button12->click();
  EXPECT_EQ(errors_, QStringList{QStringLiteral("Ungültige numerische Eingabe.")});
  EXPECT_EQ(store.ConfigName, chosen.toStdString());
  EXPECT_EQ(store.RelayWord, 0x21);
  EXPECT_EQ(store.SecondsTimer[2].Elapsed, 50);
}

TEST_F(Form1Test, CancelledDialogsChangeNothing) {
  TForm1& f = Form();
  store.ConfigName = "bleibt.dat";
  store.SecondsTimer[0].Elapsed = 3;
  SetOpenDialog([](QWidget*) { return QString(); });
  SetSaveDialog([](QWidget*) { return QString(); });
  f.Button12->click();
  f.Button11->click();
  EXPECT_EQ(store.ConfigName, "bleibt.dat");
  EXPECT_EQ(store.SecondsTimer[0].Elapsed, 3);
  EXPECT_TRUE(errors_.isEmpty());
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("bleibt.dat"))));
}

TEST_F(Form1Test, SaveWritesTheChosenFileThenStarts) {
  TForm1& f = Form();
  const QString chosen = Path(QStringLiteral("neu.dat"));
  store.SecondsTimer[4].Elapsed = 9;
  Modes(4) = IfK1OrK2;
  SetSaveDialog([&](QWidget*) { return chosen; });
  f.Button11->click();
  EXPECT_TRUE(errors_.isEmpty());
  EXPECT_EQ(store.ConfigName, chosen.toStdString());
  const QStringList lines = ReadLines(chosen);
  ASSERT_EQ(lines.size(), 314);
  EXPECT_EQ(lines[2 + 6 * 4], QStringLiteral("5"));
  EXPECT_EQ(store.SecondsTimer[4].Elapsed, 0);
}

TEST_F(Form1Test, SaveThatCannotCreateTheFileReportsAndSkipsStart) {
  TForm1& f = Form();
  const QString chosen = Path(QStringLiteral("fehlt/neu.dat"));
  store.SecondsTimer[4].Elapsed = 9;
  SetSaveDialog([&](QWidget*) { return chosen; });
  f.Button11->click();
  EXPECT_EQ(errors_, QStringList{QStringLiteral("E/A-Fehler 105.")});
  EXPECT_EQ(store.ConfigName, chosen.toStdString());
  EXPECT_EQ(store.SecondsTimer[4].Elapsed, 9);
}

TEST_F(Form1Test, FileDialogsOfferDatFirstAndOpenInTheCurrentDirectory) {
  TForm1& f = Form();
  const auto open = MakeOpenDialog(&f);
  const auto save = MakeSaveDialog(&f);
  for (QFileDialog* d : {open.get(), save.get()}) {
    EXPECT_EQ(d->nameFilters(), (QStringList{QStringLiteral("*.dat (*.dat)"), QStringLiteral("alle (*)")}));
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("*.dat (*.dat)"));
    EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir_.path()).canonicalPath());
    EXPECT_EQ(d->fileMode(), QFileDialog::AnyFile) << "a name that does not exist is accepted";
  }
  EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(save->defaultSuffix(), QStringLiteral("dat"));
}

// The real seams, answered the way a person would.
TEST_F(Form1Test, ErrorBoxIsAStopBoxTitledWithTheProgramsName) {
  TForm1& f = Form();
  SetErrorBox({});
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QTimer::singleShot(0, &f, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  ShowErrorBox(&f, "E/A-Fehler 105");
  EXPECT_EQ(title, QStringLiteral("Quibrano"));
  EXPECT_EQ(text, QStringLiteral("E/A-Fehler 105."));
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST_F(Form1Test, RealFileDialogsGiveTheChosenFullPathOrNothing) {
  TForm1& f = Form();
  SetOpenDialog({});
  SetSaveDialog({});
  auto answer = [&f](const QString& name, bool accept) {
    QTimer::singleShot(0, &f, [name, accept] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->selectFile(name);
      QDialog* asDialog = dialog;  // accept() is public here
      if (accept) asDialog->accept(); else asDialog->reject();
    });
  };
  answer(QStringLiteral("gibtsnicht.dat"), true);
  EXPECT_EQ(AskOpenFileName(&f), QDir::toNativeSeparators(Path(QStringLiteral("gibtsnicht.dat"))));
  answer(QStringLiteral("neu"), true);
  EXPECT_EQ(AskSaveFileName(&f), QDir::toNativeSeparators(Path(QStringLiteral("neu.dat"))));
  answer(QStringLiteral("egal.dat"), false);
  EXPECT_EQ(AskOpenFileName(&f), QString());
}

// --- Shutdown -------------------------------------------------------------------------------

TEST_F(Form1Test, CloseSavesConfigurationThenSettingsThenReleasesTheServer) {
  const uint16_t port = FreeTcpPort();
  WriteLines(QStringLiteral("relf.ini"),
             Settings(QStringLiteral("haus.dat"), QString::number(port), QStringLiteral("1")));
  TForm1& f = Form();
  ASSERT_TRUE(f.ServerSocket1->IsListening());
  Modes(1) = IfK2;
  store.ConfigName = Path(QStringLiteral("unter/haus.dat")).toStdString();  // a full path
  QDir().mkpath(Path(QStringLiteral("unter")));

  EXPECT_TRUE(f.close());
  EXPECT_TRUE(errors_.isEmpty());
  EXPECT_EQ(ReadLines(Path(QStringLiteral("unter/haus.dat"))).value(2 + 6 * 1), QStringLiteral("3"));
  const QStringList settings = ReadLines(Path(QStringLiteral("relf.ini")));
  ASSERT_EQ(settings.size(), 12);
  EXPECT_EQ(settings[1], QStringLiteral("geheim"));
  EXPECT_EQ(settings[2], QString::number(port));
  EXPECT_EQ(settings[3], QStringLiteral("Pumpe"));
  EXPECT_EQ(settings[11], QStringLiteral("1"));
  EXPECT_FALSE(f.ServerSocket1->IsListening());
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_FALSE(f.Timer2->isActive());

  // Closed is closed: a second close writes nothing again.
  ASSERT_TRUE(QFile::remove(Path(QStringLiteral("relf.ini"))));
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("relf.ini"))));
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("haus.dat"))));
}

TEST_F(Form1Test, CloseWhoseSaveFailsKeepsTheWindowWithThePortClosed) {
  PseudoPort device;
  ASSERT_FALSE(device.path().empty());
  setenv("QUIBRANO_COM1", device.path().c_str(), 1);
  TForm1& f = Form();  // no relf.ini: no configuration name
  ASSERT_TRUE(store.PortOpen);
  f.show();

  EXPECT_FALSE(f.close());
  EXPECT_EQ(errors_, QStringList{QStringLiteral("E/A-Fehler 105.")});
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("relf.ini"))));
  EXPECT_FALSE(store.PortOpen);
  EXPECT_EQ(PortHandle, 0);
  EXPECT_TRUE(f.Button11->isEnabled()) << "Save is usable at once";
  EXPECT_TRUE(f.Timer1->isActive());
  f.Timer1Timer();
  EXPECT_EQ(f.Label9->text(), QStringLiteral("COM 1   Close"));

  // Named through Save, the next close goes through.
  const QString chosen = Path(QStringLiteral("rettung.dat"));
  SetSaveDialog([&](QWidget*) { return chosen; });
  f.Button11->click();
  EXPECT_TRUE(f.close());
  EXPECT_EQ(ReadLines(Path(QStringLiteral("relf.ini"))).value(0), chosen);
}

// --- What the logic shows ---------------------------------------------------------------------

TEST_F(Form1Test, LinkAndRemoteViewsColourTheirLabels) {
  TForm1& f = Form();
  f.ShowRelay(2, true);
  EXPECT_EQ(Background(f.Label3), kLimeColour);
  f.ShowRelay(2, false);
  EXPECT_EQ(Background(f.Label3), kRedColour);
  f.ShowInput(0, true);
  f.ShowInput(1, false);
  EXPECT_EQ(Background(f.Label7), kLimeColour);
  EXPECT_EQ(Background(f.Label8), kRedColour);
  f.ShowRelay(6, true);  // no such relay: nothing
  f.ShowInput(-1, true);
  f.SetPortStatus("COM 2   Open");
  f.SetAdapterStatus("Adapter  connected");
  EXPECT_EQ(f.Label9->text(), QStringLiteral("COM 2   Open"));
  EXPECT_EQ(f.Label13->text(), QStringLiteral("Adapter  connected"));

  EXPECT_FALSE(f.IndicatorGreen());
  f.SetIndicator(true);
  EXPECT_TRUE(f.IndicatorGreen());
  EXPECT_EQ(Background(f.Label58), kLimeColour);
  f.SetIndicator(false);
  EXPECT_EQ(Background(f.Label58), kRedColour);
}

TEST_F(Form1Test, PortItemIsSelectedWithoutChoosingThePort) {
  TForm1& f = Form();
  store.PortSpec = "Com1:1200,N,8,1";
  const std::vector<std::pair<int, int>> cases = {{3, 3}, {7, 7}, {8, -1}, {-1, -1}, {-5, -1}, {0, 0}};
  for (const auto& [index, shown] : cases) {
    f.SelectPortItem(index);
    EXPECT_EQ(f.ComboBox19->currentIndex(), shown) << index;
  }
  EXPECT_EQ(store.PortSpec, "Com1:1200,N,8,1");
}

TEST_F(Form1Test, CaptionsGoBackToTheFileByteForByte) {
  TForm1& f = Form();
  const std::string latin1 = "K\xFChl";  // not UTF-8
  f.SetLabelCaption(6, latin1);
  f.SetLabelCaption(0, "  lang und breit ");
  EXPECT_EQ(f.LabelCaption(6), latin1);
  EXPECT_EQ(f.LabelCaption(0), "  lang und breit ");
  EXPECT_EQ(f.Label7->text().left(1), QStringLiteral("K"));
  EXPECT_EQ(f.LabelCaption(8), "");
  f.SetLabelCaption(-1, "x");
}

TEST_F(Form1Test, DialogFieldsFallBackToTheStoreWithoutTheDialog) {
  TForm1& f = Form();
  store.RemotePort = "26535";
  store.Password = "geheim";
  f.SetDialogs(nullptr, nullptr);
  EXPECT_EQ(f.DialogPort(), store.RemotePort);
  EXPECT_EQ(f.DialogPassword(), store.Password);
  f.SetRemoteSwitch(false);
  EXPECT_FALSE(f.RemoteSwitch());
}

// --- The two dialogs ------------------------------------------------------------------------

// The windows as the program makes them: the main window first, then the
// help window and the remote access dialog.
struct ThreeWindows {
  explicit ThreeWindows(TForm1& main) : form1(main) { form1.SetDialogs(&form2, &form3); }
  TForm1& form1;
  TForm2 form2;
  TForm3 form3;
};

TEST_F(Form1Test, ActivationPutsTheStoredPortAndPasswordIntoTheDialog) {
  ThreeWindows w(Form());
  w.form3.Edit1->setText(QStringLiteral("getippt"));
  w.form3.Edit2->setText(QStringLiteral("auch"));
  store.RemotePort = "4711";
  store.Password = "Kennwort";
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&w.form1, &activate);
  EXPECT_EQ(w.form3.Edit1->text(), QStringLiteral("4711"));
  EXPECT_EQ(w.form3.Edit2->text(), QStringLiteral("Kennwort"));
  EXPECT_EQ(w.form1.DialogPort(), "4711");
  EXPECT_EQ(w.form1.DialogPassword(), "Kennwort");
}

TEST_F(Form1Test, ADialogNeverOpenedStillHandsBackPortAndPassword) {
  WriteLines(QStringLiteral("relf.ini"),
             Settings(Path(QStringLiteral("haus.dat")), QStringLiteral("26535"), QStringLiteral("0")));
  {
    ThreeWindows w(Form());
    EXPECT_TRUE(w.form1.close());
  }
  const QStringList settings = ReadLines(Path(QStringLiteral("relf.ini")));
  ASSERT_EQ(settings.size(), 12);
  EXPECT_EQ(settings[1], QStringLiteral("geheim"));
  EXPECT_EQ(settings[2], QStringLiteral("26535"));
}

TEST_F(Form1Test, HelpAndIpShowTheirWindowsModally) {
  ThreeWindows w(Form());
  w.form1.show();
  for (auto [button, dialog] : {std::pair<QPushButton*, QDialog*>{w.form1.Button10, &w.form2},
                                std::pair<QPushButton*, QDialog*>{w.form1.Button13, &w.form3}}) {
    bool shownModally = false;
    QTimer::singleShot(0, dialog, [&shownModally, dialog] {
      shownModally = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
      dialog->done(QDialog::Accepted);
    });
    button->click();  // returns once the dialog is closed
    EXPECT_TRUE(shownModally) << dialog->objectName().toStdString();
    EXPECT_FALSE(dialog->isVisible());
  }
}

}  // namespace
}  // namespace quibrano
