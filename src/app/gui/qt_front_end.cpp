// What needs a person, answered by a person at real windows.
#include "qt_front_end.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "plot_preview.h"
#include "run_progress.h"
#include "gui_text.h"

namespace gui {

QtFrontEnd::QtFrontEnd(QWidget* parent_window) : parent_(parent_window) {}
QtFrontEnd::~QtFrontEnd() = default;

void QtFrontEnd::message(const std::string& text, host::Severity severity) {
  const QMessageBox::Icon icon = severity == host::Severity::Problem   ? QMessageBox::Critical
                                 : severity == host::Severity::Warning ? QMessageBox::Warning
                                                                       : QMessageBox::Information;
  QMessageBox box(icon, "Annotation", QString::fromStdString(text), QMessageBox::Ok, parent_);
  box.setObjectName("tavrin-message");
  box.exec();
}

bool QtFrontEnd::question(const std::string& text, const std::string& push1,
                          const std::string& push2) {
  if (auto queued = host::ui::take_queued_question_answer()) return *queued;
  QMessageBox box(QMessageBox::Question, "Annotation", QString::fromStdString(text),
                  QMessageBox::NoButton, parent_);
  box.setObjectName("tavrin-question");
  QPushButton* first = box.addButton(QString::fromStdString(push1), QMessageBox::AcceptRole);
  first->setObjectName("push1");
  box.addButton(QString::fromStdString(push2), QMessageBox::RejectRole)->setObjectName("push2");
  box.setDefaultButton(first);
  box.exec();
  return box.clickedButton() == first;
}

std::optional<std::string> QtFrontEnd::browse_for_folder(
    const std::string& title, const std::optional<std::string>& initial) {
  const QString dir = QFileDialog::getExistingDirectory(
      parent_, QString::fromStdString(title), QString::fromStdString(initial.value_or("")));
  if (dir.isEmpty()) return std::nullopt;
  return dir.toStdString();
}

std::optional<QString> run_text_window(QWidget* parent, const QString& title, const QString& text) {
  QDialog dialog(parent);
  dialog.setObjectName("tavrin-text-window");
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new QPlainTextEdit(text, &dialog);
  edit->setObjectName("text");
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(640, 420);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return edit->toPlainText();
}

std::optional<std::string> QtFrontEnd::edit_text(const std::string& title,
                                                 const std::string& initial) {
  auto text =
      run_text_window(parent_, QString::fromStdString(title), QString::fromStdString(initial));
  if (!text) return std::nullopt;
  return text->toStdString();
}

bool QtFrontEnd::edit_file(const std::string& path) {
  const QString name = QString::fromStdString(path);
  QFile in(name);
  QString text;
  if (in.open(QIODevice::ReadOnly)) text = QString::fromUtf8(in.readAll());
  auto edited = run_text_window(parent_, name, text);
  if (!edited) return false;
  // Written beside the file and renamed: a failed save never leaves half a table.
  QSaveFile out(name);
  if (!out.open(QIODevice::WriteOnly)) {
    message(host::translate_format("Cannot write {}: {}", path, out.errorString().toStdString()),
            host::Severity::Problem);
    return false;
  }
  out.write(edited->toUtf8());
  if (!out.commit()) {
    message(host::translate_format("Cannot write {}: {}", path, out.errorString().toStdString()),
            host::Severity::Problem);
    return false;
  }
  return true;
}

std::optional<host::Point2> QtFrontEnd::read_point(const std::string& prompt) {
  waiting_point_ = true;
  point_.reset();
  emit point_requested(QString::fromStdString(prompt));
  output_line(prompt);
  // The person answers in the sheet view or on the command line; the window stays alive.
  while (waiting_point_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    if (QCoreApplication::closingDown()) break;
  }
  waiting_point_ = false;
  return point_;
}

void QtFrontEnd::supply_point(double x, double y) {
  point_ = host::Point2{x, y};
  waiting_point_ = false;
}

void QtFrontEnd::cancel_point() {
  point_.reset();
  waiting_point_ = false;
}

void QtFrontEnd::output_line(const std::string& text) {
  emit line_output(QString::fromStdString(text));
}

void QtFrontEnd::progress(int done, int total, const std::string& label) {
  emit progress_changed(done, total, QString::fromStdString(label));
  if (run_progress_ == nullptr) run_progress_ = new RunProgress(parent_);
  run_progress_->show_progress(done, total, QString::fromStdString(label));
  // A directory run happens inside one click: the window keeps painting meanwhile. The
  // progress window is modal, so the only click that reaches the program is its Cancel: no
  // second job or other drawing can start inside this one.
  QCoreApplication::processEvents();
}

void QtFrontEnd::show_plot_preview(const host::PaperPreview& preview) {
  if (preview_ == nullptr) preview_ = new PlotPreviewWindow(parent_);
  preview_->show_preview(preview);
}

bool QtFrontEnd::cancel_requested() {
  return run_progress_ != nullptr && run_progress_->cancel_requested();
}

void QtFrontEnd::model_changed() {
  emit changed();
}

}  // namespace gui
