// Colours and fonts of the main window, and the small helpers that put them
// on a control.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QProxyStyle>

class QWidget;

namespace quibrano {

inline const QColor kMoneyGreen{0xC0, 0xDC, 0xC0};
inline const QColor kAqua{0x00, 0xFF, 0xFF};
inline const QColor kLime{0x00, 0xFF, 0x00};
inline const QColor kRed{0xFF, 0x00, 0x00};
inline const QColor kBlue{0x00, 0x00, 0xFF};
inline const QColor kYellow{0xFF, 0xFF, 0x00};

// The sans-serif face standing in for the classic dialog font, and the
// fixed-width one for the relay labels; sizes are character heights in pixels.
QFont SansFont(int pixels, bool bold = false);
QFont MonoFont(int pixels, bool bold = false);

// Fills the control's background with colour (panels, labels, the Remote box).
void PaintBackground(QWidget* w, const QColor& colour);
// Colours the text field of an input control (lists, edits, pickers).
void PaintField(QWidget* w, const QColor& colour);
// Text colour of a control.
void PaintText(QWidget* w, const QColor& colour);

// Drop-down lists and date pickers with a narrower arrow, so the longest
// mode text ("Uhr - Steuerung") and a four-digit-year date fit the widths of
// the layout.
class CompactListStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override;
};

// The program's own 32 x 32 icon.
QIcon AppIcon();

}  // namespace quibrano
