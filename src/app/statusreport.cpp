#include "statusreport.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace quibrano {
namespace {

constexpr int kReportMs = 100;

// Lamps are lime or red; anything else (the inputs before the first byte)
// has not been shown yet.
QString Lamp(const QWidget* w, const char* lit, const char* dark) {
  const QColor c = w->palette().color(w->backgroundRole());
  if (c == QColor(0x00, 0xFF, 0x00)) return QString::fromLatin1(lit);
  if (c == QColor(0xFF, 0x00, 0x00)) return QString::fromLatin1(dark);
  return QStringLiteral("-");
}

}  // namespace

StatusReport::StatusReport(QWidget* window, std::FILE* out, QObject* parent)
    : QObject(parent), window_(window), out_(out), timer_(new QTimer(this)) {
  connect(timer_, &QTimer::timeout, this, &StatusReport::Report);
  timer_->start(kReportMs);
}

QStringList StatusReport::Snapshot() const {
  QStringList lines;
  for (const char* name : {"Label9", "Label13"}) {
    if (const auto* label = window_->findChild<QLabel*>(QLatin1String(name)))
      lines << QStringLiteral("%1: %2").arg(QLatin1String(name), label->text());
  }
  for (int i = 1; i <= 8; ++i) {
    const QString name = QStringLiteral("Label%1").arg(i);
    if (const auto* label = window_->findChild<QLabel*>(name)) {
      const bool input = i > 6;
      lines << QStringLiteral("%1 \"%2\": %3")
                   .arg(name, label->text(),
                        input ? Lamp(label, "closed", "open") : Lamp(label, "on", "off"));
    }
  }
  if (const auto* box = window_->findChild<QCheckBox*>(QStringLiteral("CheckBox7")))
    lines << QStringLiteral("CheckBox7 \"Remote\": %1").arg(box->isChecked() ? "on" : "off");
  if (const auto* indicator = window_->findChild<QLabel*>(QStringLiteral("Label58")))
    lines << QStringLiteral("Label58: %1").arg(Lamp(indicator, "green", "red"));
  return lines;
}

void StatusReport::Report() {
  const QStringList now = Snapshot();
  for (qsizetype i = 0; i < now.size(); ++i) {
    if (i < last_.size() && last_[i] == now[i]) continue;
    const QByteArray line = now[i].toUtf8();
    std::fprintf(out_, "quibrano: %s\n", line.constData());
  }
  std::fflush(out_);
  last_ = now;
}

}  // namespace quibrano
