// The host's front end as real windows: message boxes, questions, the folder chooser, text
// windows, point input in the sheet view, the output box and the progress bar.
#pragma once

#include <QObject>
#include <QPointF>
#include <functional>

#include "host/api/front_end.h"

class QWidget;

namespace gui {

class PlotPreviewWindow;
class RunProgress;

class QtFrontEnd : public QObject, public host::ui::FrontEnd {
  Q_OBJECT
 public:
  explicit QtFrontEnd(QWidget* parent_window = nullptr);
  ~QtFrontEnd() override;
  void set_parent_window(QWidget* w) { parent_ = w; }

  void message(const std::string& text, host::Severity severity) override;
  bool question(const std::string& text, const std::string& push1,
                const std::string& push2) override;
  std::optional<std::string> browse_for_folder(const std::string& title,
                                               const std::optional<std::string>& initial) override;
  std::optional<std::string> edit_text(const std::string& title,
                                       const std::string& initial) override;
  bool edit_file(const std::string& path) override;
  std::optional<host::Point2> read_point(const std::string& prompt) override;
  void output_line(const std::string& text) override;
  void progress(int done, int total, const std::string& label) override;
  bool cancel_requested() override;
  void show_plot_preview(const host::PaperPreview& preview) override;
  // The preview window, once a preview was shown.
  PlotPreviewWindow* preview_window() const { return preview_; }
  void model_changed() override;

  // The point input waits for one of these (a click in the sheet view or x,y typed).
  void supply_point(double x, double y);
  void cancel_point();
  bool waiting_for_point() const { return waiting_point_; }

 signals:
  void line_output(const QString& text);
  void progress_changed(int done, int total, const QString& label);
  void changed();
  void point_requested(const QString& prompt);

 private:
  QWidget* parent_;
  RunProgress* run_progress_ = nullptr;   // made on the first run
  PlotPreviewWindow* preview_ = nullptr;  // made on the first preview
  bool waiting_point_ = false;
  std::optional<host::Point2> point_;
};

// The text window of the general text editor and of `edit`: nullopt when cancelled.
std::optional<QString> run_text_window(QWidget* parent, const QString& title, const QString& text);

}  // namespace gui
