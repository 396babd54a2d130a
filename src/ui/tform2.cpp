#include "tform2.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include "helptext.h"

namespace quibrano {
namespace {

QIcon CheckMarkIcon() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tick;
  tick.moveTo(2.5, 8.5);
  tick.lineTo(6.5, 12.5);
  tick.lineTo(13.5, 3.5);
  p.setPen(QPen(QColor(0x00, 0x80, 0x00), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(tick);
  return QIcon(pm);
}

}  // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Help Quibrano"));
  setFixedSize(664, 408);

  // Created first so it is first in the tab order and takes the focus.
  BitBtn1 = new QPushButton(CheckMarkIcon(), QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(279, 376, 105, 25);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(8, 8, 649, 361);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette pal = Memo1->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Base, QColor(0x80, 0x00, 0x00));
    pal.setColor(group, QPalette::Text, Qt::white);
  }
  Memo1->setPalette(pal);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(13);
  font.setBold(true);
  Memo1->setFont(font);
  const std::string_view text = HelpText();
  Memo1->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));

  setTabOrder(BitBtn1, Memo1);
}

void TForm2::BitBtn1Click() { accept(); }

void TForm2::keyPressEvent(QKeyEvent* event) {
  // Without a close box only OK closes the window; QDialog would take
  // Escape as a cancel.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TForm2::closeEvent(QCloseEvent* event) {
  // A window manager may still offer a close (a key chord, a task bar menu);
  // the window has none, so OK stays the one way out.
  event->ignore();
}

}  // namespace quibrano
