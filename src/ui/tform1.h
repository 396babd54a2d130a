// The main window. Its controls carry the names the rest of the program and
// the tests know them by (also as objectName).
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "fileerror.h"
#include "store.h"
#include "views.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace quibrano {

class RemoteServer;
class TForm2;
class TForm3;

class TForm1 : public QWidget,
               public ConfigView,
               public SettingsView,
               public LinkView,
               public RemoteView {
  Q_OBJECT
 public:
  // Builds every control, then runs FormCreate (settings, configuration,
  // counters, link).
  explicit TForm1(QWidget* parent = nullptr) : TForm1(parent, true) {}
  ~TForm1() override;

  // The help window and the remote access dialog, created after this window.
  void SetDialogs(TForm2* help, TForm3* remoteDialog);

  // --- Controls -----------------------------------------------------------
  // Top strip.
  QLabel* Label12 = nullptr;  // static caption line
  QPushButton* Button13 = nullptr;  // "IP"
  QPushButton* Button12 = nullptr;  // "Load"
  QPushButton* Button11 = nullptr;  // "Save"
  QPushButton* Button9 = nullptr;   // "RESET"
  QPushButton* Button10 = nullptr;  // "Help"

  QFrame* Panel1 = nullptr;  // main panel; everything below lies in it
  QLabel *Label21 = nullptr, *Label20 = nullptr, *Label14 = nullptr, *Label15 = nullptr,
         *Label16 = nullptr, *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr;

  // Relay rows, relays 1 to 6.
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
         *Label5 = nullptr, *Label6 = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr,
              *Button4 = nullptr, *Button5 = nullptr, *Button6 = nullptr;
  QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr,
            *ComboBox4 = nullptr, *ComboBox5 = nullptr, *ComboBox6 = nullptr;  // modes
  QComboBox *ComboBox7 = nullptr, *ComboBox8 = nullptr, *ComboBox9 = nullptr,
            *ComboBox10 = nullptr, *ComboBox11 = nullptr, *ComboBox12 = nullptr;  // programs
  QComboBox *ComboBox13 = nullptr, *ComboBox14 = nullptr, *ComboBox15 = nullptr,
            *ComboBox16 = nullptr, *ComboBox17 = nullptr, *ComboBox18 = nullptr;  // days
  QDateTimeEdit *DateTimePicker1 = nullptr, *DateTimePicker2 = nullptr,
                *DateTimePicker3 = nullptr, *DateTimePicker4 = nullptr,
                *DateTimePicker5 = nullptr, *DateTimePicker6 = nullptr;  // dates
  QDateTimeEdit *DateTimePicker7 = nullptr, *DateTimePicker8 = nullptr,
                *DateTimePicker9 = nullptr, *DateTimePicker10 = nullptr,
                *DateTimePicker11 = nullptr, *DateTimePicker12 = nullptr;  // starts
  QDateTimeEdit *DateTimePicker13 = nullptr, *DateTimePicker14 = nullptr,
                *DateTimePicker15 = nullptr, *DateTimePicker16 = nullptr,
                *DateTimePicker17 = nullptr, *DateTimePicker18 = nullptr;  // ends

  // Seconds-timer panels and their controls.
  QFrame *Panel4 = nullptr, *Panel5 = nullptr, *Panel6 = nullptr, *Panel7 = nullptr,
         *Panel8 = nullptr, *Panel9 = nullptr;
  QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr,
            *CheckBox4 = nullptr, *CheckBox5 = nullptr, *CheckBox6 = nullptr;
  QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr,
            *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr,
            *Edit9 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr;

  // Random panels and their controls.
  QFrame *Panel10 = nullptr, *Panel11 = nullptr, *Panel12 = nullptr, *Panel13 = nullptr,
         *Panel14 = nullptr, *Panel15 = nullptr;
  QComboBox *ComboBox20 = nullptr, *ComboBox21 = nullptr, *ComboBox22 = nullptr,
            *ComboBox23 = nullptr, *ComboBox24 = nullptr, *ComboBox25 = nullptr;
  QLineEdit *Edit13 = nullptr, *Edit14 = nullptr, *Edit15 = nullptr, *Edit16 = nullptr,
            *Edit17 = nullptr, *Edit18 = nullptr;
  QDateTimeEdit *DateTimePicker19 = nullptr, *DateTimePicker20 = nullptr,
                *DateTimePicker21 = nullptr, *DateTimePicker22 = nullptr,
                *DateTimePicker23 = nullptr, *DateTimePicker24 = nullptr,
                *DateTimePicker25 = nullptr, *DateTimePicker26 = nullptr,
                *DateTimePicker27 = nullptr, *DateTimePicker28 = nullptr,
                *DateTimePicker29 = nullptr, *DateTimePicker30 = nullptr;

  // Lower area.
  QFrame* Panel3 = nullptr;  // blue separator
  QGroupBox* GroupBox1 = nullptr;
  QLabel *Label7 = nullptr, *Label8 = nullptr;  // K1, K2
  QCheckBox* CheckBox7 = nullptr;               // "Remote"
  QLabel* Label58 = nullptr;                    // connection indicator
  QGroupBox* GroupBox2 = nullptr;
  QComboBox* ComboBox19 = nullptr;  // COM port list
  QPushButton* Button7 = nullptr;   // "START"
  QPushButton* Button8 = nullptr;   // "STOP"
  QFrame* Panel2 = nullptr;         // status panel
  QLabel *Label10 = nullptr, *Label11 = nullptr, *Label9 = nullptr, *Label13 = nullptr;

  // Components without a view.
  QTimer* Timer1 = nullptr;  // 50 ms poll cycle
  QTimer* Timer2 = nullptr;  // second tick, re-armed after every whole second
  RemoteServer* ServerSocket1 = nullptr;

  TForm2* Form2 = nullptr;
  TForm3* Form3 = nullptr;

  // --- Handlers -----------------------------------------------------------
  void FormCreate();
  void FormActivate();
  void Timer1Timer();
  void Timer2Timer();
  void Button7Click();   // START
  void Button8Click();   // STOP
  void Button9Click();   // RESET
  void Button10Click();  // Help
  void Button11Click();  // Save
  void Button12Click();  // Load
  void Button13Click();  // IP
  void ComboBox19Change();
  void CheckBox7Click();

  // The editor's handlers, one per column of the relay rows and panels:
  // r is the relay 0..5 (Button1Click..Button6Click, ComboBox1Change..
  // ComboBox6Change, and so on down the columns).
  void ToggleButtonClick(int r);
  void ModeListChange(int r);
  void ProgramListChange(int r);
  void DayListChange(int r);
  void DatePickerChange(int r);
  void StartPickerChange(int r);
  void EndPickerChange(int r);
  void RepeatClick(int r);
  void StartAfterChange(int r);
  void EndAfterChange(int r);
  void WindowListChange(int r);
  void MaxMinutesChange(int r);
  void WindowStartChange(int r);
  void WindowEndChange(int r);

  // Milliseconds from the clock's now until a few tens of ms past the next
  // whole second: how far ahead Timer2 is armed.
  static int MsUntilNextTick(int msOfDay);
  static constexpr int kTickLateMs = 30;

  // --- ConfigView ---------------------------------------------------------
  void SelectPortItem(int index) override;
  void RefreshEditor() override;

  // --- SettingsView -------------------------------------------------------
  std::string LabelCaption(int i) const override;
  void SetLabelCaption(int i, const std::string& text) override;
  bool RemoteSwitch() const override;
  void SetRemoteSwitch(bool on) override;
  std::string DialogPort() const override;
  std::string DialogPassword() const override;

  // --- LinkView -----------------------------------------------------------
  void SetPortStatus(const std::string& text) override;
  void SetAdapterStatus(const std::string& text) override;
  void ShowRelay(int r, bool on) override;
  void ShowInput(int k, bool closed) override;
  void ShowRunState(bool linkOpen) override;

  // --- RemoteView ---------------------------------------------------------
  void SetIndicator(bool green) override;
  bool IndicatorGreen() const override;
  void SwitchRemoteOff() override;

  // One relay's editor controls, the table the handlers work from.
  struct RelayRow {
    QLabel* label = nullptr;
    QPushButton* toggle = nullptr;
    QComboBox* mode = nullptr;
    QComboBox* program = nullptr;
    QComboBox* day = nullptr;
    QDateTimeEdit* date = nullptr;
    QDateTimeEdit* start = nullptr;
    QDateTimeEdit* end = nullptr;
    QFrame* secondsPanel = nullptr;
    QCheckBox* repeat = nullptr;
    QLineEdit* startAfter = nullptr;
    QLineEdit* endAfter = nullptr;
    QFrame* randomPanel = nullptr;
    QComboBox* window = nullptr;
    QLineEdit* maxMinutes = nullptr;
    QDateTimeEdit* windowStart = nullptr;
    QDateTimeEdit* windowEnd = nullptr;
  };
  const RelayRow& Row(int r) const { return rows_[static_cast<size_t>(r)]; }

 protected:
  // The window as laid out, before any start-up: what a layout check looks at.
  TForm1(QWidget* parent, bool runFormCreate);

  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildControls();
  void BuildTopStrip();
  void BuildRelayRow(int r);
  void BuildSecondsPanel(int r);
  void BuildRandomPanel(int r);
  void BuildLowerArea();
  void ConnectEditor(int r);
  void ConnectCommands();
  void ArmTimer2();
  // Shows a failed file operation's box; true when there was one.
  bool Failed(const FileResult& result);

  std::array<RelayRow, kRelays> rows_{};
  // The captions as the settings file gave them, byte for byte, so texts
  // that are not UTF-8 go back to the file unchanged.
  std::array<std::string, 8> captionBytes_{};
  bool indicatorGreen_ = false;
  bool shutDown_ = false;
};

}  // namespace quibrano
