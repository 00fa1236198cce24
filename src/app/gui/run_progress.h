// The window of a long run: drawing i of n, its file name, the elapsed time, the pace and the
// remaining time, and a Cancel that stops the run after the drawing in hand.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace gui {

class RunProgress : public QDialog {
  Q_OBJECT
 public:
  explicit RunProgress(QWidget* parent);
  // done == 0 starts a run, done >= total ends it.
  void show_progress(int done, int total, const QString& file);
  bool cancel_requested() const { return cancelled_; }

 protected:
  void reject() override;  // Escape and the close box cancel too

 private:
  void cancel();

  QLabel* count_;
  QLabel* file_;
  QLabel* elapsed_;
  QLabel* pace_;
  QProgressBar* bar_;
  QPushButton* cancel_button_;
  QElapsedTimer clock_;
  bool cancelled_ = false;
  int first_done_ = 0;
};

}  // namespace gui
