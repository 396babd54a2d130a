#include "tform3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>
#include <limits>

#include "store.h"
#include "uilook.h"

namespace quibrano {
namespace {

// The port and password are the settings file's bytes, kept as they are.
// Latin-1 maps every byte to one character and back, so a password in any
// 8-bit code page survives the dialog unchanged.
QString FromBytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

// Refuses what has no single byte: toLatin1 would store it as '?', and the
// password would then differ from the one typed.
class SingleByteValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (const QChar c : input) {
      if (c.unicode() > 0xFF) return Invalid;
    }
    return Acceptable;
  }
};

QLineEdit* MakeField(QWidget* parent, const char* name, int y) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QLatin1String(name));
  field->setGeometry(88, y, 89, 21);
  field->setFont(SansFont(11, true));
  field->setMaxLength(std::numeric_limits<int>::max());
  field->setValidator(new SingleByteValidator(field));
  QObject::connect(field, &QLineEdit::inputRejected, field, [field] {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       QStringLiteral("Nur Zeichen mit einem Byte (Latin-1) möglich"), field);
  });
  return field;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(SansFont(13, true));
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("IP Remote Config"));
  setFont(SansFont(11));
  setFixedSize(237, 137);

  // Created in the tab order: Button1, Edit1, Edit2.
  Button1 = new QPushButton(QStringLiteral("Ok"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(72, 96, 75, 25);
  Button1->setFont(SansFont(11, true));
  // Enter in a field must not store half-typed values.
  Button1->setAutoDefault(false);
  Button1->setDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);

  Edit1 = MakeField(this, "Edit1", 24);
  Edit2 = MakeField(this, "Edit2", 64);
  setTabOrder(Button1, Edit1);
  setTabOrder(Edit1, Edit2);

  Label1 = MakeLabel(this, "Label1", QStringLiteral("Port "), 48, 28);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Kennwort"), 15, 66);

  FillFromStore();
}

void TForm3::Button1Click() {
  store.RemotePort = ToBytes(Edit1->text());
  store.Password = ToBytes(Edit2->text());
  accept();
}

void TForm3::FillFromStore() {
  Edit1->setText(FromBytes(store.RemotePort));
  Edit2->setText(FromBytes(store.Password));
}

std::string TForm3::PortBytes() const { return ToBytes(Edit1->text()); }

std::string TForm3::PasswordBytes() const { return ToBytes(Edit2->text()); }

void TForm3::reject() {
  QDialog::reject();
  // What was typed and not confirmed is dropped at once, not only when the
  // main window is next activated: a headless window may never be, and the
  // settings file is written from these fields.
  FillFromStore();
}

}  // namespace quibrano
