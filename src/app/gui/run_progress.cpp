// A run happens inside one click; this window is repainted whenever the run reports progress,
// and the Cancel it receives meanwhile is read back by the run before its next drawing.
#include "run_progress.h"
#include "gui_text.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/api/runs.h"

namespace gui {

RunProgress::RunProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("run-progress");
  setWindowTitle(qtr("Directory run"));
  // Clicks elsewhere would start a second run inside the first one.
  setModal(true);
  auto* column = new QVBoxLayout(this);
  count_ = new QLabel(this);
  count_->setObjectName("count");
  QFont bold = count_->font();
  bold.setBold(true);
  count_->setFont(bold);
  file_ = new QLabel(this);
  file_->setObjectName("file");
  file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar_ = new QProgressBar(this);
  elapsed_ = new QLabel(this);
  elapsed_->setObjectName("elapsed");
  pace_ = new QLabel(this);
  pace_->setObjectName("pace");
  auto* buttons = new QDialogButtonBox(this);
  cancel_button_ = buttons->addButton(QDialogButtonBox::Cancel);
  cancel_button_->setObjectName("cancel");
  connect(cancel_button_, &QPushButton::clicked, this, [this] { cancel(); });
  for (QWidget* w : std::initializer_list<QWidget*>{count_, file_, bar_, elapsed_, pace_, buttons})
    column->addWidget(w);
  setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

void RunProgress::show_progress(int done, int total, const QString& file) {
  if (done >= total) {
    hide();
    return;
  }
  if (done == 0 || !isVisible()) {
    cancelled_ = false;
    cancel_button_->setEnabled(true);
    cancel_button_->setText(qtr("Cancel"));
    clock_.start();
    first_done_ = done;
    show();
  }
  count_->setText(qtr("Drawing %1 of %2").arg(done + 1).arg(total));
  file_->setText(QFileInfo(file).fileName());
  file_->setToolTip(file);
  bar_->setRange(0, total);
  bar_->setValue(done);
  const qint64 s = clock_.elapsed() / 1000;
  elapsed_->setText(qtr("Elapsed %1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0')));
  // The same pace and remaining time as the command line's progress line.
  pace_->setText(QString::fromStdString(
      host::progress_pace_text(done - first_done_, total - done, clock_.elapsed() / 1000.0)));
}

void RunProgress::reject() {
  cancel();
}

void RunProgress::cancel() {
  cancelled_ = true;
  cancel_button_->setEnabled(false);
  cancel_button_->setText(qtr("Stopping after this drawing..."));
}

}  // namespace gui
