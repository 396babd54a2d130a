#include "uilook.h"

#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyleOptionComplex>
#include <QWidget>

namespace quibrano {

namespace {

// The face from Debian's fonts-liberation, DejaVu where it is missing.
QFont PixelFont(const QString& face, const QString& fallback, QFont::StyleHint hint, int pixels,
                bool bold) {
  QFont f(face);
  f.setFamilies({face, fallback});
  f.setStyleHint(hint);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace

QFont SansFont(int pixels, bool bold) {
  return PixelFont(QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QFont::SansSerif,
                   pixels, bold);
}

QFont MonoFont(int pixels, bool bold) {
  return PixelFont(QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                   QFont::Monospace, pixels, bold);
}

void PaintBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  // Buttons and check boxes fill with their own role.
  p.setColor(w->backgroundRole(), colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void PaintField(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  p.setColor(QPalette::Button, colour);
  p.setColor(QPalette::Text, Qt::black);
  p.setColor(QPalette::ButtonText, Qt::black);
  w->setPalette(p);
}

void PaintText(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  p.setColor(QPalette::Text, colour);
  w->setPalette(p);
}

QRect CompactListStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                       SubControl sub, const QWidget* widget) const {
  const QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
  if (control != CC_ComboBox || option == nullptr) return r;
  const QRect all = option->rect;
  constexpr int kArrow = 14;
  if (sub == SC_ComboBoxArrow) return {all.right() - kArrow + 1, all.top(), kArrow, all.height()};
  if (sub == SC_ComboBoxEditField) {
    return {all.left() + 3, r.top(), all.width() - kArrow - 4, r.height()};
  }
  return r;
}

QIcon AppIcon() {
  // A green board with six relay blocks in two rows and two input dots.
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x10, 0x40, 0x10), 1));
  p.setBrush(QColor(0x2E, 0x8B, 0x57));
  p.drawRoundedRect(QRectF(1.5, 4.5, 29, 23), 3, 3);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    const int x = 5 + (i % 3) * 8;
    const int y = 8 + (i / 3) * 8;
    p.setBrush(i % 2 == 0 ? kLime : kRed);
    p.drawRect(x, y, 6, 6);
  }
  p.setBrush(kYellow);
  p.drawEllipse(QRectF(6, 22, 3.5, 3.5));
  p.drawEllipse(QRectF(12, 22, 3.5, 3.5));
  p.setBrush(QColor(0x20, 0x20, 0x20));
  p.drawRect(21, 22, 7, 3);
  p.end();
  return QIcon(pm);
}

}  // namespace quibrano
